// The generated default data set: every file there in its format and size,
// loaded without a word, fonts complete, texts that fit, and the same bytes on
// every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "assets/inventory.h"
#include "assets/jpeg.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "pixel/colour.h"
#include "scenes/part_one.h"
#include "scenes/scanner.h"
#include "support/test_support.h"

namespace {

const std::string Demo = ZINTAVEL_DEMO_DIR;

int Le16(const std::vector<std::uint8_t>& b, int at) { return b[at] | b[at + 1] << 8; }

struct PcxFile {
  const char* name;
  int width, height;
};

std::vector<PcxFile> PcxFiles() {
  std::vector<PcxFile> files = {{"card.pcx", 320, 240},  {"fig3a.pcx", 320, 240}, {"fig3b.pcx", 320, 240},
                                {"fig3c.pcx", 320, 240}, {"fig4.pcx", 320, 240},  {"font1.pcx", 1024, 40},
                                {"font2.pcx", 470, 10},  {"font3.pcx", 564, 12}};
  static const char* sprites[] = {"spr00.pcx", "spr01.pcx", "spr02.pcx", "spr03.pcx", "spr04.pcx",
                                  "spr05.pcx", "spr06.pcx", "spr07.pcx", "spr08.pcx", "spr09.pcx",
                                  "spr10.pcx", "spr11.pcx", "spr12.pcx", "spr13.pcx", "spr14.pcx"};
  for (const char* s : sprites) files.push_back({s, 320, 240});
  return files;
}

// Mean relative luminance (linear light) of each 32x32 tile of a 256x256 texture.
std::vector<double> TileLuminance(const std::vector<Pixel>& p) {
  auto lin = [](std::uint32_t v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  std::vector<double> tiles(64, 0.0);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) {
      const Pixel q = p[static_cast<std::size_t>(y) * 256 + x];
      tiles[(y / 32) * 8 + x / 32] +=
          (0.2126 * lin((q >> 16) & 0xFF) + 0.7152 * lin((q >> 8) & 0xFF) + 0.0722 * lin(q & 0xFF)) / 1024;
    }
  }
  return tiles;
}

double Luma(Pixel q) { return 0.2126 * ((q >> 16) & 0xFF) + 0.7152 * ((q >> 8) & 0xFF) + 0.0722 * (q & 0xFF); }

struct FrameLook {
  double luma, spread;  // mean and standard deviation of the pixels' luma
  double colourSpread;  // root mean square distance of the pixels from their mean colour, per channel
  double flat;          // share of pixels within 6 levels of the frame's middle colour
  double red, green, blue;
};

FrameLook Look(const Picture& f) {
  FrameLook l{};
  double sq = 0;
  std::vector<int> channel[3];
  for (Pixel q : f.pixels) {
    const double y = Luma(q);
    l.luma += y, sq += y * y;
    l.red += (q >> 16) & 0xFF, l.green += (q >> 8) & 0xFF, l.blue += q & 0xFF;
    for (int c = 0; c < 3; ++c) channel[c].push_back(static_cast<int>((q >> (16 - 8 * c)) & 0xFF));
  }
  const double n = PicturePixels;
  l.luma /= n, l.red /= n, l.green /= n, l.blue /= n;
  l.spread = std::sqrt(std::max(0.0, sq / n - l.luma * l.luma));
  double far = 0;
  for (Pixel q : f.pixels) {
    const double d[3] = {((q >> 16) & 0xFF) - l.red, ((q >> 8) & 0xFF) - l.green, (q & 0xFF) - l.blue};
    far += (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]) / 3;
  }
  l.colourSpread = std::sqrt(far / n);
  int middle[3];
  for (int c = 0; c < 3; ++c) {
    std::vector<int> v = channel[c];
    std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
    middle[c] = v[v.size() / 2];
  }
  int near = 0;
  for (Pixel q : f.pixels) {
    bool in = true;
    for (int c = 0; c < 3; ++c) in &= std::abs(static_cast<int>((q >> (16 - 8 * c)) & 0xFF) - middle[c]) <= 6;
    near += in;
  }
  l.flat = near / n;
  return l;
}

