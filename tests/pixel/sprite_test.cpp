#include "pixel/sprite.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pixel/span_kernels.h"
#include "support/test_support.h"

namespace {
Pixel& At(Picture& p, int x, int y) { return p.pixels[y * ScreenWidth + x]; }
}  // namespace

TEST(SpriteTest, KeyIsSkippedByBothOperationsAndANearKeyIsDrawn) {
  auto src = MakePicture(TransparentKey);
  At(*src, 11, 10) = 0x15071550;
  SpriteBox box{10, 12, 10, 11};
  auto a = MakePicture(0x00101010), b = MakePicture(0x00101010);
  BlendSprite(0, 0, 255, &box, *src, *a);
  AddSprite(0, 0, 255, &box, *src, *b);
  EXPECT_EQ(At(*a, 10, 10), 0x00101010u);
  EXPECT_EQ(At(*b, 10, 10), 0x00101010u);
  EXPECT_NE(At(*a, 11, 10), 0x00101010u);
  EXPECT_NE(At(*b, 11, 10), 0x00101010u);
}

TEST(SpriteTest, BlendOpacity) {
  auto src = MakePicture(0x00FFFFFF);
  SpriteBox box{0, 4, 0, 1};
  auto dst = MakePicture(0x00123456);
  BlendSprite(0, 0, 0, &box, *src, *dst);
  BlendSprite(0, 0, -3, &box, *src, *dst);
  EXPECT_EQ(At(*dst, 0, 0), 0x00123456u);
  BlendSprite(0, 0, 300, &box, *src, *dst);
  EXPECT_EQ(At(*dst, 0, 0), 0x00FEFEFEu);

  auto black = MakePicture(0), white = MakePicture(0x00FFFFFF);
  BlendSprite(0, 0, 128, &box, *black, *white);
  EXPECT_EQ(At(*white, 3, 0), 0x007E7E7Eu);
  EXPECT_EQ(At(*white, 4, 0), 0x00FFFFFFu);
}

TEST(SpriteTest, AddGainReachesTheTopByte) {
  auto src = MakePicture(0x80808080);
  SpriteBox box{0, 1, 0, 1};
  auto dst = MakePicture(0xF0000010);
  AddSprite(0, 0, 256, &box, *src, *dst);
  EXPECT_EQ(At(*dst, 0, 0), 0xFF7F7F8Fu);
}

TEST(SpriteTest, ClippingAtEveryEdge) {
  auto src = RandomPicture(7);
  SpriteBox box{100, 150, 100, 140};
  for (auto [dx, dy] : {std::pair{-150, 0}, {220, 0}, {0, -140}, {0, 140}}) {
    auto dst = MakePicture(1);
    AddSprite(dx, dy, 255, &box, *src, *dst);
    BlendSprite(dx, dy, 255, &box, *src, *dst);
    for (Pixel p : dst->pixels) ASSERT_EQ(p, 1u) << dx << "," << dy;
  }
  // Straddling the bottom right: only the visible part, read from inside the box.
  auto dst = MakePicture(0);
  AddSprite(200, 120, 255, &box, *src, *dst);
  int drawn = 0;
  for (int y = 0; y < ScreenHeight; ++y) {
    for (int x = 0; x < ScreenWidth; ++x) {
      if (At(*dst, x, y) == 0) continue;
      ++drawn;
      ASSERT_GE(x, 300);
      ASSERT_GE(y, 220);
    }
  }
  EXPECT_GT(drawn, 300);
  // A box outside the source picture reads nothing outside it.
  SpriteBox stray{-50, 400, -50, 300};
  AddSprite(0, 0, 255, &stray, *src, *dst);
}

TEST(SpriteTest, StretchFullScreenShiftsByOneColumn) {
  auto src = RandomPicture(3), dst = MakePicture(5);
  StretchPicture(0, 0, 320, 240, *src, *dst);
  for (int y = 0; y < 239; ++y) {
    for (int x = 0; x < 319; ++x) ASSERT_EQ(At(*dst, x, y), At(*src, x + 1, y)) << x << "," << y;
    ASSERT_EQ(At(*dst, 319, y), 5u);
  }
  for (int x = 0; x < 320; ++x) ASSERT_EQ(At(*dst, x, 239), 5u);
}

