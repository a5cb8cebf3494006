#include "pixel/colour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

TEST(ColourTest, MultiplyAndAddWorkPerChannelAndDropTheTopByte) {
  EXPECT_EQ(MultiplyColour(0x00FFFFFF, 0x00FFFFFF), 0x00FEFEFEu);
  EXPECT_EQ(MultiplyColour(0xFF102030, 0x00FFFFFF), 0x000F1F2Fu);
  EXPECT_EQ(MultiplyColour(0x00010101, 0x00FFFFFF), 0u);
  EXPECT_EQ(AddColour(0x00808080, 0x00808080), 0x00FFFFFFu);
  EXPECT_EQ(AddColour(0x00FF0001, 0x00FF0001), 0x00FF0002u);
  EXPECT_EQ(AddColour(0xFF000000, 0xFF000001), 0x00000001u);
}

TEST(ColourTest, FloatLevelsTruncateAndClamp) {
  EXPECT_EQ(LevelFromFloat(1.0f), 255);
  EXPECT_EQ(LevelFromFloat(2.0f), 255);
  EXPECT_EQ(LevelFromFloat(0.5f), 127);
  EXPECT_EQ(LevelFromFloat(0.999f), 254);
  EXPECT_EQ(LevelFromFloat(-1.0f), 0);
  EXPECT_EQ(LevelFromFloat(std::nanf("")), 0);
  // 0.89f is a little below 0.89: 226.95 truncates to 226.
  EXPECT_EQ(LevelFromFloat(0.89f), 226);
}

TEST(SpanTest, AddSpanScaledWeights) {
  std::vector<Pixel> src = {0xFFFFFFFF, 0x80402010}, dst = {0x00000000, 0x01010101};
  auto before = dst;
  AddSpanScaled(src.data(), dst.data(), 0, 2, 0);
  AddSpanScaled(src.data(), dst.data(), 0, 2, -5);
  EXPECT_EQ(dst, before);

  auto a = dst, b = dst;
  AddSpanScaled(src.data(), a.data(), 0, 2, 300);
  AddSpanScaled(src.data(), b.data(), 0, 2, 255);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a[0], 0xFEFEFEFEu);  // shifted before the sum: 255 adds 254

  // Same array as source and destination brightens in place.
  std::vector<Pixel> self = {0x40C0FF10};
  AddSpanScaled(self.data(), self.data(), 0, 1, 128);
  EXPECT_EQ(self[0], 0x60FFFF18u);
}

TEST(SpanTest, StartOffsetsBothArraysAndCountIsExact) {
  std::vector<Pixel> src(6, 0x01010101), dst(6, 0);
  AddSpan(src.data(), dst.data(), 2, 1);
  EXPECT_EQ(dst, (std::vector<Pixel>{0, 0, 0x01010101, 0, 0, 0}));
  AddSpan(src.data(), dst.data(), 0, 0);
  AddSpan(src.data(), dst.data(), 0, -4);
  EXPECT_EQ(dst, (std::vector<Pixel>{0, 0, 0x01010101, 0, 0, 0}));
  std::vector<Pixel> sat = {0xF0F0F0F0};
  AddSpan(sat.data(), sat.data(), 0, 1);
  EXPECT_EQ(sat[0], 0xFFFFFFFFu);
}

TEST(SpanTest, ScaleAndFadeLevels) {
  std::vector<Pixel> src = {0xFFFFFFFF, 0x12345678}, one(2), two(2);
  ScaleSpan(1.0f, src.data(), one.data(), 2);
  ScaleSpan(2.0f, src.data(), two.data(), 2);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one[0], 0xFEFEFEFEu);
  ScaleSpan(-1.0f, src.data(), one.data(), 2);
  EXPECT_EQ(one, (std::vector<Pixel>{0, 0}));
  ScaleSpan(0.5f, src.data(), one.data(), 1);
  EXPECT_EQ(one[0], 0x7E7E7E7Eu);  // a = 127

  FadeSpanToWhite(1.0f, src.data(), one.data(), 2);
  EXPECT_EQ(one, (std::vector<Pixel>{0xFEFEFEFE, 0xFEFEFEFE}));
  FadeSpanToWhite(0.0f, src.data(), one.data(), 2);
  EXPECT_EQ(one[0], 0xFEFEFEFEu);
  EXPECT_EQ(one[1], 0x11335577u);
}

TEST(SpanTest, BlendNegativeColoursAndTopByte) {
  std::vector<Pixel> p = {0x00FF0000, 0x00FF8000};
  BlendNegative(p.data(), 255, 2);
  EXPECT_EQ(p[0], 0x0000FEFEu);
  p = {0x00FF8000, 0x00FF8000};
  BlendNegative(p.data(), 0, 2);
  EXPECT_EQ(p[0], 0x00FE7F00u);
  p = {0x00008081, 0x00FFFFFF};
  BlendNegative(p.data(), 128, 2);
  EXPECT_EQ(p[0], 0x007F7F7Eu);
  EXPECT_EQ(p[1], 0x007E7E7Eu);
  // Out-of-range weights clamp.
  p = {0x00FF0000, 0x00FF0000};
  BlendNegative(p.data(), 999, 2);
  EXPECT_EQ(p[0], 0x0000FEFEu);
  // Top byte: crossed with 0 - t, own weight (256 - k) mod 256, in 16 bits.
  p = {0x10000000, 0x10000000};
  BlendNegative(p.data(), 64, 1);  // an odd count is handled, pixel 1 untouched
  EXPECT_EQ(p[0] >> 24, 0x08u);
  EXPECT_EQ(p[1], 0x10000000u);
  p = {0x10000000, 0x10000000};
  BlendNegative(p.data(), 0, 2);
  EXPECT_EQ(p[0] >> 24, 0u);
}

// The inline colour operations against their per-channel formulas, top bytes set.
TEST(ColourTest, MultiplyAndAddColourOnRandomPairs) {
  std::mt19937 rng(6);
  for (int n = 0; n < 200000; ++n) {
    const Pixel a = static_cast<Pixel>(rng()), b = static_cast<Pixel>(rng());
    Pixel product = 0, sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      const std::uint32_t x = (a >> shift) & 0xFF, y = (b >> shift) & 0xFF;
      product |= ((x * y) >> 8) << shift;
      sum |= std::min(255u, x + y) << shift;
    }
    ASSERT_EQ(MultiplyColour(a, b), product);
    ASSERT_EQ(AddColour(a, b), sum);
  }
}