bool Opaque(int sprite, int x, int y) { return SpriteBank[sprite].pixels[y * 320 + x] != TransparentKey; }

std::string Load() {
  PresentationDirectory = Demo;
  bool ok = false;
  std::string said = CaptureStderrOf([&] { ok = LoadAssets(); });
  EXPECT_TRUE(ok);
  PresentationDirectory = std::string(".");
  return said;
}

}  // namespace

TEST(DataSetTest, EveryFileInItsFormatAndSize) {
  for (const PcxFile& f : PcxFiles()) {
    const auto b = ReadAll(Demo + "/data/" + f.name);
    ASSERT_GT(b.size(), 128u + 769u) << f.name;
    EXPECT_EQ(b[0], 0x0A) << f.name;
    EXPECT_EQ(b[1], 5) << f.name;
    EXPECT_EQ(b[2], 1) << f.name;
    EXPECT_EQ(b[3], 8) << f.name;
    EXPECT_EQ(b[65], 1) << f.name;
    EXPECT_EQ(Le16(b, 66), f.width) << f.name;
    EXPECT_EQ(Le16(b, 8) + 1, f.width) << f.name;
    EXPECT_EQ(Le16(b, 10) + 1, f.height) << f.name;
    EXPECT_EQ(b[b.size() - 769], 0x0C) << f.name;
  }
  for (int i = 1; i <= 19; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "img%02d.jpg", i);
    DecodedJpeg j = DecodeJpegFile((Demo + "/data/" + name).c_str());
    ASSERT_TRUE(j.bgr) << name;
    const int expected = i <= 2 ? 32 : (i == 15 || i == 16) ? 256 : 320;
    EXPECT_EQ(j.width, expected) << name;
    EXPECT_EQ(j.height, i <= 2 ? 30 : (i == 15 || i == 16) ? 256 : 240) << name;
  }
}

TEST(DataSetTest, LoadsWithoutAMessage) {
  EXPECT_EQ(Load(), "");
  for (Pixel p : TitleCardPicture.pixels) ASSERT_NE(p, TransparentKey) << "the title card uses index 255";
  for (int s = 0; s < SpriteCount; ++s) {
    EXPECT_LT(SpriteBoxes[s].left, SpriteBoxes[s].right) << s;
    EXPECT_EQ(SpriteBank[s].pixels[0], TransparentKey) << s;
  }
  EXPECT_GE(PagesOneCount, 1);
  EXPECT_GE(PagesTwoCount, 1);
  EXPECT_GE(TickerWidth, 2);
}

TEST(DataSetTest, FontsHaveOneGlyphPerCharacterAndEachDraws) {
  Load();
  for (const BitmapFont* font : {&LargeFont, &SmallFont, &PageFont}) {
    const int length = static_cast<int>(std::strlen(font->charset));
    ASSERT_EQ(font->glyphCount, length);
    for (int i = 0; i < length; ++i) {
      std::vector<Pixel> canvas(64 * 48, 0);
      DrawGlyph(*font, i, 1, 0, 2, 2, canvas.data(), 64, 48);
      bool drew = false;
      for (Pixel p : canvas) drew |= (p & 0xFF) > 40;
      EXPECT_TRUE(drew) << "glyph " << i << " '" << font->charset[i] << "' of a font of " << length;
    }
  }
}

