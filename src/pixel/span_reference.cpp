// Plain per-byte span kernels: the formulas, one lane at a time.
#include "pixel/span_kernels.h"

namespace {

inline std::uint32_t Lane(Pixel p, int lane) { return (p >> (8 * lane)) & 0xFFu; }
inline std::uint32_t Saturate(std::uint32_t v) { return v > 255u ? 255u : v; }

void AddSpanRef(const Pixel* src, Pixel* dst, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel s = src[i], d = dst[i], out = 0;
    for (int lane = 0; lane < 4; ++lane) out |= Saturate(Lane(d, lane) + Lane(s, lane)) << (8 * lane);
    dst[i] = out;
  }
}

void AddSpanScaledRef(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t k) {
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel s = src[i], d = dst[i], out = 0;
    for (int lane = 0; lane < 4; ++lane) {
      std::uint32_t t = (Lane(s, lane) * k) >> 8;
      out |= Saturate(Lane(d, lane) + t) << (8 * lane);
    }
    dst[i] = out;
  }
}

void ScaleSpanRef(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a) {
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel s = src[i], out = 0;
    for (int lane = 0; lane < 4; ++lane) out |= ((Lane(s, lane) * a) >> 8) << (8 * lane);
    dst[i] = out;
  }
}

void FadeSpanToWhiteRef(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a) {
  const std::uint32_t white = (255u * a) >> 8;
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel s = src[i], out = 0;
    for (int lane = 0; lane < 4; ++lane) {
      out |= Saturate(white + ((Lane(s, lane) * (255u - a)) >> 8)) << (8 * lane);
    }
    dst[i] = out;
  }
}

void BlendNegativeRef(Pixel* pixels, std::int32_t count, std::uint32_t k) {
  // The top lane is crossed with 0 - t instead of 255 - t and keeps the weight
  // (256 - k) mod 256; all of it wraps in 16 bits as the packed form does.
  const std::uint16_t topWeight = static_cast<std::uint16_t>((256u - k) & 255u);
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel p = pixels[i], out = 0;
    for (int lane = 0; lane < 3; ++lane) {
      std::uint32_t e = Lane(p, lane);
      out |= ((e * (255u - k) + (255u - e) * k) >> 8) << (8 * lane);
    }
    std::uint16_t t = static_cast<std::uint16_t>(Lane(p, 3));
    std::uint16_t complement = static_cast<std::uint16_t>(0u - t);
    std::uint16_t sum = static_cast<std::uint16_t>(t * topWeight + complement * k);
    out |= static_cast<std::uint32_t>(sum >> 8) << 24;
    pixels[i] = out;
  }
}

void MultiplySpanRef(const Pixel* src, Pixel* dst, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    Pixel s = src[i], d = dst[i], out = 0;
    for (int lane = 0; lane < 4; ++lane) out |= ((Lane(d, lane) * Lane(s, lane)) >> 8) << (8 * lane);
    dst[i] = out;
  }
}

constexpr SpanKernels kReference = {"reference", AddSpanRef, AddSpanScaledRef, ScaleSpanRef,
                                    FadeSpanToWhiteRef, BlendNegativeRef, MultiplySpanRef};

}  // namespace

const SpanKernels& ReferenceSpanKernels() { return kReference; }
