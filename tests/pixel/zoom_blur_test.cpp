#include "pixel/zoom_blur.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "pixel/colour.h"

#include "pixel/span_kernels.h"
#include "support/test_support.h"

class ZoomBlurTest : public testing::Test {
 protected:
  void SetUp() override { FillGreyGainTable(); }
};

TEST_F(ZoomBlurTest, GreyGainTable) {
  EXPECT_EQ(GreyGainTable[0], 0x01010101u);
  EXPECT_EQ(GreyGainTable[1], 0x01010101u);
  EXPECT_EQ(GreyGainTable[128], 0x80808080u);
  EXPECT_EQ(GreyGainTable[255], 0xFFFFFFFFu);
}

TEST_F(ZoomBlurTest, ZeroGainAndKeepGiveBlack) {
  auto p = RandomPicture(1);
  for (Pixel& px : p->pixels) px &= 0x00FFFFFF;
  ZoomBlur(p->pixels, 160, 120, 0.95f, 0.0f, 0.0f);
  for (Pixel px : p->pixels) ASSERT_EQ(px, 0u);
}

TEST_F(ZoomBlurTest, CountdownLevelsSaturateWhite) {
  // 0.89 gives level 226 for gain and keep; together they pass 256, so white
  // stays white however the bilinear sample rounds.
  auto p = MakePicture(0x00FFFFFF);
  ZoomBlur(p->pixels, 160, 120, 0.95f, 0.89f, 0.89f);
  for (Pixel px : p->pixels) ASSERT_EQ(px, 0x00FFFFFFu);
}

TEST_F(ZoomBlurTest, ScaleZeroWeighsTheStartPixelAndItsNeighbours) {
  auto p = MakePicture(0x00C8C8C8);  // 200 everywhere
  // Gain 255, keep 0: new = (sample * 255) >> 8.
  ZoomBlurQuadrant(p->pixels, 100, 50, 0, 0, GreyGainTable[255], GreyGainTable[0], +1, +1);
  // Blue weights 255 + 1 + 1, red and green 254 + 1 + 1, each product shifted
  // on its own: blue 199 -> 198, red and green 198 -> 197.
  EXPECT_EQ(p->pixels[50 * 320 + 100], 0x00C5C5C6u);
  EXPECT_EQ(p->pixels[50 * 320 + 99], 0x00C8C8C8u);  // outside the quadrant
}

TEST_F(ZoomBlurTest, StartsOutsideInTheWalkingDirectionDoNothing) {
  auto p = RandomPicture(2);
  auto before = *p;
  ZoomBlurQuadrant(p->pixels, 320, 10, 60000, 60000, GreyGainTable[200], GreyGainTable[200], +1, +1);
  ZoomBlurQuadrant(p->pixels, -1, 10, 60000, 60000, GreyGainTable[200], GreyGainTable[200], -1, +1);
  ZoomBlurQuadrant(p->pixels, 10, 240, 60000, 60000, GreyGainTable[200], GreyGainTable[200], +1, +1);
  ZoomBlurQuadrant(p->pixels, 10, -1, 60000, 60000, GreyGainTable[200], GreyGainTable[200], +1, -1);
  EXPECT_EQ(0, std::memcmp(before.pixels, p->pixels, sizeof before.pixels));
}

TEST_F(ZoomBlurTest, QuadrantsCoverThePictureOnce) {
  // Keep 0 and scale 0 make every pixel a function of its quadrant's start only,
  // so no pixel keeps its random value.
  auto p = RandomPicture(3);
  for (Pixel& px : p->pixels) px |= 0xFF000000;
  ZoomBlur(p->pixels, 140, 100, 0.0f, 1.0f, 0.0f);
  for (Pixel px : p->pixels) ASSERT_EQ(px >> 24, 0u);
}

TEST_F(ZoomBlurTest, OutOfRangeCentreAndScaleStayInBounds) {
  auto p = RandomPicture(4);
  ZoomBlur(p->pixels, 319, 239, 1.5f, 0.9f, 0.9f);
  ZoomBlur(p->pixels, 0, 0, -3.0f, 0.9f, 0.9f);
  ZoomBlur(p->pixels, 5000, -5000, 0.9f, 0.9f, 0.9f);
}

