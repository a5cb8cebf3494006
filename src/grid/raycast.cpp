#include "grid/raycast.h"

#include <cmath>

#include "grid/plasma.h"
#include "pixel/truncate.h"

namespace {
constexpr double AngleUnit = 1.0 / 65536.0;             // 2^-16
constexpr double DegreesToAngle = 0.017453292522222223;  // 3.141592654 / 180
constexpr double AngleToV = 81.50270614453996;           // 256 / 3.141
}  // namespace

void NormalizeVector(Vector3& v) {
  const double x = v.x, y = v.y, z = v.z;
  const double inv = 1.0 / std::sqrt(x * x + y * y + z * z);
  v.x = static_cast<float>(inv * x);
  v.y = static_cast<float>(inv * y);
  v.z = static_cast<float>(inv * z);
}

void RotateVector(Vector3& v, std::int32_t ax, std::int32_t ay, std::int32_t az) {
  const double sx = static_cast<float>(65536.0 * std::sin(ax * AngleUnit));
  const double cx = static_cast<float>(65536.0 * std::cos(ax * AngleUnit));
  const double sy = static_cast<float>(65536.0 * std::sin(ay * AngleUnit));
  const double cy = 65536.0 * std::cos(ay * AngleUnit);  // the one factor kept in double
  const double sz = static_cast<float>(65536.0 * std::sin(az * AngleUnit));
  const double cz = static_cast<float>(65536.0 * std::cos(az * AngleUnit));
  const double x = v.x, y = v.y, z = v.z;

  const double x1 = static_cast<float>((x * cy - z * sy) * AngleUnit);
  const double z1 = (z * cy + x * sy) * AngleUnit;
  const double y2 = (y * cz - x1 * sz) * AngleUnit;
  v.x = static_cast<float>((x1 * cz + y * sz) * AngleUnit);
  v.y = static_cast<float>((y2 * cx + z1 * sx) * AngleUnit);
  v.z = static_cast<float>((z1 * cx - y2 * sx) * AngleUnit);
}

RayHit CastRay(Vector3 eye, Vector3 direction) {
  NormalizeVector(direction);
  const double ex = eye.x, ey = eye.y, ez = eye.z;
  const double dx = direction.x, dy = direction.y, dz = direction.z;
  const double a = dx * dx + dy * dy;
  const double b = 2.0 * (ey * dy + ex * dx);
  const double b1 = static_cast<float>(b);
  const double k = (ex * ex + ey * ey) - 65536.0;
  const double disc = b * b1 - 4.0 * a * k;
  if (!(disc >= 0.0)) return {0, 0};  // the ray misses (an eye outside the tunnel)
  const double sq = static_cast<float>(std::sqrt(disc));
  const double den = 2.0 * a + 0.000001;
  const double t1 = static_cast<float>((sq - b1) / den);
  const double r = t1 > 0.0 ? t1 : (-b1 - sq) / den;
  const double px = ex + r * dx, py = ey + r * dy, pz = ez + r * dz;
  return {TruncateToInt32(std::fabs(pz) * 0.6), TruncateToInt32(std::fabs(std::atan2(py, px)) * AngleToV)};
}

void CastRayGrid(Vector3 eye, float a1, float a2, float a3, float s1, float s2) {
  for (std::int32_t i = 0; i < GridRows; ++i) {
    for (std::int32_t j = 0; j < GridColumns; ++j) {
      Vector3 d{static_cast<float>((i - 15.5) * 0.0967741935483871),
                static_cast<float>((j - 20.5) * 0.0975609756097561), 1.0f};
      RotateVector(d, TruncateToInt32(double{a2} + j * double{s1}), TruncateToInt32(double{a1} + i * double{s2}),
                   TruncateToInt32(double{a3} + (i * j) * double{s2}));
      const RayHit hit = CastRay(eye, d);
      RayGrid.u[GridIndex(i, j)] = Low16(hit.u);
      RayGrid.v[GridIndex(i, j)] = Low16(hit.v);
    }
  }
}

void DrawRayPlasma(float t, float mix, float e1, float e2, float e3, float g1, float g2, float g3, float s1,
                   float s2, const Pixel* texture, Picture& destination) {
  MovePlasmaGrid(t);
  if (!(mix <= 1.0f && mix >= -1.0f)) {
    CastRayGrid({e1, e2, e3}, static_cast<float>(g1 * 65536.0 * DegreesToAngle),
                static_cast<float>(g2 * 65536.0 * DegreesToAngle), static_cast<float>(g3 * 65536.0 * DegreesToAngle),
                s1, s2);
    for (std::int32_t m = 0; m < GridRows; ++m) {
      for (std::int32_t n = 0; n < GridColumns; ++n) {
        const std::int32_t at = GridIndex(m, n);
        const std::int32_t du = TruncateToInt32(RayGrid.u[at] * double{mix}) >> 8;
        const std::int32_t dv = TruncateToInt32(RayGrid.v[at] * double{mix}) >> 8;
        PlasmaGrid.u[at] = Low16(PlasmaGrid.u[at] + du);
        PlasmaGrid.v[at] = Low16(PlasmaGrid.v[at] + dv);
      }
    }
  }
  MapGrid(texture, destination);
}