TEST(DataSetTest, TextsFitWhereTheyAreDrawn) {
  Load();
  for (const char* c = TickerText; *c; ++c) {
    ASSERT_TRUE(*c == ' ' || std::strchr(LargeFont.charset, *c)) << "'" << *c << "' has no glyph in the ticker font";
  }
  for (const char* file : {"pages1.txt", "pages2.txt"}) {
    std::ifstream in(Demo + "/data/" + file);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
      if (!line.empty() && line[0] == '}') {
        lines = 0;
        continue;
      }
      // A 15th line would lose its descenders at the frame's foot.
      EXPECT_LT(++lines, 15) << file << ": a page of more than 14 lines";
      EXPECT_LE(TextWidth(PageFont, line.c_str()), 320 - 196) << file << ": '" << line << "' runs off the frame";
      for (char c : line) EXPECT_TRUE(c == ' ' || std::strchr(PageFont.charset, c)) << file << ": '" << c << "'";
    }
  }
}

TEST(DataSetTest, SameBytesOnEveryRun) {
  TempDir dir;
  const std::string command = std::string(ZINTAVEL_DATAGEN) + " " + dir.Path("again") + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Demo + "/data")) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(ReadAll(entry.path().string()), ReadAll(dir.Path("again/data/" + name))) << name;
    ++files;
  }
  EXPECT_EQ(files, 23 + 19 + 3);
}

TEST(DataSetTest, TickerIsSeenWholeInTheScannerScene) {
  Load();
  // The scene scrolls 0.1015 columns a millisecond for 76,800 ms across 320
  // columns: the strip opens with a screen of blank, its words end before
  // the screen's left edge reaches them at the scene's end, and it is long
  // enough never to wrap round.
  const int lastLeftEdge = static_cast<int>(76800 * 0.10152284263959391);
  ASSERT_GT(TickerWidth - 1, lastLeftEdge + 320);
  int first = TickerWidth, last = -1;
  for (int x = 0; x < TickerWidth; ++x) {
    for (int y = 0; y < TickerHeight; ++y) {
      if (TickerStrip[static_cast<std::size_t>(y) * TickerWidth + x] & 0xFF) first = std::min(first, x), last = x;
    }
  }
  EXPECT_GE(first, 300);
  EXPECT_LT(last, lastLeftEdge - 100);
}

TEST(DataSetTest, PicturesClearOfWhatTheDemoDoesToThem) {
  Load();
  // The figure loaded a second time gets rows 120..147 blanked to black but
  // keeps its box: the box must stay above the band.
  EXPECT_LE(FigureBoxes[5].bottom, 120);
  EXPECT_EQ(FigureBoxes[5].bottom, FigureBoxes[1].bottom);
  // Countdown digits fill the sheet's ten rows, and "10" fits the enlarged
  // 16-column window.
  char ten[] = "10";
  EXPECT_LE(TextWidth(SmallFont, ten), 16);
  for (char d = '0'; d <= '9'; ++d) {
    std::vector<Pixel> canvas(16 * 12, 0);
    DrawCharacter(SmallFont, d, 255, 8, 0, 0, canvas.data(), 16, 12);
    int top = 12, bottom = -1;
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 16; ++x) {
        if (canvas[y * 16 + x] & 0xFF) top = std::min(top, y), bottom = y;
      }
    }
    EXPECT_EQ(bottom - top + 1, 10) << d;
  }
  // The mountain range ends in a slope, not a cut: its last column is ground.
  int lit = 0;
  for (int y = 0; y < 240; ++y) lit += SpriteBank[11].pixels[y * 320 + 319] != TransparentKey;
  EXPECT_LT(lit, 40);
}

