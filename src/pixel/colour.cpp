#include "pixel/colour.h"

#include "pixel/span_kernels.h"

namespace {
inline std::uint32_t ClampWeight(std::int32_t k) {
  return k < 0 ? 0u : (k > 255 ? 255u : static_cast<std::uint32_t>(k));
}
}  // namespace

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

void MultiplySpan(const Pixel* src, Pixel* dst, std::int32_t count) {
  if (count < 1) return;
  ActiveSpanKernels().multiplySpan(src, dst, count);
}
