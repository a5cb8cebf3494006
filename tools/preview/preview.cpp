// PNG views for a look at what the demo draws:
//   zintavel-preview OUTDIR plasma|ray T...   the grid warp through a test
//       texture; each T is the value handed to the grid (ms / 10 or / 20)
//   zintavel-preview OUTDIR contact PRESENTATION_DIR   contact sheets of every
//       loaded picture (pictures.png, jpegs.png) and of the fonts (fonts.png)
//   zintavel-preview OUTDIR scenes PRESENTATION_DIR   frames of every scene at
//       telling times, each scene called on its own (scene-<name>-<ms>.png)
#include <algorithm>
#include <cmath>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "grid/plasma.h"
#include "grid/raycast.h"
#include "assets/inventory.h"
#include "assets/loading.h"
#include "record/png_file.h"
#include "scenes/countdown.h"
#include "scenes/fades.h"
#include "scenes/part_one.h"
#include "scenes/scanner.h"

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
  std::fprintf(stderr, "usage: zintavel-preview OUTDIR plasma|ray T [T...]\n"
                       "       zintavel-preview OUTDIR contact PRESENTATION_DIR\n");
  return 2;
}

// Half-size thumbnails in a grid, transparent pixels as a dark checker.
struct Sheet {
  int columns, width, height;
  std::vector<Pixel> pixels;
  Sheet(int cols, int rows) : columns(cols), width(cols * 162), height(rows * 122), pixels(width * height, 0x202020) {}
  void Put(int slot, const Pixel* src, int w, int h) {
    const int ox = (slot % columns) * 162 + 1, oy = (slot / columns) * 122 + 1;
    const int scale = w > 160 ? 2 : 1;
    for (int y = 0; y < h / scale && y < 120; ++y) {
      for (int x = 0; x < w / scale && x < 160; ++x) {
        Pixel p = src[(y * scale) * w + x * scale];
        if (p == TransparentKey) p = ((x / 4 + y / 4) % 2) ? 0x303030 : 0x484848;
        pixels[(oy + y) * width + ox + x] = p & 0x00FFFFFF;
      }
    }
  }
};

int Contact(const std::string& out, const char* dir) {
  PresentationDirectory = dir;
  if (!LoadAssets()) return 1;
  Sheet pcx(5, 4);
  const Picture* pictures[] = {&TitleCardPicture, &FigureLayers[3], &FigureLayers[4], &FigureLayers[2], &FigureLayers[1]};
  int slot = 0;
  for (const Picture* p : pictures) pcx.Put(slot++, p->pixels, 320, 240);
  for (const Picture& p : SpriteBank) pcx.Put(slot++, p.pixels, 320, 240);
  Sheet jpg(5, 4);
  const Picture* full[] = {&EndCardPicture, &TextBackgrounds[0], &TextBackgrounds[1], &TextBackgrounds[2],
                           &LastTextBackground, &CutPictureA, &CutPictureB, &OpeningPicture, &OverlayPictures[0],
                           &OverlayPictures[1], &OverlayPictures[2], &MirrorPictures[0], &SlidePictures[0],
                           &SlidePictures[1], &BridgePicture};
  slot = 0;
  for (const Picture* p : full) jpg.Put(slot++, p->pixels, 320, 240);
  jpg.Put(slot++, ScannerTexture, 256, 256);
  jpg.Put(slot++, PartOneTexture, 256, 256);
  jpg.Put(slot++, BadgePictures[0], 32, 30);
  jpg.Put(slot++, BadgePictures[1], 32, 30);

  std::vector<Pixel> fonts(640 * 200, 0x101018);
  const char* large = "abcdefghijklm\nnopqrstuvwxyz\n1234567890.,!?:-'";
  int y = 4;
  for (const char* line = large; *line;) {
    const char* end = std::strchr(line, '\n');
    const std::string text(line, end ? end : line + std::strlen(line));
    DrawText(LargeFont, text.c_str(), 0xFFFFFF, 8, 4, y, fonts.data(), 640, 200);
    y += 40;
    line = end ? end + 1 : line + text.size();
  }
  DrawText(SmallFont, "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6 abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6 1234567890.!?:-'@",
           0x00FFFF, 8, 4, 128, fonts.data(), 640, 200);
  DrawText(PageFont, "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6 ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6",
           0xFFFF00, 8, 4, 150, fonts.data(), 640, 200);
  DrawText(PageFont, "1234567890+=!?.,;:'/@-&$() The quick brown fox.", 0xFFFF00, 8, 4, 170, fonts.data(), 640, 200);

  bool ok = WritePngFile(out + "/pictures.png", pcx.width, pcx.height, pcx.pixels.data()) &&
            WritePngFile(out + "/jpegs.png", jpg.width, jpg.height, jpg.pixels.data()) &&
            WritePngFile(out + "/fonts.png", 640, 200, fonts.data());
  if (ok) std::printf("%s/pictures.png\n%s/jpegs.png\n%s/fonts.png\n", out.c_str(), out.c_str(), out.c_str());
  return ok ? 0 : 1;
}