TEST(DataSetTest, PartOneTextureFlashesWithoutABrightnessFlicker) {
  Load();
  std::vector<Pixel> flashed(PartOneTexture, PartOneTexture + TexturePixels);
  double luma = 0;
  for (Pixel q : flashed) luma += (0.2126 * ((q >> 16) & 0xFF) + 0.7152 * ((q >> 8) & 0xFF) + 0.0722 * (q & 0xFF));
  // Bright enough to carry part one on its own: a dusk sky, darker than a
  // daylit one, but not a night.
  EXPECT_GT(luma / TexturePixels, 46.0);
  // The beat flash adds the frame to itself twice; on fast beats the scene
  // then swings it to its negative and back. The two should be about equally
  // bright nearly everywhere, or that swing is a flicker of the whole screen.
  const auto count = static_cast<std::int32_t>(flashed.size());
  AddSpanScaled(flashed.data(), flashed.data(), 0, count, 255);
  AddSpanScaled(flashed.data(), flashed.data(), 0, count, 255);
  std::vector<Pixel> negative = flashed;
  BlendNegative(negative.data(), 256, count);
  const std::vector<double> a = TileLuminance(flashed), b = TileLuminance(negative);
  int apart = 0;
  double sum = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    apart += std::fabs(a[i] - b[i]) >= 0.15;
    sum += a[i] - b[i];
  }
  EXPECT_LT(std::fabs(sum / a.size()), 0.1);
  EXPECT_LE(apart, 8) << "of 64 tiles";
}

TEST(DataSetTest, PartOneStaysAPictureWhereItsLayersPileUp) {
  Load();
  auto frame = MakePicture();
  // The finale adds the full-frame overlays twice and the mirror picture, and
  // its beats double the frame twice more: the screen must not clip to one
  // flat colour over much of it. Its hues are about equally bright (so that
  // the negative flashes do not flicker), so the picture is in the colour.
  for (std::uint32_t t : {48130u, 48200u, 48400u, 48460u, 48520u, 48600u}) {
    RenderPartOneComposite(t, *frame);
    const FrameLook l = Look(*frame);
    EXPECT_LT(l.flat, 0.25) << t;
    EXPECT_GT(l.colourSpread, 40.0) << t;
  }
}

TEST(DataSetTest, PartOneIsOneDuskWorld) {
  Load();
  auto frame = MakePicture();
  // A few frames of each section, from the opening to the finale: every one
  // warm on the whole (red over blue), yet never one hue: a cool share of the
  // screen (blue over red) stays, and so does a warm one.
  const std::vector<std::uint32_t> times = {3000,  6000,  12600, 13400, 22000, 24000,
                                            29300, 29900, 35100, 35800, 41000, 46500};
  for (std::uint32_t t : times) {
    RenderPartOneComposite(t, *frame);
    const FrameLook l = Look(*frame);
    int cool = 0;
    for (Pixel q : frame->pixels) cool += (q & 0xFF) > ((q >> 16) & 0xFF);
    const double share = static_cast<double>(cool) / PicturePixels;
    EXPECT_GT(l.red, l.blue) << t;
    EXPECT_GT(share, 0.15) << t;
    EXPECT_LT(share, 0.75) << t;
  }
}

TEST(DataSetTest, PartOneSpritesKeepClearOfEachOtherWhereTheyMeet) {
  Load();
  // Pairs that rest on the screen together at offset 0 (the moon between the
  // totems, the rings around prism and hexagon), and the rows where the
  // sliding words pass (62-79, 162-179) kept clear of the emblems under them.
  const int pairs[][2] = {{12, 1}, {12, 2}, {6, 3}, {7, 3}, {8, 3}, {9, 3}, {6, 5}, {7, 5}, {8, 5}, {9, 5}, {10, 3}, {10, 5},
                          {0, 14}, {13, 14}};
  for (const auto& p : pairs) {
    int both = 0;
    for (int y = 0; y < 240; ++y) {
      for (int x = 0; x < 320; ++x) both += Opaque(p[0], x, y) && Opaque(p[1], x, y);
    }
    EXPECT_EQ(both, 0) << "sprites " << p[0] << " and " << p[1];
  }
  for (int sprite : {3, 5, 10}) {
    int under = 0;
    for (int x = 70; x < 245; ++x) {
      for (int y = 62; y < 80; ++y) under += Opaque(sprite, x, y) + Opaque(sprite, x, y + 100);
    }
    EXPECT_EQ(under, 0) << "sprite " << sprite;
  }
}

