// Renders the grid warp through a generated test texture to PNG files, for a
// look at the flow: zintavel-preview OUTDIR [plasma|ray] T...
// Each T is the value handed to the grid (ms / 10 or / 20); one PNG per T.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "grid/plasma.h"
#include "grid/raycast.h"
#include "png_writer.h"

namespace {

// A seamless 256x256 test texture: a checker of 32-texel cells with a soft
// diagonal gradient and a thin grid, so warps and seams are easy to see.
std::vector<Pixel> TestTexture() {
  std::vector<Pixel> texture(TexturePixels);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const bool cell = ((x / 32) + (y / 32)) % 2 == 0;
      const bool line = x % 32 == 0 || y % 32 == 0;
      const int r = line ? 255 : cell ? 40 + x / 4 : 10;
      const int g = line ? 255 : cell ? 20 : 40 + y / 4;
      const int b = line ? 255 : 90 + static_cast<int>(60 * std::sin((x + y) * M_PI / 128));
      texture[y * 256 + x] = static_cast<Pixel>(r << 16 | g << 8 | b);
    }
  }
  return texture;
}

int Usage() {
  std::fprintf(stderr, "usage: zintavel-preview OUTDIR plasma|ray T [T...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string out = argv[1], mode = argv[2];
  if (mode != "plasma" && mode != "ray") return Usage();
  const auto texture = TestTexture();
  auto frame = std::make_unique<Picture>();
  for (int a = 3; a < argc; ++a) {
    char* end = nullptr;
    const float t = std::strtof(argv[a], &end);
    if (!end || *end) {
      std::fprintf(stderr, "zintavel-preview: '%s' is not a number\n", argv[a]);
      return 2;
    }
    if (mode == "plasma") {
      DrawPlasma(t, texture.data(), *frame);
    } else {
      DrawRayPlasma(t, 256.0f, 0, 0, 20.0f * t, 0, 0, 0, 0, 0, texture.data(), *frame);
    }
    const std::string path = out + "/" + mode + "-" + argv[a] + ".png";
    if (!WritePngFile(path, ScreenWidth, ScreenHeight, frame->pixels)) return 1;
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
