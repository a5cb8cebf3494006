// zintavel-icon CARD.pcx ICON.png [SIZE]: the desktop icon, made from the
// generated title card (see player/window_icon.h). SIZE defaults to 256.
#include <cstdio>
#include <memory>
#include <vector>

#include "app/options.h"
#include "assets/pcx.h"
#include "player/window_icon.h"
#include "record/png_file.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: zintavel-icon CARD.pcx ICON.png [SIZE]\n");
    return 2;
  }
  const std::optional<std::uint32_t> size = argc == 4 ? ParseNumber(argv[3], 16, 1024) : 256u;
  if (!size) {
    std::fprintf(stderr, "zintavel-icon: SIZE takes a whole number from 16 to 1024\n");
    return 2;
  }
  auto card = std::make_unique<Picture>();
  SpriteBox box;
  if (!LoadPcxPicture(argv[1], *card, box, ScreenWidth, ScreenHeight)) return 1;  // it said why
  const std::vector<Pixel> icon = MakeIcon(*card, static_cast<int>(*size));
  return WritePngFile(argv[2], static_cast<int>(*size), static_cast<int>(*size), icon.data()) ? 0 : 1;
}
