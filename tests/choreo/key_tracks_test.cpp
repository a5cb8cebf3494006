#include "choreo/key_tracks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "assets/inventory.h"
#include "grid/plasma.h"
#include "support/test_support.h"

namespace {
bool In(std::uint32_t t, std::uint32_t from, std::uint32_t to) { return t > from && t <= to; }
}  // namespace

TEST(KeyTracksTest, RowsTruncateToMilliseconds) {
  EXPECT_EQ(RowsToMs(775), 48437);
  EXPECT_EQ(RowsToMs(18), 1125);
  EXPECT_EQ(RowsToMs(1), 62);
}

TEST(KeyTracksTest, FlipAndGateWindowsOverAllOfPartOne) {
  for (std::uint32_t t = 0; t <= 54000; ++t) {
    const bool flip = In(t, 45750, 47625) || In(t, 47750, 47875) || In(t, 48125, 48500);
    ASSERT_EQ(MirrorFlipAt(t), flip ? 1 : 0) << t;
    const bool open = t == 0 || In(t, 1750, 7312) || In(t, 38250, 43250) || In(t, 45750, 48625) ||
                      In(t, 49375, 50000);
    ASSERT_EQ(CutGateOpenAt(t), open) << t;
  }
}

TEST(KeyTracksTest, OverlayChoiceWindows) {
  auto rowAt = [](std::uint32_t t) {
    OverlayChoice c = OverlayChoiceAt(t);
    for (int k = 0; k < 5; ++k) {
      if (c.picture == OverlayChoiceTrack[k].values[0] && c.firstPixel == OverlayChoiceTrack[k].values[1]) {
        return c.picture == 0 && t > 48500 ? 3 : k;
      }
    }
    return -1;
  };
  for (std::uint32_t t = 0; t <= 54000; ++t) {
    const int expected = t <= 48125 ? 0 : t <= 48375 ? 1 : t <= 48500 ? 2 : 3;
    ASSERT_EQ(rowAt(t), expected) << t;
  }
  EXPECT_EQ(OverlayChoiceAt(48125).firstPixel, 25600);
  EXPECT_EQ(OverlayChoiceAt(48125).pixelCount, 25600);
  EXPECT_EQ(OverlayChoiceAt(48126).pixelCount, 76800);
}

TEST(KeyTracksTest, LinearLookupsAtTheKeyEdges) {
  EXPECT_EQ(OverlayAmountAt(0), 0.0);
  EXPECT_EQ(OverlayAmountAt(12000), 0.0);
  const double justAbove = OverlayAmountAt(12001);
  EXPECT_GT(justAbove, 255.0);
  EXPECT_EQ(static_cast<int>(justAbove), 255);
  EXPECT_EQ(OverlayAmountAt(17625), 512.0);
  EXPECT_EQ(OverlayAmountAt(17626), 0.0);

  const Camera key = CameraAt(38250);
  EXPECT_EQ(key.values[0], 8.0f);
  EXPECT_EQ(key.values[3], 10.0f);
  const Camera after = CameraAt(38251);
  EXPECT_LT(after.values[0], 256.0f);
  EXPECT_GT(after.values[0], 255.0f);

  Slide start = SlideAt(30626), end = SlideAt(35750), mid = SlideAt(33187);
  EXPECT_NEAR(start.gain, 255.0, 0.1);
  EXPECT_NEAR(start.x, 0.0, 0.3);
  EXPECT_EQ(end.gain, 0.0);
  EXPECT_EQ(end.x, -280.0);
  EXPECT_NEAR(mid.gain, 127.5, 0.1);
  EXPECT_NEAR(mid.x, -140.0, 0.1);

  EXPECT_EQ(MirrorLayerAt(12000), 16.0);
  EXPECT_EQ(MirrorLayerAt(12001) > 254.0, true);
  EXPECT_EQ(NegativeAt(38250), 0.0);
  EXPECT_NEAR(NegativeAt(38251), 255.0, 0.5);
  EXPECT_EQ(NegativeAt(47625), 0.0);
  EXPECT_NEAR(NegativeAt(47626), 256.0, 3.0);

  EXPECT_EQ(LastBeatAt(1125), 0);
  EXPECT_EQ(LastBeatAt(1126), 1125);
  EXPECT_EQ(LastBeatAt(48501), 48500);
  EXPECT_EQ(LastBeatAt(0), 0);
  // Far beyond every sentinel the lookups stay in their tables.
  EXPECT_EQ(OverlayAmountAt(0xFFFFFFFFu), 256.0);
  EXPECT_EQ(MirrorFlipAt(0xFFFFFFFFu), 1);
  EXPECT_EQ(OverlayChoiceAt(0xFFFFFFFFu).picture, 0);
}

