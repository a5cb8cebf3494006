// The scenes against the worked values of their schedules. Pictures come from
// small deterministic fills the tests make, not from the data set.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "choreo/key_tracks.h"
#include "grid/plasma.h"
#include "pixel/colour.h"
#include "pixel/random.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"
#include "pixel/zoom_blur.h"
#include "scenes/countdown.h"
#include "scenes/fades.h"
#include "scenes/opening_zoom.h"
#include "scenes/part_one.h"
#include "scenes/scanner.h"
#include "scenes/text_scene.h"
#include "support/test_support.h"

namespace {

bool SameFrame(const Picture& a, const Picture& b) { return std::memcmp(a.pixels, b.pixels, sizeof a.pixels) == 0; }

void FillWith(Picture& p, std::uint32_t seed) {
  std::mt19937 rng(seed);
  for (Pixel& px : p.pixels) px = rng() & 0x00FFFFFF;
}

}  // namespace

TEST(OpeningZoomTest, RectangleAndBlurRadius) {
  struct Case {
    std::uint32_t t;
    OpeningZoomGeometry g;
  };
  for (const Case& c : {Case{0, {-106, -80, 426, 320, 60}}, Case{562, {0, 0, 320, 240, 15}},
                        Case{563, {0, 0, 319, 239, 14}}, Case{1000, {82, 62, 237, 177, 0}},
                        Case{1124, {106, 79, 213, 160, 0}}}) {
    const OpeningZoomGeometry g = OpeningZoomAt(c.t);
    EXPECT_EQ(g.left, c.g.left) << c.t;
    EXPECT_EQ(g.top, c.g.top) << c.t;
    EXPECT_EQ(g.right, c.g.right) << c.t;
    EXPECT_EQ(g.bottom, c.g.bottom) << c.t;
    EXPECT_EQ(g.blurRadius, c.g.blurRadius) << c.t;
  }
}

TEST(PartOneTest, HandOverAndFlicker) {
  FillGreyGainTable();
  FillWith(OpeningPicture, 1);
  auto a = MakePicture(), b = MakePicture();
  RandomState = 99;
  RenderPartOne(1124, *a);
  RandomState = 99;
  RenderOpeningZoom(1124, *b);
  EXPECT_TRUE(SameFrame(*a, *b));
  EXPECT_EQ(RandomState, [] { std::uint32_t s = 99; return s * 214013u + 2531011u; }());

  // The first composite frame flickers the zoom picture by exactly the random number.
  const Picture zoom = ZoomWorkPicture;
  RandomState = 5;
  RenderPartOne(1125, *a);
  RandomState = 5;
  const std::int32_t r = NextRandom() % 256;
  RenderPartOneComposite(1125, *b);
  AddSpanScaled(zoom.pixels, b->pixels, 0, PicturePixels, r);
  EXPECT_TRUE(SameFrame(*a, *b));
}

TEST(PartOneTest, BeatFlash) {
  EXPECT_EQ(BeatFlashAt(1125), 0);  // the beat at 1,125 counts only from 1,126
  EXPECT_EQ(BeatFlashAt(1126), 255);
  EXPECT_EQ(BeatFlashAt(1125 + 510), 0);
  EXPECT_EQ(BeatFlashAt(5437), 0);  // on the next beat, measured from the previous one
  EXPECT_EQ(BeatFlashAt(5438), 255);
}

TEST(PartOneTest, FlashCutWorkedCalls) {
  FlashCutStateRecord state{0, 0};
  FlashCut c = FlashCutAt(-1249, state);
  EXPECT_EQ(c.index, -3);
  EXPECT_EQ(state.lastIndex, -3);
  EXPECT_EQ(state.drift, -5);
  EXPECT_EQ(c.size, 137);
  EXPECT_FALSE(c.drawn);

  state = {-1, 0};
  c = FlashCutAt(-319, state);
  EXPECT_EQ(state.lastIndex, 0);
  EXPECT_EQ(state.drift, -1);
  EXPECT_EQ(c.size, 160);
  EXPECT_EQ(c.s, -1);

  c = FlashCutAt(-10, state);
  EXPECT_EQ(c.ex, 24);
  EXPECT_EQ(c.ey, -20);
  EXPECT_EQ(c.s, 0);
  EXPECT_EQ(c.strength, 255);

  FlashCutAt(320, state);
  EXPECT_EQ(state.lastIndex, 1);
  EXPECT_EQ(state.drift, 1);
  c = FlashCutAt(400, state);
  EXPECT_EQ(c.ex, -20);
  EXPECT_EQ(c.ey, 240);
  EXPECT_EQ(c.s, 2);
  EXPECT_EQ(c.size, 294);
  EXPECT_EQ(c.strength, -11);
}

