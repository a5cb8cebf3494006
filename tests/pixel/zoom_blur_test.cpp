#include "pixel/zoom_blur.h"

#include <gtest/gtest.h>

#include <cstring>

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
