// Colour arithmetic and whole-span blends: 8-bit lane arithmetic on the four
// bytes of a pixel word (blue, green, red, top).
//
//   lane product   (x * k) >> 8, never rounded: 255 * 255 gives 254
//   lane sum       min(255, x + y)
//   float level    clamp(trunc(double(f) * 255), 0, 255)
//
// Span operations read element i of every input before writing element i, so
// source and destination may be the same array. AddSpan and AddSpanScaled offset
// both arrays by `start`. A count below 1 does nothing. The results are exact;
// the work goes through the kernel table of span_kernels.h.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// Red, green and blue are the lane products of the two colours; top byte 0.
// Inline: scenes call these per pixel.
inline Pixel MultiplyColour(Pixel a, Pixel b) {
  return (((a & 0xFFu) * (b & 0xFFu)) >> 8) | ((((a >> 8) & 0xFFu) * ((b >> 8) & 0xFFu)) >> 8) << 8 |
         ((((a >> 16) & 0xFFu) * ((b >> 16) & 0xFFu)) >> 8) << 16;
}
// Red, green and blue are the saturating sums of the two colours; top byte 0.
inline Pixel AddColour(Pixel a, Pixel b) {
  auto sum = [&](int shift) {
    const std::uint32_t v = ((a >> shift) & 0xFFu) + ((b >> shift) & 0xFFu);
    return (v > 255u ? 255u : v) << shift;
  };
  return sum(0) | sum(8) | sum(16);
}
// A float level as a weight 0..255 (NaN counts as 0).
std::int32_t LevelFromFloat(float level);

// dst[i] = dst[i] + src[i], every lane saturating.
void AddSpan(const Pixel* src, Pixel* dst, std::int32_t start, std::int32_t count);
// k < 1 does nothing, k > 255 counts as 255; dst[i] += (src[i] * k) >> 8 per lane.
void AddSpanScaled(const Pixel* src, Pixel* dst, std::int32_t start, std::int32_t count,
                   std::int32_t k);
// dst[i] = (src[i] * a) >> 8 per lane, a the level of `level`.
void ScaleSpan(float level, const Pixel* src, Pixel* dst, std::int32_t count);
// dst[i] = min(255, ((255 * a) >> 8) + ((src[i] * (255 - a)) >> 8)) per lane.
void FadeSpanToWhite(float level, const Pixel* src, Pixel* dst, std::int32_t count);
// In place: every colour lane e becomes (e * (255 - k) + (255 - e) * k) >> 8, k
// clamped to 0..255; the top lane is weighted against 0 in 16-bit arithmetic.
// Works on any count (the packed form takes pixels in pairs).
void BlendNegative(Pixel* pixels, std::int32_t k, std::int32_t count);
// dst[i] = (dst[i] * src[i]) >> 8 in all four lanes.
void MultiplySpan(const Pixel* src, Pixel* dst, std::int32_t count);