TEST(SpriteTest, StretchAcrossTheLeftAndTopEdges) {
  auto src = RandomPicture(4), dst = MakePicture(0);
  StretchPicture(-10, -20, 630, 460, *src, *dst);  // twice the size
  const std::int32_t xstep = 32768;
  const float ys = static_cast<float>(240.0 / 480);
  std::int32_t row = static_cast<std::int32_t>(65536.0 * ys * 19.0);
  for (int y = 0; y < 240; ++y) {
    row += static_cast<std::int32_t>(ys * 65536.0);
    std::uint32_t col = 10u * xstep;
    for (int x = 0; x < 320; ++x) {
      col += xstep;
      ASSERT_EQ(At(*dst, x, y), At(*src, static_cast<int>(col >> 16), row >> 16)) << x << "," << y;
    }
  }
  // A shrunken rectangle stays inside it.
  auto small = MakePicture(0);
  StretchPicture(100, 50, 180, 110, *src, *small);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      if (x < 100 || x >= 179 || y < 50 || y >= 109) {
        ASSERT_EQ(At(*small, x, y), 0u);
      }
    }
  }
  EXPECT_EQ(At(*small, 100, 50), At(*src, 4, 0));
}

// The row-at-a-time sprites against the pixel-by-pixel references: random
// pictures with keys sprinkled in (and pixels one bit off the key), boxes and
// offsets that straddle every edge or leave the screen, every weight and the
// clamped ones outside 1..255.
TEST(SpriteTest, FastSpritesMatchTheReference) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    std::mt19937 rng(77);
    auto sprite = RandomPicture(8);
    for (std::int32_t i = 0; i < PicturePixels; ++i) {
      if (rng() % 5 == 0) sprite->pixels[i] = TransparentKey;
      else if (rng() % 50 == 0) sprite->pixels[i] = TransparentKey ^ 1u;
    }
    auto base = RandomPicture(9);
    auto fast = std::make_unique<Picture>(), ref = std::make_unique<Picture>();
    for (int trial = 0; trial < 300; ++trial) {
      const std::int32_t l = static_cast<std::int32_t>(rng() % 320), t = static_cast<std::int32_t>(rng() % 240);
      SpriteBox box{l, l + static_cast<std::int32_t>(rng() % (321 - l)), t, t + static_cast<std::int32_t>(rng() % (241 - t))};
      if (trial == 0) box = {0, 320, 0, 240};
      const std::int32_t dx = static_cast<std::int32_t>(rng() % 700) - 350, dy = static_cast<std::int32_t>(rng() % 540) - 270;
      const std::int32_t k = trial < 260 ? 1 + trial % 255 : static_cast<std::int32_t>(rng() % 600) - 200;
      *fast = *base;
      *ref = *base;
      BlendSprite(trial == 0 ? 0 : dx, trial == 0 ? 0 : dy, k, &box, *sprite, *fast);
      BlendSpriteReference(trial == 0 ? 0 : dx, trial == 0 ? 0 : dy, k, &box, *sprite, *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "blend trial " << trial;
      AddSprite(dx % 40, dy % 40, k, &box, *sprite, *fast);
      AddSpriteReference(dx % 40, dy % 40, k, &box, *sprite, *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << "add trial " << trial;
    }
  });
}

// The grouped stretch against the reference: enlargements, reductions (whose
// columns skip too far for a group), rectangles hanging over every edge, and
// tiny ones.
TEST(SpriteTest, FastStretchMatchesTheReference) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    std::mt19937 rng(78);
    auto src = RandomPicture(10), base = RandomPicture(11);
    auto fast = std::make_unique<Picture>(), ref = std::make_unique<Picture>();
    for (int trial = 0; trial < 200; ++trial) {
      std::int32_t left = static_cast<std::int32_t>(rng() % 500) - 250, top = static_cast<std::int32_t>(rng() % 400) - 200;
      std::int32_t right = left + 1 + static_cast<std::int32_t>(rng() % 700), bottom = top + 1 + static_cast<std::int32_t>(rng() % 500);
      if (trial == 0) left = 0, top = 0, right = 320, bottom = 240;
      if (trial == 1) left = -20, top = -15, right = 340, bottom = 255;
      *fast = *base;
      *ref = *base;
      StretchPicture(left, top, right, bottom, *src, *fast);
      StretchPictureReference(left, top, right, bottom, *src, *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels))
          << left << "," << top << "," << right << "," << bottom;
    }
  });
}
