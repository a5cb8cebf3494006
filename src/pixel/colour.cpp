#include "pixel/colour.h"

#include "pixel/span_kernels.h"

namespace {
inline std::uint32_t Channel(Pixel p, int shift) { return (p >> shift) & 0xFFu; }
inline std::uint32_t ClampWeight(std::int32_t k) {
  return k < 0 ? 0u : (k > 255 ? 255u : static_cast<std::uint32_t>(k));
}
}  // namespace

Pixel MultiplyColour(Pixel a, Pixel b) {
  Pixel out = 0;
  for (int shift = 0; shift <= 16; shift += 8) out |= ((Channel(a, shift) * Channel(b, shift)) >> 8) << shift;
  return out;
}

Pixel AddColour(Pixel a, Pixel b) {
  Pixel out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    std::uint32_t sum = Channel(a, shift) + Channel(b, shift);
    out |= (sum > 255u ? 255u : sum) << shift;
  }
  return out;
}

std::int32_t LevelFromFloat(float level) {
  double product = static_cast<double>(level) * 255.0;
  if (!(product > 0.0)) return 0;  // also NaN
  if (product >= 255.0) return 255;
  return static_cast<std::int32_t>(product);
}

void AddSpan(const Pixel* src, Pixel* dst, std::int32_t start, std::int32_t count) {
  if (count < 1) return;
  ActiveSpanKernels().addSpan(src + start, dst + start, count);
}

void AddSpanScaled(const Pixel* src, Pixel* dst, std::int32_t start, std::int32_t count,
                   std::int32_t k) {
  if (k < 1 || count < 1) return;
  ActiveSpanKernels().addSpanScaled(src + start, dst + start, count, ClampWeight(k));
}

void ScaleSpan(float level, const Pixel* src, Pixel* dst, std::int32_t count) {
  if (count < 1) return;
  ActiveSpanKernels().scaleSpan(src, dst, count, static_cast<std::uint32_t>(LevelFromFloat(level)));
}

void FadeSpanToWhite(float level, const Pixel* src, Pixel* dst, std::int32_t count) {
  if (count < 1) return;
  ActiveSpanKernels().fadeSpanToWhite(src, dst, count,
                                      static_cast<std::uint32_t>(LevelFromFloat(level)));
}

void BlendNegative(Pixel* pixels, std::int32_t k, std::int32_t count) {
  if (count < 1) return;
  ActiveSpanKernels().blendNegative(pixels, count, ClampWeight(k));
}
