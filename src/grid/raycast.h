// Flight through a tunnel: one ray per grid vertex from an eye point, rotated by
// three angles (1/65536 radian), hits the cylinder x^2 + y^2 = 256^2; depth
// along the axis becomes u (|z| * 0.6), the angle around it v (0..256, the two
// sides of the x axis mirrored). DrawRayPlasma adds the ray grid, scaled by mix
// in 1/256, onto the freshly moved plasma; a mix within -1..1 casts no rays.
#pragma once

#include <cstdint>

#include "grid/grid.h"

struct Vector3 {
  float x, y, z;
};

struct RayHit {
  std::int32_t u, v;
};

void NormalizeVector(Vector3& v);
void RotateVector(Vector3& v, std::int32_t ax, std::int32_t ay, std::int32_t az);
RayHit CastRay(Vector3 eye, Vector3 direction);
void CastRayGrid(Vector3 eye, float a1, float a2, float a3, float s1, float s2);
// Six sines and cosines per ray, as the formulas say: what CastRayGrid must match.
void CastRayGridReference(Vector3 eye, float a1, float a2, float a3, float s1, float s2);
void DrawRayPlasma(float t, float mix, float e1, float e2, float e3, float g1, float g2, float g3, float s1,
                   float s2, const Pixel* texture, Picture& destination);
