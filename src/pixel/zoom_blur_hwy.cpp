// Zoom-blur rows on Highway, four pixels a step in 128-bit vectors. The samples
// of four neighbouring pixels lie within five neighbouring columns, so each
// corner of the four bilinear samples is one unaligned load and one byte shuffle.
// Bytes are worked as the even and odd halves of 16-bit lanes; the grey weights
// are the same in every colour byte except the top-left one, which weighs blue
// one more (the borrow of the packed weight formula does not reach it).
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixel/zoom_blur_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "pixel/frame_kernels.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// No vectors on this target: the rows go one pixel at a time.
void ZoomBlurRow(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain, std::uint32_t keep,
                 const PixelGroups& groups) {
  ZoomBlurRowGroupsOneByOne(top, out, fractionY, gain, keep, groups);
}
#else
void ZoomBlurRow(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain, std::uint32_t keep,
                 const PixelGroups& groups) {
  const hn::FixedTag<std::uint8_t, 16> d8;
  const hn::FixedTag<std::uint16_t, 8> d16;
  const hn::FixedTag<std::uint32_t, 4> d32;
  using V16 = hn::Vec<decltype(d16)>;
  const Pixel* bottom = top + ScreenWidth;
  const V16 y = hn::Set(d16, static_cast<std::uint16_t>(fractionY));
  const V16 topLeftBase = hn::Set(d16, static_cast<std::uint16_t>(256u - fractionY));
  const V16 blueOne = hn::BitCast(d16, hn::Set(d32, 1u));
  const V16 oddMask = hn::Set(d16, 0xFF00);
  const V16 g = hn::Set(d16, static_cast<std::uint16_t>(gain));
  const V16 k = hn::Set(d16, static_cast<std::uint16_t>(keep));
  const V16 maxByte = hn::Set(d16, 255);
  const auto colourMask = hn::Set(d32, 0x00FFFFFFu);

  for (std::int32_t i = 0; i < groups.count; ++i) {
    const V16 x = hn::LoadU(d16, groups.weightX + 8 * i);
    const V16 both = hn::ShiftRight<8>(hn::Mul(x, y));
    const V16 wTL = hn::Add(hn::Sub(topLeftBase, x), both);
    const V16 wTR = hn::Sub(x, both), wBL = hn::Sub(y, both);
    const auto shuffle = hn::LoadU(d8, groups.shuffle + 16 * i);
    const std::int32_t base = groups.base[i];
    auto corner = [&](const Pixel* p) {
      return hn::BitCast(d16, hn::TableLookupBytes(hn::LoadU(d8, reinterpret_cast<const std::uint8_t*>(p)), shuffle));
    };
    const V16 tl = corner(top + base), tr = corner(top + base + 1);
    const V16 bl = corner(bottom + base), br = corner(bottom + base + 1);
    // Each product (p * w) >> 8 is the high half of (p << 8) * w.
    V16 even = hn::MulHigh(hn::ShiftLeft<8>(tl), hn::Add(wTL, blueOne));
    V16 odd = hn::MulHigh(hn::And(tl, oddMask), wTL);
    even = hn::Add(even, hn::MulHigh(hn::ShiftLeft<8>(bl), wBL));
    odd = hn::Add(odd, hn::MulHigh(hn::And(bl, oddMask), wBL));
    even = hn::Add(even, hn::MulHigh(hn::ShiftLeft<8>(br), both));
    odd = hn::Add(odd, hn::MulHigh(hn::And(br, oddMask), both));
    even = hn::Add(even, hn::MulHigh(hn::ShiftLeft<8>(tr), wTR));
    odd = hn::Add(odd, hn::MulHigh(hn::And(tr, oddMask), wTR));

    auto* dst = reinterpret_cast<std::uint16_t*>(out + groups.first[i]);
    const V16 old = hn::LoadU(d16, dst);
    even = hn::Add(hn::MulHigh(hn::ShiftLeft<8>(even), g), hn::MulHigh(hn::ShiftLeft<8>(old), k));
    odd = hn::Add(hn::MulHigh(hn::ShiftLeft<8>(odd), g), hn::MulHigh(hn::And(old, oddMask), k));
    const V16 result = hn::Or(hn::Min(even, maxByte), hn::ShiftLeft<8>(hn::Min(odd, maxByte)));
    hn::StoreU(hn::BitCast(d16, hn::And(hn::BitCast(d32, result), colourMask)), d16, dst);
  }
}

#endif
}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(ZoomBlurRow);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

void ZoomBlurRowFast(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain,
                     std::uint32_t keep, const PixelGroups& groups) {
  HWY_DYNAMIC_DISPATCH(ZoomBlurRow)(top, out, fractionY, gain, keep, groups);
}
#endif