TEST(PartOneTest, FlashCutClearsTheWorkPictureOnlyWhenDrawn) {
  FillWith(ZoomWorkPicture, 3);
  const Picture before = ZoomWorkPicture;
  auto frame = MakePicture(0);
  FlashCutState = {0, 0};
  RenderFlashCut(-1249, *frame);  // size 137: nothing at all
  EXPECT_TRUE(SameFrame(before, ZoomWorkPicture));
  FlashCutState = {-1, 0};
  RenderFlashCut(-319, *frame);  // cleared, s odd and not 0 or 4 mod 9: nothing added
  for (Pixel p : ZoomWorkPicture.pixels) ASSERT_EQ(p, 0u);
  for (Pixel p : frame->pixels) ASSERT_EQ(p, 0u);
}

TEST(PartOneTest, FadeToBlack) {
  FillWith(MirrorPictures[0], 4);
  auto frame = MakePicture();
  RenderPartOne(54000, *frame);
  for (Pixel p : frame->pixels) ASSERT_EQ(p, 0u);
}

TEST(CountdownTest, ColoursAndTheEnlargedBlock) {
  FillGreyGainTable();
  // A small font whose glyphs are solid 8 x 10 blocks of grey 254.
  TempDir dir;
  std::vector<std::uint8_t> sheet(470 * 10, 0);
  for (int y = 1; y < 10; ++y) {
    for (int x = 0; x < 17 * 8; ++x) sheet[y * 470 + x] = 254;
  }
  SmallFont.charset = "1234567890.!?:-'@";
  SmallFont.glyphCount = 17;
  SmallFont.sheetWidth = 470;
  SmallFont.sheetHeight = 10;
  SmallFont.spaceAdvance = 5;
  SmallFont.pixels = sheet;
  SmallFont.glyphOffsets.resize(17);
  SmallFont.glyphWidths.assign(17, 8);
  for (int i = 0; i < 17; ++i) SmallFont.glyphOffsets[i] = 8 * i;

  auto red = MakePicture(0), grey = MakePicture(0);
  RenderCountdown(3, 1.0f, *red);
  RenderCountdown(4, 1.0f, *grey);
  bool lit = false;
  for (Pixel p : red->pixels) {
    ASSERT_EQ(p & 0x0000FFFF, 0u) << "3 is red only";
    lit |= p != 0;
  }
  EXPECT_TRUE(lit);
  for (Pixel p : grey->pixels) ASSERT_EQ((p >> 16) & 0xFF, (p >> 8) & 0xFF) << "4 is grey";
  // Fraction below 1/255: colour 0, the block copied black and still blurred.
  auto dark = MakePicture(0x00404040);
  RenderCountdown(5, 0.001f, *dark);
  EXPECT_EQ(dark->pixels[100 * 320 + 150] & 0xFF, 0u);
}

TEST(CountdownTest, BadgeCoversItsCorner) {
  for (int i = 0; i < BadgeWidth * BadgeHeight; ++i) BadgePictures[1][i] = 0x00ABCDEF;
  auto frame = MakePicture(7);
  RenderBadge(1, *frame);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const bool inside = x >= 260 && x < 292 && y >= 210;
      ASSERT_EQ(frame->pixels[y * 320 + x], inside ? 0x00ABCDEFu : 7u) << x << "," << y;
    }
  }
}

