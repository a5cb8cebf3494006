// Fast whole-frame passes, written once on Highway and run on the best vector
// target of the CPU. Each gives exactly the bytes of the plain reference in the
// operation's own file, which decides when to call it (and keeps the reference
// for arguments outside the range stated here and for ZINTAVEL_KERNELS=reference).
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// Box blur passes for 1 <= r <= 128 (the lane sums then fit in 16 bits).
void BoxBlurRowsFast(std::int32_t r, const Picture& source, Picture& destination);
void BoxBlurColumnsFast(std::int32_t r, const Picture& source, Picture& destination);

// One row of a zoom-blur quadrant whose samples all come from rows that the row
// itself does not write. `top` is the sample row, `out` the destination row;
// the n pixels are described per group of four (ascending destination columns):
// `base[g]` the leftmost sample column, `shuffle[g]` 16 byte indices picking
// each pixel's sample out of the four pixels from base, `weightX[g]` the four
// horizontal fractions (1..255), `first[g]` the group's leftmost destination
// column. Pixels that fit no group are left to the caller.
struct PixelGroups {
  std::int32_t count;
  const std::int32_t* base;
  const std::uint8_t* shuffle;  // 16 per group
  const std::uint16_t* weightX;  // 8 per group: each fraction twice, one per 16-bit half of a pixel
  const std::int32_t* first;
};
void ZoomBlurRowFast(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain,
                     std::uint32_t keep, const PixelGroups& groups);
// The same groups one pixel at a time, for processors without vectors.
void ZoomBlurRowGroupsOneByOne(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain,
                               std::uint32_t keep, const PixelGroups& groups);

// One row of a stretched picture: each group's four destination pixels from
// `first[g]` on take the source pixels the shuffle picks from the four at
// `base[g]` (weightX unused).
void StretchRowFast(const Pixel* sourceRow, Pixel* destinationRow, const PixelGroups& groups);

// The sprite combines, one pixel (the references), and over one row: n pixels
// of src onto dst, skipping the key; weight w in 1..255.
inline Pixel BlendSpritePixel(Pixel d, Pixel s, std::uint32_t w) {
  Pixel out = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    std::uint32_t v = ((((d >> shift) & 0xFFu) * (255u - w)) >> 8) + ((((s >> shift) & 0xFFu) * w) >> 8);
    out |= (v > 255u ? 255u : v) << shift;
  }
  return out;
}
inline Pixel AddSpritePixel(Pixel d, Pixel s, std::uint32_t w) {
  Pixel out = 0;
  for (int shift = 0; shift <= 24; shift += 8) {
    std::uint32_t v = ((d >> shift) & 0xFFu) + ((((s >> shift) & 0xFFu) * w) >> 8);
    out |= (v > 255u ? 255u : v) << shift;
  }
  return out;
}
void BlendSpriteRowFast(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w);
void AddSpriteRowFast(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w);