int Scenes(const std::string& out, const char* dir) {
  PresentationDirectory = dir;
  if (!LoadAssets()) return 1;
  auto frame = std::make_unique<Picture>();
  Sheet partOneSheet(5, 4), otherSheet(5, 5);
  int slots[2] = {0, 0};
  auto save = [&](const char* name, std::uint32_t t) {
    const std::string path = out + "/scene-" + name + "-" + std::to_string(t) + ".png";
    if (!WritePngFile(path, ScreenWidth, ScreenHeight, frame->pixels)) std::exit(1);
    const bool one = std::string(name) == "partone";
    (one ? partOneSheet : otherSheet).Put(slots[one ? 0 : 1]++, frame->pixels, 320, 240);
  };
  for (std::uint32_t t : {2500u, 10000u, 15000u}) {
    const float e = static_cast<float>(t);
    const double d = std::fabs(e - 10000.0);
    RenderTitleCard(static_cast<float>(4 * (1 - d * 0.0001) * (1 - d * 0.0001)), *frame);
    save("title", t);
  }
  // Part one, run frame by frame up to each time so its state is as in a real run.
  const std::uint32_t partOne[] = {300, 900, 1500, 2990, 5500, 9000, 12100, 15800, 19600, 23300,
                                   27000, 31000, 36000, 38300, 40000, 46000, 47650, 48200, 52000};
  std::size_t next = 0;
  for (std::uint32_t t = 0; t <= 52000 && next < std::size(partOne); t += 17) {
    const std::uint32_t at = std::min(t, partOne[next]);
    RenderPartOne(at, *frame);
    if (at == partOne[next]) {
      if (at > 51000) RenderBadge(0, *frame);
      save("partone", at);
      ++next;
      t = at;
    }
  }
  for (std::uint32_t e : {100u, 2000u, 7000u, 9500u}) {
    std::fill(std::begin(frame->pixels), std::end(frame->pixels), 0u);
    RenderCountdown(static_cast<std::int32_t>(10 - e / 960), static_cast<float>(1 - (e % 960) * (1.0 / 960)), *frame);
    RenderBadge((e / 200) % 2, *frame);
    save("countdown", e);
  }
  for (std::uint32_t e : {300u, 1500u, 3000u}) {
    const float a = std::max(0.0f, static_cast<float>(1 - e * (1.0 / 960)));
    const float b = std::max(0.0f, static_cast<float>(2.15071551 - e * (1.0 / 1920)));
    if (b >= 1) RenderBridgeFromWhite(a, *frame);
    else RenderBridgeDimmed(b, *frame);
    save("bridge", e);
  }
  for (std::uint32_t t : {3000u, 14000u, 30000u, 38600u, 45000u, 60000u, 76000u, 77000u, 80000u, 81500u, 90140u, 95000u, 200000u, 232000u}) {
    RenderPartTwo(t, *frame);
    save("parttwo", t);
  }
  RenderEndCard(1.0f, *frame);
  save("endcard", 5000);
  const bool ok = WritePngFile(out + "/scenes-part-one.png", partOneSheet.width, partOneSheet.height, partOneSheet.pixels.data()) &&
                  WritePngFile(out + "/scenes-other.png", otherSheet.width, otherSheet.height, otherSheet.pixels.data());
  if (ok) std::printf("%s/scenes-part-one.png\n%s/scenes-other.png\n", out.c_str(), out.c_str());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string out = argv[1], mode = argv[2];
  if (mode == "contact") return argc == 4 ? Contact(out, argv[3]) : Usage();
  if (mode == "scenes") return argc == 4 ? Scenes(out, argv[3]) : Usage();
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
