#include "pixel/box_blur.h"

#include <gtest/gtest.h>

#include <cstring>

#include "pixel/span_kernels.h"
#include "support/test_support.h"

namespace {
Pixel& At(Picture& p, int x, int y) { return p.pixels[y * ScreenWidth + x]; }
std::uint32_t Byte(Pixel p, int lane) { return (p >> (8 * lane)) & 0xFF; }
}  // namespace

TEST(BoxBlurTest, SmallRadiusCopiesOrLeavesAlone) {
  auto src = RandomPicture(1);
  for (int r : {0, -4}) {
    auto dst = MakePicture(9);
    BoxBlurHorizontal(r, 0, *src, *dst);
    EXPECT_EQ(0, std::memcmp(src->pixels, dst->pixels, sizeof src->pixels));
    auto untouched = MakePicture(9);
    BoxBlurVertical(r, 1, *src, *untouched);
    for (Pixel p : untouched->pixels) ASSERT_EQ(p, 9u);
  }
}

TEST(BoxBlurTest, RadiusOneAveragesWithTheRightNeighbour) {
  auto src = RandomPicture(2), dst = MakePicture();
  BoxBlurHorizontal(1, 0, *src, *dst);
  for (int y = 0; y < 240; y += 17) {
    for (int x = 0; x < 320; ++x) {
      const Pixel a = At(*src, x, y), b = At(*src, std::min(x + 1, 319), y);
      for (int lane = 0; lane < 4; ++lane) {
        ASSERT_EQ(Byte(At(*dst, x, y), lane), (Byte(a, lane) + Byte(b, lane)) >> 1) << x;
      }
    }
  }
  auto vert = MakePicture();
  BoxBlurVertical(1, 0, *src, *vert);
  for (int x = 0; x < 320; x += 13) {
    for (int y = 0; y < 240; ++y) {
      const Pixel a = At(*src, x, y), b = At(*src, x, std::min(y + 1, 239));
      ASSERT_EQ(Byte(At(*vert, x, y), 2), (Byte(a, 2) + Byte(b, 2)) >> 1) << y;
    }
  }
}

TEST(BoxBlurTest, WhiteSurvivesOnlyWhereTheScaleIsExact) {
  auto white = MakePicture(0x00FFFFFF), a = MakePicture(), b = MakePicture();
  for (int r : {1, 2, 4, 8, 16, 32, 3, 60}) {
    const Pixel expected = (r == 3 || r == 60) ? 0x00FEFEFE : 0x00FFFFFF;
    BoxBlurHorizontal(r, 0, *white, *a);
    BoxBlurVertical(r, 0, *a, *b);
    for (Pixel p : a->pixels) ASSERT_EQ(p, expected) << r;
    EXPECT_EQ(At(*b, 0, 0), (r == 3 || r == 60) ? 0x00FDFDFDu : 0x00FFFFFFu) << r;
  }
}

TEST(BoxBlurTest, BrightColumnSpreadsHalfAPixelLeft) {
  auto src = MakePicture(0), dst = MakePicture();
  for (int y = 0; y < 240; ++y) At(*src, 100, y) = 0x00C8C8C8;
  BoxBlurHorizontal(2, 0, *src, *dst);
  for (int x = 0; x < 320; ++x) {
    const Pixel expected = (x >= 98 && x <= 101) ? 0x00323232 : 0;
    ASSERT_EQ(At(*dst, x, 5), expected) << x;
  }
}

TEST(BoxBlurTest, RadiusWiderThanTheFrameStaysInside) {
  auto src = RandomPicture(5), dst = MakePicture();
  BoxBlurHorizontal(1000, 0, *src, *dst);
  BoxBlurVertical(100000, 0, *src, *dst);
}

// The fast passes against the per-lane references on every vector target: random
// pictures (all four bytes random, so the top lane is summed too), radii across
// the opening zoom's range (60 down to 1), the largest the 16-bit sums allow,
// and one past it.
TEST(BoxBlurTest, FastPassesMatchTheReferenceByteForByte) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    auto src = RandomPicture(7), fast = MakePicture(), ref = MakePicture();
    auto white = MakePicture(0xFFFFFFFF);
    for (int r : {1, 2, 3, 4, 5, 7, 8, 15, 16, 31, 32, 45, 59, 60, 61, 64, 100, 129}) {
      for (const Picture* in : {src.get(), white.get()}) {
        BoxBlurHorizontal(r, 0, *in, *fast);
        BoxBlurHorizontalReference(r, *in, *ref);
        ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "horizontal r " << r;
        BoxBlurVertical(r, 0, *in, *fast);
        BoxBlurVerticalReference(r, *in, *ref);
        ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "vertical r " << r;
      }
    }
    for (int r : {127, 128}) {
      BoxBlurHorizontal(r, 0, *src, *fast);
      BoxBlurHorizontalReference(r, *src, *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "horizontal r " << r;
      BoxBlurVertical(r, 0, *src, *fast);
      BoxBlurVerticalReference(r, *src, *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "vertical r " << r;
    }
  });
}
