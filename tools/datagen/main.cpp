// zintavel-datagen OUTDIR [ARTDIR]: writes the default presentation directory,
// OUTDIR/data/ with every picture, font sheet and text the demo loads, from the
// pictures the build rendered into ARTDIR (by default the build's own). The
// same build writes the same bytes every time.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <omp.h>

#include "art.h"
#include "canvas.h"
#include "jpeg_writer.h"
#include "page_font.h"
#include "pcx_writer.h"
#include "pictures.h"
#include "quantize.h"
#include "text.h"
#include "texts.h"

namespace {

bool MakeDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return true;
  std::fprintf(stderr, "zintavel-datagen: %s: cannot create: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

bool WritePcxPicture(const std::string& path, const Canvas& c, bool transparent) {
  // 255 colours for pictures without transparency; index 255 stays free either way.
  const Indexed ix = Quantize(c, 255, transparent ? 255 : -1);
  if (ix.indices.empty()) return false;
  return WritePcxFile(path, c.width, c.height, ix.indices.data(), ix.palette.data());
}

bool WriteJpeg(const std::string& path, const Canvas& c) {
  const std::vector<std::uint32_t> pixels = c.Pixels();
  return WriteJpegFile(path, c.width, c.height, pixels.data(), {90, false, false});
}

bool WriteSheet(const std::string& path, const Typeface& face, const char* charset, int w, int h, int size,
                const std::vector<DrawnGlyph>& drawn = {}) {
  const FontSheet sheet = BuildFontSheet(face, charset, w, h, size, drawn);
  if (sheet.pixels.empty()) return false;
  // The palette is thrown away by the reader; a grey ramp lets image tools show it.
  std::vector<std::uint8_t> palette(768);
  for (int i = 0; i < 768; ++i) palette[i] = static_cast<std::uint8_t>(i / 3);
  return WritePcxFile(path, w, h, sheet.pixels.data(), palette.data());
}

bool WritePageFont(const std::string& path, const char* charset, int w, int h) {
  const PageFontSheet sheet = BuildPageFontSheet(TerminusPath(false), TerminusPath(true), charset, w, h);
  if (sheet.pixels.empty()) return false;
  std::vector<std::uint8_t> palette(768);
  for (int i = 0; i < 768; ++i) palette[i] = static_cast<std::uint8_t>(255 - i / 3);  // dark ink on white, as drawn
  return WritePcxFile(path, w, h, sheet.pixels.data(), palette.data());
}

bool WriteText(const std::string& path, const std::string& text) {
  return WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || argv[1][0] == '-') {
    std::fprintf(stderr,
                 "usage: zintavel-datagen OUTDIR [ARTDIR]\n  writes OUTDIR/data/, the demo's default pictures, fonts and "
                 "texts,\n  from the rendered pictures in ARTDIR (default %s)\n",
                 ZINTAVEL_ART_DIR);
    return 2;
  }
  // The quantiser's parallel sums would give other palettes on other core counts.
  omp_set_num_threads(1);
  SetArtDirectory(argc == 3 ? argv[2] : ZINTAVEL_ART_DIR);
  const std::string out = argv[1], data = out + "/data/";
  if (!MakeDirectory(out) || !MakeDirectory(data)) return 1;

  auto bold = Typeface::Open(DefaultFontPath(true));
  auto regular = Typeface::Open(DefaultFontPath(false));
  if (!bold || !regular) return 1;
  const Fonts fonts{*bold, *regular};

  bool ok = true;
  ok &= WritePcxPicture(data + "card.pcx", TitleCard(fonts), false);
  for (int i = 0; i < 15; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "spr%02d.pcx", i);
    ok &= WritePcxPicture(data + name, Sprite(i), true);
  }
  ok &= WritePcxPicture(data + "fig3a.pcx", Figure('a'), true);
  ok &= WritePcxPicture(data + "fig3b.pcx", Figure('b'), true);
  ok &= WritePcxPicture(data + "fig3c.pcx", Figure('c'), true);
  ok &= WritePcxPicture(data + "fig4.pcx", Figure('4'), true);

  ok &= WriteSheet(data + "font1.pcx", *bold, "abcdefghijklmnopqrstuvwxyz1234567890.,!?:-'", 1024, 40, 34);
  ok &= WriteSheet(data + "font2.pcx", *bold,
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
                   "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
                   "1234567890.!?:-'@",
                   470, 10, 10, CountdownDigits());
  ok &= WritePageFont(data + "font3.pcx",
                      "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
                      "1234567890+=!?.,;:'/@-&$()",
                      564, 12);

  const Canvas jpegs[] = {
      Badge(0),         Badge(1),          EndCard(fonts),        TextBackground(0),       TextBackground(1),
      TextBackground(2), TextBackground(3), CutPicture(0, fonts),  CutPicture(1, fonts),    OpeningPicture(fonts),
      OverlayPicture(0, fonts), OverlayPicture(1, fonts), OverlayPicture(2, fonts), MirrorPicture(), ScannerTexture(),
      PartOneTexture(), SlidePicture(0, fonts), SlidePicture(1, fonts), BridgePicture(fonts),
  };
  for (int i = 0; i < 19; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "img%02d.jpg", i + 1);
    ok &= WriteJpeg(data + name, jpegs[i]);
  }

  ok &= WriteText(data + "ticker.txt", TickerText());
  ok &= WriteText(data + "pages1.txt", PagesOneText());
  ok &= WriteText(data + "pages2.txt", PagesTwoText());
  if (!ok || ArtFailed()) return 1;
  std::printf("zintavel-datagen: wrote %s\n", data.c_str());
  return 0;
}