namespace {
// ZoomBlur with every quadrant on the plain reference.
void ZoomBlurByReference(Pixel* pixels, std::int32_t cx, std::int32_t cy, float scale, float gain, float keep) {
  const std::int32_t step = static_cast<std::int32_t>(static_cast<double>(scale) * 65536.0);
  const Pixel g = GreyGainTable[LevelFromFloat(gain)], k = GreyGainTable[LevelFromFloat(keep)];
  ZoomBlurQuadrantReference(pixels, cx, cy, step, step, g, k, -1, -1);
  ZoomBlurQuadrantReference(pixels, cx + 1, cy, step, step, g, k, +1, -1);
  ZoomBlurQuadrantReference(pixels, cx, cy + 1, step, step, g, k, -1, +1);
  ZoomBlurQuadrantReference(pixels, cx + 1, cy + 1, step, step, g, k, +1, +1);
}

void ExpectSameAsReference(std::uint32_t seed, std::int32_t cx, std::int32_t cy, float scale, float gain, float keep) {
  auto fast = RandomPicture(seed);
  auto ref = std::make_unique<Picture>(*fast);
  ZoomBlur(fast->pixels, cx, cy, scale, gain, keep);
  ZoomBlurByReference(ref->pixels, cx, cy, scale, gain, keep);
  for (std::int32_t i = 0; i < PicturePixels; ++i) {
    ASSERT_EQ(fast->pixels[i], ref->pixels[i]) << "pixel (" << i % 320 << ", " << i / 320 << ") centre (" << cx << ", "
                                               << cy << ") scale " << scale << " gain " << gain << " keep " << keep;
  }
}
}  // namespace

// The countdown's centres and scales (fraction f gives centre 152 + 20f and scale
// 0.89 + 0.1f), run twice as it is every frame, so the second pass blurs streaks.
TEST_F(ZoomBlurTest, FastWalkMatchesTheReferenceAtTheCountdownsArguments) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    for (int i = 1; i <= 255; i += 11) {
      const double f = i / 255.0;
      const auto cx = static_cast<std::int32_t>(152 + 20 * f);
      const auto scale = static_cast<float>(0.89 + 0.1 * f);
      auto fast = RandomPicture(static_cast<std::uint32_t>(i));
      auto ref = std::make_unique<Picture>(*fast);
      for (int pass = 0; pass < 2; ++pass) {
        ZoomBlur(fast->pixels, cx, 130, scale, 0.89f, 0.89f);
        ZoomBlurByReference(ref->pixels, cx, 130, scale, 0.89f, 0.89f);
      }
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "fraction " << f;
    }
  });
}

// The edges of the allowed range: scale 0 and just below 1, centres in the
// corners and at the far limits (318, 238), gains and keeps from 0 to 1.
TEST_F(ZoomBlurTest, FastWalkMatchesTheReferenceAtTheLimits) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    const float justBelowOne = 0.99999f;
    std::uint32_t seed = 100;
    for (float scale : {0.0f, 0.3f, 0.5f, 0.75f, justBelowOne}) {
      for (auto [cx, cy] : {std::pair{0, 0}, std::pair{318, 238}, std::pair{0, 238}, std::pair{318, 0}, std::pair{1, 3},
                            std::pair{315, 200}, std::pair{160, 120}}) {
        ExpectSameAsReference(seed++, cx, cy, scale, 0.89f, 0.89f);
      }
    }
    for (auto [gain, keep] : {std::pair{0.0f, 0.0f}, std::pair{1.0f, 1.0f}, std::pair{1.0f, 0.0f}, std::pair{0.3f, 0.8f}}) {
      ExpectSameAsReference(seed++, 163, 130, 0.95f, gain, keep);
    }
    // Outside the range the fast walk steps aside for the reference.
    ExpectSameAsReference(seed++, 319, 239, 1.5f, 0.9f, 0.9f);
    ExpectSameAsReference(seed++, 100, 100, -0.5f, 0.9f, 0.9f);
  });
}
