#include "grid/plasma.h"

#include <cmath>

#include "pixel/span_kernels.h"
#include "pixel/truncate.h"

namespace {
// The doubles nearest 1 / q for each divisor q of the formulas.
constexpr double By132_9 = 0.007524454477050414;
constexpr double By104_3 = 0.009587727708533078;
constexpr double By141_6 = 0.007062146892655367;
constexpr double By118_1 = 0.00846740050804403;
constexpr double By931_4 = 0.001073652566029633;
constexpr double By789_4 = 0.001266784899923993;
constexpr double By64_5 = 0.015503875968992248;
constexpr double By89_5 = 0.0111731843575419;
constexpr double By94_3 = 0.010604453870625663;
constexpr double By113_1 = 0.008841732979664015;
constexpr double By129_5 = 0.007722007722007722;
constexpr double By75_9 = 0.013175230566534914;
}  // namespace

void MovePlasmaGridReference(float time) {
  const double t = time;
  const double k1 = static_cast<float>(5.0 * std::cos(t * By132_9) + 11.0);
  const double k2 = static_cast<float>(5.0 * std::cos(t * By104_3) + 11.0);
  const double k3 = static_cast<float>(5.0 * std::sin(t * By141_6) + 11.0);
  const double k4 = static_cast<float>(5.0 * std::sin(t * By118_1) + 11.0);
  const double O = 512.0 * std::sin(t * By931_4);
  const double T = 512.0 * std::sin(t * By789_4);
  for (std::int32_t i = -13; i <= 17; ++i) {
    const double M = std::cos((t + i * k2) * By64_5);
    const double R = std::cos((t - i * k4) * By89_5);
    std::int16_t* gu = PlasmaGrid.u + GridIndex(i + 13, 0);
    std::int16_t* gv = PlasmaGrid.v + GridIndex(i + 13, 0);
    for (std::int32_t k = -20; k <= 20; ++k) {
      const double u =
          ((64.0 * (std::sin((t - k * k1) * By94_3) * M + std::cos((t + (i - k) * k4) * By113_1)) + t) + O);
      const double v =
          (((64.0 * (std::sin((t + (k - i) * k1) * By129_5) + R * std::sin((t + k * k3) * By75_9))) + (-t)) + T) +
          t;
      gu[k + 20] = Low16(TruncateToInt64(u));
      gv[k + 20] = Low16(TruncateToInt64(v));
    }
  }
}

void DrawPlasma(float t, const Pixel* texture, Picture& destination) {
  MovePlasmaGrid(t);
  MapGrid(texture, destination);
}

// The same grid with each sine and cosine taken once per frame: two of the four
// per vertex depend only on the column k, the other two only on i - k, so 232
// calls replace 5,084. Every argument is the same expression on the same values
// as above, so every vertex comes out the same.
void MovePlasmaGrid(float time) {
  if (UsingReferenceKernels()) {
    MovePlasmaGridReference(time);
    return;
  }
  const double t = time;
  const double k1 = static_cast<float>(5.0 * std::cos(t * By132_9) + 11.0);
  const double k2 = static_cast<float>(5.0 * std::cos(t * By104_3) + 11.0);
  const double k3 = static_cast<float>(5.0 * std::sin(t * By141_6) + 11.0);
  const double k4 = static_cast<float>(5.0 * std::sin(t * By118_1) + 11.0);
  const double O = 512.0 * std::sin(t * By931_4);
  const double T = 512.0 * std::sin(t * By789_4);
  constexpr std::int32_t Columns = 41, Spread = 17 + 20;  // |i - k| <= 37
  double waveK[Columns], rippleK[Columns], waveIK[2 * Spread + 1], waveKI[2 * Spread + 1];
  for (std::int32_t k = -20; k <= 20; ++k) {
    waveK[k + 20] = std::sin((t - k * k1) * By94_3);
    rippleK[k + 20] = std::sin((t + k * k3) * By75_9);
  }
  for (std::int32_t d = -Spread; d <= Spread; ++d) {
    waveIK[d + Spread] = std::cos((t + d * k4) * By113_1);  // d = i - k
    waveKI[d + Spread] = std::sin((t + d * k1) * By129_5);  // d = k - i
  }
  for (std::int32_t i = -13; i <= 17; ++i) {
    const double M = std::cos((t + i * k2) * By64_5);
    const double R = std::cos((t - i * k4) * By89_5);
    std::int16_t* gu = PlasmaGrid.u + GridIndex(i + 13, 0);
    std::int16_t* gv = PlasmaGrid.v + GridIndex(i + 13, 0);
    for (std::int32_t k = -20; k <= 20; ++k) {
      const double u = ((64.0 * (waveK[k + 20] * M + waveIK[i - k + Spread]) + t) + O);
      const double v = (((64.0 * (waveKI[k - i + Spread] + R * rippleK[k + 20])) + (-t)) + T) + t;
      gu[k + 20] = Low16(TruncateToInt64(u));
      gv[k + 20] = Low16(TruncateToInt64(v));
    }
  }
}