class SpriteTrackTest : public testing::Test {
 protected:
  // Sprite s is a single opaque pixel of colour 0x10 * (s + 1) in every channel
  // at (160 + s, 120) of its picture.
  void SetUp() override {
    for (int s = 0; s < SpriteCount; ++s) {
      for (Pixel& p : SpriteBank[s].pixels) p = TransparentKey;
      SpriteBank[s].pixels[120 * 320 + 160 + s] = 0x00010101u * static_cast<Pixel>(0x10 * (s + 1));
      SpriteBoxes[s] = {160 + s, 161 + s, 120, 121};
    }
  }
  // Which sprites left their pixel in the frame, unmoved.
  std::vector<int> Drawn(const Picture& frame) {
    std::vector<int> drawn;
    for (int s = 0; s < SpriteCount; ++s) {
      if (frame.pixels[120 * 320 + 160 + s] != 0) drawn.push_back(s);
    }
    return drawn;
  }
};

TEST_F(SpriteTrackTest, MovesActiveAt12000) {
  auto frame = MakePicture(0);
  DrawSpriteTrack(12000, *frame);
  // Moves 1, 5 and 7 (sprites 0, 13, 14) begin at 12,000; move 0 and move 3
  // end there and move 4 never runs.
  EXPECT_EQ(Drawn(*frame), (std::vector<int>{0, 13, 14}));
  EXPECT_EQ(frame->pixels[120 * 320 + 160 + 13], 0x00DFDFDFu);  // alpha 255: one step darker
}

TEST_F(SpriteTrackTest, InterpolatedPositionAndAlpha) {
  auto frame = MakePicture(0);
  // Move 3 (sprite 13, x -320 -> 0, alpha 255 -> 0) halfway: x -160, alpha 127.
  DrawSpriteTrack(10125, *frame);
  const Pixel drawn = frame->pixels[120 * 320 + 160 + 13 - 160];
  EXPECT_EQ(drawn, 0x006F6F6Fu);  // (0xE0 * 127) >> 8
  // Move 2 (sprite 0, alpha 255 -> 0) just before its end: alpha truncates to 0.
  auto late = MakePicture(0);
  DrawSpriteTrack(17624, *late);
  for (Pixel p : late->pixels) ASSERT_EQ(p, 0u);
}

TEST(CameraTrackTest, PlainPlasmaWhileTheMixIsSmall) {
  std::vector<Pixel> texture(TexturePixels);
  for (int i = 0; i < TexturePixels; ++i) texture[i] = static_cast<Pixel>(i * 2246822519u);
  auto a = MakePicture(), b = MakePicture();
  DrawCameraTrack(20000, texture.data(), *a);
  DrawPlasma(1000.0f, texture.data(), *b);
  EXPECT_EQ(0, std::memcmp(a->pixels, b->pixels, sizeof a->pixels));
  DrawCameraTrack(40000, texture.data(), *a);  // rays mixed in
  DrawPlasma(2000.0f, texture.data(), *b);
  EXPECT_NE(0, std::memcmp(a->pixels, b->pixels, sizeof a->pixels));
}