TEST(FadesTest, LevelsClampAndEveryPixelIsWritten) {
  FillWith(TitleCardPicture, 5);
  TitleCardPicture.pixels[0] = TransparentKey;  // scaled like any other value
  auto a = MakePicture(1), b = MakePicture(2);
  RenderTitleCard(4.0f, *a);
  RenderTitleCard(1.0f, *b);
  EXPECT_TRUE(SameFrame(*a, *b));
  EXPECT_EQ(a->pixels[0], 0x14061450u);
  RenderBridgeFromWhite(1.0f, *a);
  for (Pixel p : a->pixels) ASSERT_EQ(p, 0xFEFEFEFEu);
  RenderEndCard(0.0f, *a);
  for (Pixel p : a->pixels) ASSERT_EQ(p, 0u);
}

TEST(ScannerTest, TimedValues) {
  EXPECT_EQ(ScannerAt(6420).cx, 319);
  EXPECT_EQ(ScannerAt(6421).cx, 318);
  EXPECT_EQ(ScannerAt(12800).cx, 0);
  EXPECT_EQ(ScannerAt(10020).cy, 239);
  EXPECT_EQ(ScannerAt(14800).cy, 0);
  ScannerState s = ScannerAt(38400);
  EXPECT_EQ(s.slot, 0);
  EXPECT_EQ(s.e, 250);
  EXPECT_EQ(s.de, 250);
  s = ScannerAt(38401);
  EXPECT_EQ(s.slot, 5);
  EXPECT_EQ(s.e, 240);
  EXPECT_EQ(s.de, 230);
  EXPECT_EQ(s.f, 3000);
  EXPECT_EQ(s.df, 36000);
  EXPECT_EQ(ScannerAt(39360).e, 0);
  EXPECT_EQ(ScannerAt(50400).f, 0);
  EXPECT_EQ(ScannerAt(42340).slot, 5);
  EXPECT_EQ(ScannerAt(42341).slot, 1);
  EXPECT_EQ(ScannerAt(74887).e, 0);
  EXPECT_EQ(ScannerAt(74888).e, 1);
  EXPECT_EQ(ScannerAt(74888).f, 1);
}

TEST(ScannerTest, FigureSwapAndHandOver) {
  for (Pixel& p : FigureLayers[3].pixels) p = 3;
  for (Pixel& p : FigureLayers[4].pixels) p = 4;
  auto frame = MakePicture();
  RenderScannerScene(499, *frame);
  EXPECT_EQ(FigureLayers[0].pixels[0], 4u);
  RenderScannerScene(500, *frame);
  EXPECT_EQ(FigureLayers[0].pixels[319], 3u);
  EXPECT_EQ(FigureLayers[0].pixels[320], 4u);
  SwapFigureLayers(400);
  EXPECT_EQ(FigureLayers[0].pixels[PicturePixels - 1], 3u);

  auto a = MakePicture(), b = MakePicture();
  RenderPartTwo(76800, *a);
  RenderScannerScene(76800, *b);
  EXPECT_TRUE(SameFrame(*a, *b));
  RenderPartTwo(76801, *a);
  RenderTextScene(581, *b);
  EXPECT_TRUE(SameFrame(*a, *b));
}

TEST(ScannerTest, TickerLightsItsRowsAndShadowsThreeBelow) {
  TickerWidth = 4;
  TickerStrip.assign(4 * TickerHeight, 0);  // black: adds nothing, darkens one step
  auto frame = MakePicture(0x00808080);
  DrawTickerWave(0, *frame);
  int darkened = 0;
  for (Pixel p : frame->pixels) {
    ASSERT_TRUE(p == 0x00808080u || p == 0x007F7F7Fu);
    darkened += p == 0x007F7F7Fu;
  }
  EXPECT_EQ(darkened, 320 * TickerHeight);  // the band shifted three rows down, once per pixel

  for (std::int32_t width : {0, 1}) {
    TickerWidth = width;
    TickerStrip.assign(static_cast<std::size_t>(width) * TickerHeight, 0x00FFFFFF);
    auto untouched = MakePicture(5);
    DrawTickerWave(1234, *untouched);
    for (Pixel p : untouched->pixels) ASSERT_EQ(p, 5u) << width;
  }
}

