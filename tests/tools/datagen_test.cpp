// The generated default data set: every file there in its format and size,
// loaded without a word, fonts complete, texts that fit, and the same bytes on
// every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
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
#include "show/end_rule.h"
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

// Ms into the scanner scene at which the middle of `phrase` crosses the
// middle of the screen (the strip scrolls 0.1015 columns a millisecond).
double TickerCentredAt(const std::string& phrase) {
  const std::string text = TickerText;
  const std::size_t at = text.find(phrase);
  if (at == std::string::npos) return -1;
  const int before = TextWidth(LargeFont, text.substr(0, at).c_str());
  const int middle = before + TextWidth(LargeFont, phrase.c_str()) / 2;
  return (middle - 160) / 0.10152284263959391;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The words of five letters or more in a text, in lower case.
std::vector<std::string> LongWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : Lower(text) + " ") {
    if (c >= 'a' && c <= 'z') {
      word += c;
    } else {
      if (word.size() >= 5) words.push_back(word);
      word.clear();
    }
  }
  return words;
}

// The pages of a page file as text, one string a page.
std::vector<std::string> PagesOf(const char* file) {
  std::ifstream in(Demo + "/data/" + file);
  std::vector<std::string> pages(1);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '}') {
      pages.emplace_back();
    } else {
      pages.back() += line + "\n";
    }
  }
  pages.pop_back();  // the lines after the last page belong to none
  return pages;
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

TEST(DataSetTest, BridgePlanetLitFromTheLeftWithATealRim) {
  Load();
  // Across the planet's middle row (its centre at (160, 146), radius 78):
  // the sun's side on the left is warm and well lit, the side away from it
  // dark, and the edge on the right carries the teal rim; the sky stays dark.
  const auto at = [](int x, int y) { return BridgePicture.pixels[y * 320 + x]; };
  const auto red = [](Pixel q) { return static_cast<int>((q >> 16) & 0xFF); };
  const auto green = [](Pixel q) { return static_cast<int>((q >> 8) & 0xFF); };
  const auto blue = [](Pixel q) { return static_cast<int>(q & 0xFF); };
  double lit = 0, away = 0;
  int warm = 0, rim = 0;
  for (int x = 95; x < 125; ++x) lit += Luma(at(x, 146)) / 30, warm += red(at(x, 146)) > blue(at(x, 146)) + 60;
  for (int x = 200; x < 230; ++x) away += Luma(at(x, 146)) / 30;
  for (int x = 228; x < 244; ++x) rim += green(at(x, 146)) > red(at(x, 146)) + 60 && blue(at(x, 146)) > red(at(x, 146)) + 60;
  EXPECT_GT(lit, 70.0);
  EXPECT_LT(away, lit / 4);
  EXPECT_GE(warm, 25);
  EXPECT_GE(rim, 2);
  double corner = 0;
  for (int y = 200; y < 236; ++y) {
    for (int x = 4; x < 40; ++x) corner = std::max(corner, Luma(at(x, y)));
  }
  EXPECT_LT(corner, 60.0);
}

TEST(DataSetTest, SlideLetteringStaysClearOfTheStripsBottomEdge) {
  Load();
  // Rows 107..124 of each slide picture are shown, and the lower strip ends
  // right above the mirror picture's horizon line: the lettering, descenders
  // included, must end three rows before the strip does, yet be there.
  for (int which : {0, 1}) {
    const Picture& p = SlidePictures[which];
    int lettered = 0;
    double below = 0;
    for (int x = 70; x < 245; ++x) {
      for (int y = 110; y < 122; ++y) lettered += Luma(p.pixels[y * 320 + x]) > 150;
      for (int y = 122; y < 125; ++y) below = std::max(below, Luma(p.pixels[y * 320 + x]));
    }
    EXPECT_GT(lettered, 150) << which;
    EXPECT_LT(below, 24.0) << which;
  }
}

