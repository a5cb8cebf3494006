#include "grid/grid.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "grid/plasma.h"
#include "pixel/span_kernels.h"
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

// The once-per-frame sine tables against four calls per vertex: scene times of
// both parts, negative and very large ones, and odd fractions.
TEST(PlasmaTest, SharedSinesGiveTheSameGrid) {
  std::mt19937 rng(3);
  std::vector<float> times = {0.0f, 1.0f, -1.0f, 0.5f, 123.0f, 4567.25f, -9000.0f, 70000.0f, 3.0e6f, 1.0e9f};
  for (int n = 0; n < 200; ++n) times.push_back(static_cast<float>(rng() % 2000000) / 7.0f);
  for (float t : times) {
    MovePlasmaGridReference(t);
    const GridField expected = PlasmaGrid;
    std::memset(&PlasmaGrid, 0x5A, sizeof PlasmaGrid);
    MovePlasmaGrid(t);
    for (int m = 0; m < GridRows; ++m) {
      for (int k = 0; k < GridColumns; ++k) {
        ASSERT_EQ(PlasmaGrid.u[GridIndex(m, k)], expected.u[GridIndex(m, k)]) << "t " << t;
        ASSERT_EQ(PlasmaGrid.v[GridIndex(m, k)], expected.v[GridIndex(m, k)]) << "t " << t;
      }
    }
  }
}

// The block-row vector form against the pixel-by-pixel mapper: random grids over
// the whole 16-bit range (steps that wrap), small ones, and the plasma's own.
TEST(MapGridTest, VectorRowsMatchTheReference) {
  ForEachVectorTarget([&](const char* target) {
    SCOPED_TRACE(target);
    std::mt19937 rng(5);
    std::vector<Pixel> texture(TexturePixels);
    for (Pixel& p : texture) p = static_cast<Pixel>(rng());
    auto fast = MakePicture(), ref = MakePicture();
    for (int trial = 0; trial < 40; ++trial) {
      const int range = trial % 2 == 0 ? 65536 : 600;
      FillGrid([&](int, int) { return static_cast<int>(rng() % range) - range / 2; },
               [&](int, int) { return static_cast<int>(rng() % range) - range / 2; });
      if (trial == 39) MovePlasmaGrid(4321.0f);
      MapGrid(texture.data(), *fast);
      MapGridReference(texture.data(), *ref);
      ASSERT_EQ(0, std::memcmp(fast->pixels, ref->pixels, sizeof ref->pixels)) << trial;
    }
  });
}