namespace {

// The scanner scene exactly as drawn before the ticker kept its sines, with the
// ticker's pixel-by-pixel reference.
void ReferenceScannerScene(std::uint32_t t, Picture& frame) {
  std::fill(std::begin(frame.pixels), std::end(frame.pixels), 0u);
  DrawPlasma(static_cast<float>(t / 10), ScannerTexture, frame);
  const ScannerState s = ScannerAt(t);
  if (s.slot == 0) SwapFigureLayers(static_cast<std::int32_t>(t / 500));
  const double T = t;
  const double L = std::sin(T * 0.0015174506828528073) * 15;
  BlendSprite(-s.cx, TruncateToInt32((s.de + 15) + L), 256, &FigureBoxes[s.slot], FigureLayers[s.slot], frame);
  DrawTickerWaveReference(t, frame);
  const std::int32_t y2 = TruncateToInt32(((std::sin(T * 0.002178649237472767) * 30 + (s.df + 45)) + s.cy) + L);
  BlendSprite(0, y2, 256, &FigureBoxes[2], FigureLayers[2], frame);
}

// Times as a player meets them: runs of frames on a 60 Hz clock at several
// points of the scene, then jumps forward and back.
std::vector<std::uint32_t> ScannerTimes() {
  std::vector<std::uint32_t> times;
  for (std::uint32_t start : {0u, 6000u, 14001u, 37390u, 38400u, 42330u, 60000u, 74870u, 76700u}) {
    for (std::uint32_t k = 0; k < 24; ++k) times.push_back(start + k * 1000 / 60);
  }
  std::mt19937 rng(3);
  for (int i = 0; i < 40; ++i) times.push_back(rng() % 76801);
  return times;
}

}  // namespace

// Whole frames of the scene over the real data set against the reference path.
TEST(ScannerTest, FramesMatchTheReferencePath) {
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  bool loaded = false;
  CaptureStderrOf([&] { loaded = LoadAssets(); });
  PresentationDirectory = std::string(".");
  ASSERT_TRUE(loaded);
  ASSERT_GE(TickerWidth, 2);
  auto fast = MakePicture(), ref = MakePicture();
  for (std::uint32_t t : ScannerTimes()) {
    RenderScannerScene(t, *fast);
    ReferenceScannerScene(t, *ref);
    ASSERT_TRUE(SameFrame(*fast, *ref)) << "t " << t;
  }
}

// The ticker alone on random pictures with random strips, narrow ones too, and
// at times where the columns' arguments wrap around 32 bits.
TEST(ScannerTest, TickerMatchesTheReferenceOnRandomPictures) {
  std::mt19937 rng(8);
  auto fast = MakePicture(), ref = MakePicture();
  for (std::int32_t width : {2, 3, 333, 1500}) {
    TickerWidth = width;
    TickerStrip = RandomPixels(static_cast<std::size_t>(width) * TickerHeight, rng);
    std::vector<std::uint32_t> times = ScannerTimes();
    for (std::uint32_t k = 0; k < 20; ++k) times.push_back(0xFFFFFFFFu - 700u + k * 17u);
    for (std::uint32_t t : times) {
      FillWith(*fast, rng());
      *ref = *fast;
      DrawTickerWave(t, *fast);
      DrawTickerWaveReference(t, *ref);
      ASSERT_TRUE(SameFrame(*fast, *ref)) << "width " << width << " t " << t;
    }
  }
}

class TextSceneTest : public testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 3; ++i) {
      for (Pixel& p : TextBackgrounds[i].pixels) p = 0x00101010u * static_cast<Pixel>(i + 1);
    }
    for (Pixel& p : LastTextBackground.pixels) p = 0x00606060;
  }
  // Which background shows at (x, y) of the band on the white frame.
  static int BandAt(const Picture& f, int x, int y) {
    const Pixel p = f.pixels[y * 320 + x];
    for (int i = 0; i < 3; ++i) {
      if (p == ((0x10u * (i + 1) * 255) >> 8) * 0x00010101u) return i;
    }
    return p == 0xFFFFFFFFu ? -1 : 9;
  }
};