TEST(DataSetTest, TintUnderThePagesTextIsDeepSaturatedAndGentle) {
  Load();
  // The first pages' lettering lies over frame columns 182..319 and takes its
  // tint from there: no near black and no near white, every pixel clearly
  // coloured, and no column far from its neighbour (a line in the tint would
  // cross every letter over it). Both warm and cool tones are there.
  std::array<double, 3> previous{};
  double worstStep = 0;
  int warm = 0, cool = 0;
  for (int x = 182; x < 320; ++x) {
    std::array<double, 3> mean{};
    for (int y = 0; y < 240; ++y) {
      const Pixel q = TintPicture.pixels[y * 320 + x];
      const int c[3] = {static_cast<int>((q >> 16) & 0xFF), static_cast<int>((q >> 8) & 0xFF), static_cast<int>(q & 0xFF)};
      const int hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
      ASSERT_GE(hi, 90) << x << "," << y;
      ASSERT_LE(lo, 110) << x << "," << y;
      ASSERT_GE(hi - lo, hi * 0.4) << x << "," << y;
      for (int k = 0; k < 3; ++k) mean[k] += c[k] / 240.0;
    }
    if (x > 182) {
      for (int k = 0; k < 3; ++k) worstStep = std::max(worstStep, std::fabs(mean[k] - previous[k]));
    }
    warm += mean[0] > mean[2], cool += mean[2] > mean[0];
    previous = mean;
  }
  EXPECT_LT(worstStep, 12.0);
  EXPECT_GT(warm, 10);
  EXPECT_GT(cool, 10);
  // Its other columns are what the cuts flash: mostly black.
  double rest = 0;
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 100; ++x) rest += Luma(CutPictureB.pixels[y * 320 + x]) / (240.0 * 100);
  }
  EXPECT_LT(rest, 12.0);
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

TEST(DataSetTest, FiguresShowTheirChangesWhereTheSceneMakesThem) {
  Load();
  auto at = [](int slot, int x, int y) { return FigureLayers[slot].pixels[y * 320 + x]; };
  // The brass figure is loaded twice, its display (columns 70..254, rows
  // 120..147) blanked in the copy shown first: the whole copy must light it,
  // and a bezel all round it make the blanked one read as switched off.
  const SpriteBox& box = FigureBoxes[1];
  EXPECT_LE(box.left, 66);
  EXPECT_GE(box.right, 259);
  EXPECT_LE(box.top, 116);
  EXPECT_GE(box.bottom, 152);
  double lit = 0;
  int holes = 0;
  for (int y = 120; y < 148; ++y) {
    for (int x = 70; x < 255; ++x) holes += at(1, x, y) == TransparentKey, lit += Luma(at(1, x, y));
  }
  EXPECT_EQ(holes, 0);
  EXPECT_GT(lit / (28 * 185), 90);
  int bare = 0;
  for (int d = 1; d <= 3; ++d) {
    for (int x = 70 - d; x <= 254 + d; ++x) bare += (at(1, x, 120 - d) == TransparentKey) + (at(1, x, 147 + d) == TransparentKey);
    for (int y = 120 - d; y <= 147 + d; ++y) bare += (at(1, 70 - d, y) == TransparentKey) + (at(1, 254 + d, y) == TransparentKey);
  }
  EXPECT_EQ(bare, 0);
  // Its sway lowers the picture by up to 30 rows: a ray touching the top row
  // would show as a straight cut.
  EXPECT_GE(box.top, 3);
  // The dancer passes in front of the ticker: it keeps to the right edge, so
  // the words come out from behind it and are read clear of it.
  EXPECT_GE(FigureBoxes[2].left, 260);
  // The scan shows rows 0..76 of the scanned version, one more each 500 ms;
  // its brightest change, the visor lighting, comes at the breakdown (30.7 s,
  // rows 57..64), and the scan has something to change in every row band.
  auto rowsLuma = [&](int slot, int from, int to) {
    double sum = 0;
    for (int y = from; y < to; ++y) {
      for (int x = 0; x < 320; ++x) sum += at(slot, x, y) == TransparentKey ? 0 : Luma(at(slot, x, y));
    }
    return sum / ((to - from) * 320);
  };
  double brightest = 0;
  int brightestRow = -1;
  for (int y = 0; y < 77; ++y) {
    const double gain = rowsLuma(3, y, y + 1) - rowsLuma(4, y, y + 1);
    if (gain > brightest) brightest = gain, brightestRow = y;
  }
  EXPECT_GE(brightestRow, 57);
  EXPECT_LE(brightestRow, 64);
  int unchanged = 0;
  for (int y = 8; y < 77; y += 8) {
    int differ = 0;
    for (int r = y; r < y + 8 && r < 77; ++r) {
      for (int x = 0; x < 320; ++x) differ += at(3, x, r) != at(4, x, r);
    }
    unchanged += differ < 40;
  }
  EXPECT_EQ(unchanged, 0);
}

