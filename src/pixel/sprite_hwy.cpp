// Sprite combines and the stretched row on Highway. The sprites take whole
// vectors of pixels and keep the destination wherever the source is the key; the
// stretched row copies groups of four pixels whose sources lie within four
// neighbouring columns with one load and one byte shuffle.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixel/sprite_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "pixel/frame_kernels.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
void BlendSpriteRow(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) {
  for (std::int32_t i = 0; i < n; ++i) {
    if (src[i] != TransparentKey) dst[i] = BlendSpritePixel(dst[i], src[i], w);
  }
}
void AddSpriteRow(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) {
  for (std::int32_t i = 0; i < n; ++i) {
    if (src[i] != TransparentKey) dst[i] = AddSpritePixel(dst[i], src[i], w);
  }
}
void StretchRow(const Pixel* sourceRow, Pixel* destinationRow, const PixelGroups& groups) {
  for (std::int32_t i = 0; i < groups.count; ++i) {
    for (std::int32_t lane = 0; lane < 4; ++lane) {
      destinationRow[groups.first[i] + lane] = sourceRow[groups.base[i] + groups.shuffle[16 * i + 4 * lane] / 4];
    }
  }
}
#else
using D8 = hn::ScalableTag<std::uint8_t>;
using D16 = hn::ScalableTag<std::uint16_t>;
using D32 = hn::ScalableTag<std::uint32_t>;

// (x * k) >> 8 for every byte, as the high half of (x << 8) * k in 16-bit lanes.
HWY_INLINE hn::Vec<D8> ScaleBytes(hn::Vec<D8> v, hn::Vec<D16> weight) {
  const D16 d16;
  const auto w = hn::BitCast(d16, v);
  const auto even = hn::MulHigh(hn::ShiftLeft<8>(w), weight);
  const auto odd = hn::MulHigh(hn::And(w, hn::Set(d16, 0xFF00)), weight);
  return hn::BitCast(D8(), hn::Or(even, hn::ShiftLeft<8>(odd)));
}

template <bool Blend>
HWY_INLINE void SpriteRow(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) {
  const D8 d8;
  const D32 d32;
  const auto key = hn::Set(d32, TransparentKey);
  const auto colour = hn::Set(d32, 0x00FFFFFFu);
  const auto sourceWeight = hn::Set(D16(), static_cast<std::uint16_t>(w));
  const auto keepWeight = hn::Set(D16(), static_cast<std::uint16_t>(255u - w));
  const auto step = static_cast<std::int32_t>(hn::Lanes(d32));
  std::int32_t i = 0;
  for (; i + step <= n; i += step) {
    const auto s = hn::LoadU(d32, src + i);
    const auto d = hn::LoadU(d32, dst + i);
    const auto s8 = hn::BitCast(d8, s), d8v = hn::BitCast(d8, d);
    hn::Vec<D32> combined;
    if constexpr (Blend) {
      combined = hn::And(hn::BitCast(d32, hn::SaturatedAdd(ScaleBytes(d8v, keepWeight), ScaleBytes(s8, sourceWeight))),
                         colour);
    } else {
      combined = hn::BitCast(d32, hn::SaturatedAdd(d8v, ScaleBytes(s8, sourceWeight)));
    }
    hn::StoreU(hn::IfThenElse(hn::Eq(s, key), d, combined), d32, dst + i);
  }
  for (; i < n; ++i) {
    if (src[i] != TransparentKey) dst[i] = Blend ? BlendSpritePixel(dst[i], src[i], w) : AddSpritePixel(dst[i], src[i], w);
  }
}

void BlendSpriteRow(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) { SpriteRow<true>(src, dst, n, w); }
void AddSpriteRow(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) { SpriteRow<false>(src, dst, n, w); }

void StretchRow(const Pixel* sourceRow, Pixel* destinationRow, const PixelGroups& groups) {
  const hn::FixedTag<std::uint8_t, 16> d8;
  for (std::int32_t i = 0; i < groups.count; ++i) {
    const auto picked = hn::TableLookupBytes(
        hn::LoadU(d8, reinterpret_cast<const std::uint8_t*>(sourceRow + groups.base[i])),
        hn::LoadU(d8, groups.shuffle + 16 * i));
    hn::StoreU(picked, d8, reinterpret_cast<std::uint8_t*>(destinationRow + groups.first[i]));
  }
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(BlendSpriteRow);
HWY_EXPORT(AddSpriteRow);
HWY_EXPORT(StretchRow);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

void BlendSpriteRowFast(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) {
  HWY_DYNAMIC_DISPATCH(BlendSpriteRow)(src, dst, n, w);
}
void AddSpriteRowFast(const Pixel* src, Pixel* dst, std::int32_t n, std::uint32_t w) {
  HWY_DYNAMIC_DISPATCH(AddSpriteRow)(src, dst, n, w);
}
void StretchRowFast(const Pixel* sourceRow, Pixel* destinationRow, const PixelGroups& groups) {
  HWY_DYNAMIC_DISPATCH(StretchRow)(sourceRow, destinationRow, groups);
}
#endif