TEST_F(TextSceneTest, BandWipes) {
  PagesOneCount = 1;
  auto frame = MakePicture();
  RenderTextScene(581, *frame);  // w = 182: TextBackgrounds[2] whole
  for (int y = 0; y < 240; y += 7) {
    ASSERT_EQ(BandAt(*frame, 0, y), 2);
    ASSERT_EQ(BandAt(*frame, 181, y), 2);
    ASSERT_EQ(BandAt(*frame, 182, y), -1);
  }
  RenderTextScene(960, *frame);  // P = 2, w = 0: still [2], from [2] to [0]
  for (int y = 0; y < 240; y += 7) ASSERT_EQ(BandAt(*frame, 90, y), 2);

  // w = 91 gives x = 136.5: flag-1 rows take 137 columns of the incoming
  // picture, flag-0 rows 136. a = 960 * 3 + 182 has P = 4 (pattern 0, [1] to [2]).
  RenderTextScene(960 * 3 + 182, *frame);
  // Pattern 0: row 1 has flag 1 (incoming from the right), row 0 flag 0.
  EXPECT_EQ(BandAt(*frame, 181 - 137, 1), 1);
  EXPECT_EQ(BandAt(*frame, 182 - 137, 1), 2);
  EXPECT_EQ(BandAt(*frame, 135, 0), 2);
  EXPECT_EQ(BandAt(*frame, 136, 0), 1);
}

TEST_F(TextSceneTest, PointsFlyAndLand) {
  PointPicture page;
  page.points = {{190, 20, 200, 100, 100 * 320 + 200, 50, 0x00808080}, {300, 0, 210, 100, 100 * 320 + 210, 51, 0x00808080}};
  page.count = 2;
  page.minOrder = 50;
  auto frame = MakePicture(0x00FFFFFF);
  DrawFlyingPoints(page, 1000, 0, 10, 800, *frame);  // m = 1000 - 0 > 800: landed
  EXPECT_EQ(frame->pixels[100 * 320 + 200], 0x007F7F7Fu);
  auto flying = MakePicture(0x00FFFFFF);
  DrawFlyingPoints(page, 800, 0, 10, 800, *flying);  // m = 800: at its target by the flight rule
  EXPECT_EQ(flying->pixels[100 * 320 + 200], 0x007F7F7Fu);
  auto yellow = MakePicture(0x00FFFFFF);
  DrawFlyingPointsYellow(page, 800, 0, 10, 800, *yellow);
  EXPECT_EQ(yellow->pixels[100 * 320 + 200], 0x00FFFF00u);
  auto start = MakePicture(0x00FFFFFF);
  DrawFlyingPoints(page, 1, 0, 10, 800, *start);  // s = 1/800: at the start
  EXPECT_EQ(start->pixels[20 * 320 + 190], 0x007F7F7Fu);
  EXPECT_EQ(start->pixels[300], 0x00FFFFFFu);  // the second point waits 10 ms more

  // In the scene: d = 1,000 draws nothing; d = 1,001 the first points appear.
  PagesOne[0] = page;
  PagesOneCount = 1;
  auto scene = MakePicture();
  RenderTextScene(1920 + 1000, *scene);
  EXPECT_EQ(scene->pixels[20 * 320 + 190], 0xFFFFFFFFu);
  RenderTextScene(1920 + 1001, *scene);
  EXPECT_EQ(scene->pixels[20 * 320 + 190], 0x007F7F7Fu);
}

TEST_F(TextSceneTest, NoPagesDrawsTheBandOnly) {
  PagesOneCount = 0;
  PagesTwoCount = 0;
  auto frame = MakePicture();
  for (std::uint32_t a : {581u, 5000u, 50000u, 500000u}) {
    RenderTextScene(a, *frame);
    EXPECT_EQ(frame->pixels[319], 0xFFFFFFFFu);
  }
  // Only the second set: it starts at once.
  PagesTwoCount = 1;
  PagesTwo[0].points = {{5, 5, 250, 50, 50 * 320 + 250, 0, 0x00808080}};
  PagesTwo[0].count = 1;
  PagesTwo[0].minOrder = 0;
  RenderTextScene(1920 + 1400, *frame);
  EXPECT_EQ(frame->pixels[(5 + 22) * 320 + 5 + 122], 0x00FFFF00u);
}
