#include "grid/grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "grid/plasma.h"
#include "support/test_support.h"

namespace {

// Texel (x, y) holds x | y << 8, so a pixel tells which texel it sampled.
std::vector<Pixel> CoordinateTexture() {
  std::vector<Pixel> texture(TexturePixels);
  for (int y = 0; y < 256; ++y) {
    for (int x = 0; x < 256; ++x) texture[y * 256 + x] = static_cast<Pixel>(x | y << 8);
  }
  return texture;
}

template <typename U, typename V>
void FillGrid(U u, V v) {
  for (int m = 0; m < GridRows; ++m) {
    for (int n = 0; n < GridColumns; ++n) {
      PlasmaGrid.u[GridIndex(m, n)] = static_cast<std::int16_t>(u(m, n));
      PlasmaGrid.v[GridIndex(m, n)] = static_cast<std::int16_t>(v(m, n));
    }
  }
}

}  // namespace

TEST(MapGridTest, IdentityGridSamplesOneTexelOnAndDown) {
  const auto texture = CoordinateTexture();
  FillGrid([](int, int n) { return 8 * n; }, [](int m, int) { return 8 * m; });
  auto frame = MakePicture();
  MapGrid(texture.data(), *frame);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      ASSERT_EQ(frame->pixels[y * 320 + x], static_cast<Pixel>(((x + 1) % 256) | ((y + 1) % 256) << 8))
          << x << "," << y;
    }
  }
}

TEST(MapGridTest, OnlyTheLowEightBitsChooseTheTexel) {
  const auto texture = CoordinateTexture();
  auto frame = MakePicture();
  for (auto [value, texel] : {std::pair{0, 0}, {-1, 255}, {256, 0}, {-32768, 0}, {32767, 255}}) {
    FillGrid([v = value](int, int) { return v; }, [v = value](int, int) { return v; });
    MapGrid(texture.data(), *frame);
    for (Pixel p : frame->pixels) ASSERT_EQ(p, static_cast<Pixel>(texel | texel << 8)) << value;
  }
}

TEST(MapGridTest, WideCornersRepeatTheTextureInsideABlock) {
  const auto texture = CoordinateTexture();
  FillGrid([](int, int n) { return 512 * n; }, [](int, int) { return 0; });
  auto frame = MakePicture();
  MapGrid(texture.data(), *frame);
  for (int t = 0; t < 8; ++t) EXPECT_EQ(frame->pixels[8 + t] & 0xFF, static_cast<Pixel>((64 * (t + 1)) & 255)) << t;
}

TEST(PlasmaTest, VerticesAtTimeZero) {
  MovePlasmaGrid(0.0f);
  EXPECT_EQ(PlasmaGrid.u[GridIndex(13, 20)], 64);
  EXPECT_EQ(PlasmaGrid.v[GridIndex(13, 20)], 0);
  EXPECT_EQ(PlasmaGrid.u[GridIndex(0, 0)], 65);
  EXPECT_EQ(PlasmaGrid.v[GridIndex(0, 0)], -48);
}

TEST(PlasmaTest, LargeTimesWrapInSixteenBits) {
  // u grows one texel per unit of t: far past 32,767 it has wrapped, and the
  // flow stays continuous modulo 65,536 from one frame to the next.
  MovePlasmaGrid(100000.0f);
  const std::int16_t before = PlasmaGrid.u[GridIndex(13, 20)];
  MovePlasmaGrid(100001.0f);
  const std::int16_t after = PlasmaGrid.u[GridIndex(13, 20)];
  const int step = static_cast<std::int16_t>(static_cast<std::uint16_t>(after - before));
  EXPECT_GT(step, -8);
  EXPECT_LT(step, 8);
  for (int m = 0; m < GridRows; ++m) ASSERT_LT(std::abs(PlasmaGrid.v[GridIndex(m, 5)]), 700);
}

TEST(PlasmaTest, DrawPlasmaIsMoveThenMap) {
  const auto texture = CoordinateTexture();
  auto a = MakePicture(), b = MakePicture();
  DrawPlasma(1234.0f, texture.data(), *a);
  MovePlasmaGrid(1234.0f);
  MapGrid(texture.data(), *b);
  EXPECT_EQ(0, std::memcmp(a->pixels, b->pixels, sizeof a->pixels));
}
