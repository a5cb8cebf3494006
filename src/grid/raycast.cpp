#include "grid/raycast.h"

#include <cmath>

#include "grid/plasma.h"
#include "pixel/span_kernels.h"
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

namespace {

// The sine and cosine factors of one angle: 65536 sin and 65536 cos of angle
// 2^-16 radian, each rounded to a float unless the cosine is to stay double.
struct Turn {
  double s, c;
};
Turn TurnOf(std::int32_t angle, bool doubleCosine = false) {
  const double s = static_cast<float>(65536.0 * std::sin(angle * AngleUnit));
  const double c = 65536.0 * std::cos(angle * AngleUnit);
  return {s, doubleCosine ? c : static_cast<double>(static_cast<float>(c))};
}

void Rotate(Vector3& v, const Turn& tx, const Turn& ty, const Turn& tz) {
  const double x = v.x, y = v.y, z = v.z;
  const double x1 = static_cast<float>((x * ty.c - z * ty.s) * AngleUnit);
  const double z1 = (z * ty.c + x * ty.s) * AngleUnit;
  const double y2 = (y * tz.c - x1 * tz.s) * AngleUnit;
  v.x = static_cast<float>((x1 * tz.c + y * tz.s) * AngleUnit);
  v.y = static_cast<float>((y2 * tx.c + z1 * tx.s) * AngleUnit);
  v.z = static_cast<float>((z1 * tx.c - y2 * tx.s) * AngleUnit);
}

Vector3 GridDirection(std::int32_t i, std::int32_t j) {
  return {static_cast<float>((i - 15.5) * 0.0967741935483871), static_cast<float>((j - 20.5) * 0.0975609756097561),
          1.0f};
}

std::int32_t AngleX(float a2, float s1, std::int32_t j) { return TruncateToInt32(double{a2} + j * double{s1}); }
std::int32_t AngleY(float a1, float s2, std::int32_t i) { return TruncateToInt32(double{a1} + i * double{s2}); }
std::int32_t AngleZ(float a3, float s2, std::int32_t i, std::int32_t j) {
  return TruncateToInt32(double{a3} + (i * j) * double{s2});
}

void Store(std::int32_t i, std::int32_t j, const RayHit& hit) {
  RayGrid.u[GridIndex(i, j)] = Low16(hit.u);
  RayGrid.v[GridIndex(i, j)] = Low16(hit.v);
}

}  // namespace

void RotateVector(Vector3& v, std::int32_t ax, std::int32_t ay, std::int32_t az) {
  Rotate(v, TurnOf(ax), TurnOf(ay, true), TurnOf(az));
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

void CastRayGridReference(Vector3 eye, float a1, float a2, float a3, float s1, float s2) {
  for (std::int32_t i = 0; i < GridRows; ++i) {
    for (std::int32_t j = 0; j < GridColumns; ++j) {
      Vector3 d = GridDirection(i, j);
      RotateVector(d, AngleX(a2, s1, j), AngleY(a1, s2, i), AngleZ(a3, s2, i, j));
      Store(i, j, CastRay(eye, d));
    }
  }
}

// The angle about x depends only on the column, the one about y only on the row
// and the one about z only on i * j: their factors are worked out once each and
// reused for every ray that shares them, the same values the reference computes.
void CastRayGrid(Vector3 eye, float a1, float a2, float a3, float s1, float s2) {
  if (UsingReferenceKernels()) {
    CastRayGridReference(eye, a1, a2, a3, s1, s2);
    return;
  }
  Turn columnTurn[GridColumns], rowTurn[GridRows];
  for (std::int32_t j = 0; j < GridColumns; ++j) columnTurn[j] = TurnOf(AngleX(a2, s1, j));
  for (std::int32_t i = 0; i < GridRows; ++i) rowTurn[i] = TurnOf(AngleY(a1, s2, i), true);
  constexpr std::int32_t Products = (GridRows - 1) * (GridColumns - 1) + 1;
  Turn productTurn[Products];
  bool known[Products] = {};
  for (std::int32_t i = 0; i < GridRows; ++i) {
    for (std::int32_t j = 0; j < GridColumns; ++j) {
      const std::int32_t p = i * j;
      if (!known[p]) productTurn[p] = TurnOf(AngleZ(a3, s2, i, j)), known[p] = true;
      Vector3 d = GridDirection(i, j);
      Rotate(d, columnTurn[j], rowTurn[i], productTurn[p]);
      Store(i, j, CastRay(eye, d));
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