TEST(DataSetTest, ScannerTextureTilesWithoutASeam) {
  Load();
  // The scene wraps the texture both ways: across the wrap the texels must
  // change no more than between any two neighbours inside it.
  auto step = [](Pixel a, Pixel b) {
    int d = 0;
    for (int shift : {0, 8, 16}) d += std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
    return d;
  };
  double inside = 0, seamX = 0, seamY = 0;
  for (int i = 0; i < 256; ++i) {
    for (int j = 0; j < 255; ++j) inside += step(ScannerTexture[i * 256 + j], ScannerTexture[i * 256 + j + 1]);
    seamX += step(ScannerTexture[i * 256 + 255], ScannerTexture[i * 256]);
    seamY += step(ScannerTexture[255 * 256 + i], ScannerTexture[i]);
  }
  inside /= 256 * 255, seamX /= 256, seamY /= 256;
  EXPECT_LT(seamX, inside * 1.5 + 2);
  EXPECT_LT(seamY, inside * 1.5 + 2);
}

TEST(DataSetTest, TickerPhrasesCrossOnTheMusic) {
  Load();
  // Part two's breakdown at 30.7 s, the crash at 38.4 s, the brass figure's
  // display lighting at 42.3 s.
  EXPECT_NEAR(TickerCentredAt("listen"), 30740, 1000);
  EXPECT_NEAR(TickerCentredAt("now!"), 38400, 500);
  EXPECT_NEAR(TickerCentredAt("lights on."), 42340, 1000);
}

TEST(DataSetTest, PagesSaySomethingNewAndTheLastLandsBeforeTheEnd) {
  Load();
  const std::vector<std::string> one = PagesOf("pages1.txt"), two = PagesOf("pages2.txt");
  ASSERT_EQ(static_cast<int>(one.size()), PagesOneCount);
  ASSERT_EQ(static_cast<int>(two.size()), PagesTwoCount);
  // The credits once on the pages (the end card keeps its own), and not in the ticker.
  int credits = 0;
  for (const auto* set : {&one, &two}) {
    for (const std::string& page : *set) credits += Lower(page).find("ochre") != std::string::npos;
  }
  EXPECT_EQ(credits, 1);
  EXPECT_EQ(Lower(TickerText).find("ochre"), std::string::npos);
  // The greetings and the ticker share no long word.
  const std::vector<std::string> ticker = LongWords(TickerText);
  for (const std::string& page : two) {
    for (const std::string& word : LongWords(page)) {
      EXPECT_EQ(std::count(ticker.begin(), ticker.end(), word), 0) << "'" << word << "' is in the ticker and on a page";
    }
  }
  // The page on screen at the module's final hit has landed well before it.
  const std::uint32_t slot = (FinalHitMs - FirstSlotMs) / SlotMs, into = (FinalHitMs - FirstSlotMs) % SlotMs;
  const PointPicture* last = PageInSlot(slot, PagesOne, PagesOneCount, PagesTwo, PagesTwoCount);
  ASSERT_NE(last, nullptr);
  EXPECT_LE(PageLandedAfter(*last) + 2000, into);
}