TEST(DataSetTest, BadgeTurnsRatherThanBlinks) {
  Load();
  // The two pictures alternate every 200 ms for twelve seconds: the same
  // brightness, and a change confined to a small part of the badge.
  double a = 0, b = 0;
  int changed = 0;
  for (int i = 0; i < BadgeWidth * BadgeHeight; ++i) {
    a += Luma(BadgePictures[0][i]), b += Luma(BadgePictures[1][i]);
    changed += std::fabs(Luma(BadgePictures[0][i]) - Luma(BadgePictures[1][i])) > 24;
  }
  EXPECT_LT(std::fabs(a - b) / (a + b), 0.02);
  EXPECT_LT(changed, BadgeWidth * BadgeHeight / 10);
  EXPECT_GT(changed, 0);
}

TEST(DataSetTest, ScannerPeaksWhenTheFigureRisesAtTheCrash) {
  Load();
  auto frame = MakePicture();
  // The first figure drops out of sight just before the module's crash at
  // 38.4 s and the close figure springs up in its place: the scene's
  // brightest stretch so far, and well above the empty screen just before.
  double before = 0, empty = 0, peak = 0;
  for (std::uint32_t t : {20000u, 26000u, 32000u, 36000u}) RenderScannerScene(t, *frame), before += Look(*frame).luma / 4;
  RenderScannerScene(38300, *frame);
  empty = Look(*frame).luma;
  for (std::uint32_t t : {39400u, 40000u, 41000u}) RenderScannerScene(t, *frame), peak += Look(*frame).luma / 3;
  EXPECT_GT(peak, before * 1.04);
  EXPECT_GT(peak, empty * 1.2);
}

TEST(DataSetTest, BridgeRingPassesBehindThePlanetAndInFrontOfIt) {
  Load();
  // Down the planet's middle column (x 160): the back arc of the ring must be
  // hidden by the planet (no cyan band above its middle), the front arc must
  // cross it (a cyan band below its middle).
  auto cyan = [](Pixel q) {
    const int r = (q >> 16) & 0xFF, g = (q >> 8) & 0xFF, b = q & 0xFF;
    return g > 120 && b > 150 && g > r + 50;
  };
  int back = 0, front = 0;
  for (int y = 80; y < 140; ++y) back += cyan(BridgePicture.pixels[y * 320 + 160]);
  for (int y = 150; y < 205; ++y) front += cyan(BridgePicture.pixels[y * 320 + 160]);
  EXPECT_EQ(back, 0);
  EXPECT_GE(front, 4);
}

TEST(DataSetTest, SolidSpritesHaveADarkRim) {
  Load();
  // The emblems, totems, moon, prism, Z and hexagon stand in front of the
  // texture: next to every edge pixel of each (opaque, beside transparent)
  // lies a dark opaque one, the rim between the shape and the texture.
  for (int sprite : {0, 1, 2, 3, 4, 5, 12, 13, 14}) {
    int edges = 0, bare = 0;
    for (int y = 2; y < 238; ++y) {
      for (int x = 2; x < 318; ++x) {
        if (!Opaque(sprite, x, y)) continue;
        if (Opaque(sprite, x - 1, y) && Opaque(sprite, x + 1, y) && Opaque(sprite, x, y - 1) && Opaque(sprite, x, y + 1)) continue;
        ++edges;
        bool dark = false;
        for (int dy = -2; dy <= 2; ++dy) {
          for (int dx = -2; dx <= 2; ++dx) {
            dark |= Opaque(sprite, x + dx, y + dy) && Luma(SpriteBank[sprite].pixels[(y + dy) * 320 + x + dx]) < 40;
          }
        }
        bare += !dark;
      }
    }
    EXPECT_GT(edges, 50) << "sprite " << sprite;
    EXPECT_LT(bare, edges / 50 + 1) << "sprite " << sprite;
  }
}
