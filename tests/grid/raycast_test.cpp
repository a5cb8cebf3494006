#include "grid/raycast.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "grid/plasma.h"
#include "support/test_support.h"

TEST(RayCastTest, RaysFromTheOrigin) {
  CastRayGrid({0, 0, 0}, 0, 0, 0, 0, 0);
  EXPECT_EQ(RayGrid.u[GridIndex(15, 20)], 2235);
  EXPECT_EQ(RayGrid.v[GridIndex(15, 20)], 191);
  EXPECT_EQ(RayGrid.u[GridIndex(0, 0)], 61);
  EXPECT_EQ(RayGrid.v[GridIndex(0, 0)], 180);
}

TEST(RayCastTest, DegenerateRays) {
  // Along the axis: a = 0, r = 0, the hit is the eye itself.
  RayHit axis = CastRay({0, 0, 100}, {0, 0, 1});
  EXPECT_EQ(axis.u, 60);
  EXPECT_EQ(axis.v, 0);
  // From outside the tunnel, pointing away from it: no intersection.
  RayHit miss = CastRay({1000, 0, 0}, {0, 1, 0});
  EXPECT_EQ(miss.u, 0);
  EXPECT_EQ(miss.v, 0);
  // Inside, sideways: hits the wall at radius 256 straight ahead.
  RayHit wall = CastRay({0, 0, 0}, {0, 1, 0});
  EXPECT_EQ(wall.u, 0);
  EXPECT_EQ(wall.v, static_cast<std::int32_t>(std::atan2(256.0, 0.0) * 81.50270614453996));
}

TEST(RayCastTest, VectorsNormaliseAndRotate) {
  Vector3 v{3, 0, 4};
  NormalizeVector(v);
  EXPECT_FLOAT_EQ(v.x, 0.6f);
  EXPECT_FLOAT_EQ(v.z, 0.8f);
  Vector3 same{0.25f, -0.5f, 1.0f};
  RotateVector(same, 0, 0, 0);
  EXPECT_FLOAT_EQ(same.x, 0.25f);
  EXPECT_FLOAT_EQ(same.y, -0.5f);
  EXPECT_FLOAT_EQ(same.z, 1.0f);
  // A quarter turn about y takes z onto -x... and x onto z.
  const auto quarter = static_cast<std::int32_t>(65536 * M_PI / 2);
  Vector3 x{1, 0, 0};
  RotateVector(x, 0, quarter, 0);
  EXPECT_NEAR(x.x, 0.0f, 1e-4);
  EXPECT_NEAR(x.z, 1.0f, 1e-4);
}

TEST(RayPlasmaTest, SmallMixesCastNoRays) {
  std::vector<Pixel> texture(TexturePixels);
  for (int i = 0; i < TexturePixels; ++i) texture[i] = static_cast<Pixel>(i * 2654435761u);
  CastRayGrid({0, 0, 0}, 0, 0, 0, 0, 0);
  const GridField rays = RayGrid;
  auto plain = MakePicture(), mixed = MakePicture();
  DrawPlasma(500.0f, texture.data(), *plain);
  for (float mix : {1.0f, -1.0f, 0.0f, 0.5f}) {
    DrawRayPlasma(500.0f, mix, 0, 0, 90, 10, 20, 30, 5, 6, texture.data(), *mixed);
    ASSERT_EQ(0, std::memcmp(plain->pixels, mixed->pixels, sizeof plain->pixels)) << mix;
    ASSERT_EQ(0, std::memcmp(&rays, &RayGrid, sizeof rays)) << mix;
  }
  DrawRayPlasma(500.0f, std::nanf(""), 0, 0, 90, 0, 0, 0, 0, 0, texture.data(), *mixed);
  EXPECT_NE(0, std::memcmp(&rays, &RayGrid, sizeof rays)) << "NaN counts as outside -1..1";
}

TEST(RayPlasmaTest, MixAddsTheRayGridIn256ths) {
  std::vector<Pixel> texture(TexturePixels, 0);
  auto frame = MakePicture();
  for (float mix : {256.0f, 8.0f}) {
    MovePlasmaGrid(77.0f);
    const GridField plasma = PlasmaGrid;
    DrawRayPlasma(77.0f, mix, 10, -20, 30, 5, 10, 15, 100, 200, texture.data(), *frame);
    for (int m = 0; m < GridRows; ++m) {
      for (int n = 0; n < GridColumns; ++n) {
        const int at = GridIndex(m, n);
        const int ray = RayGrid.u[at];
        const int added = mix == 256.0f ? ray : static_cast<int>(std::floor(ray / 32.0));
        ASSERT_EQ(PlasmaGrid.u[at], static_cast<std::int16_t>(plasma.u[at] + added)) << m << "," << n;
      }
    }
  }
}

// Factors shared by rows, columns and products i * j against six calls per ray:
// the camera values part one uses, steps of both signs, eyes inside and outside
// the tunnel, and angles far past a turn.
TEST(RayCastTest, SharedFactorsGiveTheSameGrid) {
  std::mt19937 rng(4);
  auto uniform = [&](float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(rng() % 100000) / 100000.0f;
  };
  for (int trial = 0; trial < 60; ++trial) {
    const Vector3 eye = trial == 0 ? Vector3{0, 0, 0} : Vector3{uniform(-300, 300), uniform(-300, 300), uniform(-5000, 5000)};
    const float a1 = uniform(-4e5f, 4e5f), a2 = uniform(-4e5f, 4e5f), a3 = uniform(-4e6f, 4e6f);
    const float s1 = trial % 3 == 0 ? 0.0f : uniform(-3000, 3000), s2 = trial % 4 == 0 ? 0.0f : uniform(-300, 300);
    CastRayGridReference(eye, a1, a2, a3, s1, s2);
    const GridField expected = RayGrid;
    std::memset(&RayGrid, 0x5A, sizeof RayGrid);
    CastRayGrid(eye, a1, a2, a3, s1, s2);
    for (int i = 0; i < GridRows; ++i) {
      for (int j = 0; j < GridColumns; ++j) {
        ASSERT_EQ(RayGrid.u[GridIndex(i, j)], expected.u[GridIndex(i, j)]) << trial << " ray " << i << "," << j;
        ASSERT_EQ(RayGrid.v[GridIndex(i, j)], expected.v[GridIndex(i, j)]) << trial << " ray " << i << "," << j;
      }
    }
  }
}
