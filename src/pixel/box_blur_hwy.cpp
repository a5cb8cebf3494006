// Box blur passes on Highway. The lane sums (at most 2r x 255) are kept in 16
// bits, split into the even and odd bytes of each pixel, so (sum * b) >> 16 is
// one high-half multiply. The vertical pass keeps one set of sums per column and
// walks the picture row by row. The horizontal pass turns four rows at a time
// into columns (4x4 transposes), runs the same sums down them, and turns the
// result back.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixel/box_blur_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <algorithm>

#include "pixel/box_blur.h"
#include "pixel/frame_kernels.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// No vectors on this target: the references do the work.
void BoxBlurColumns(std::int32_t r, const Picture& source, Picture& destination) {
  BoxBlurVerticalReference(r, source, destination);
}
void BoxBlurRows(std::int32_t r, const Picture& source, Picture& destination) {
  BoxBlurHorizontalReference(r, source, destination);
}
#else
constexpr std::int32_t RowLanes = ScreenWidth * 2;  // 16-bit lanes in a row

void BoxBlurColumns(std::int32_t r, const Picture& source, Picture& destination) {
  const hn::ScalableTag<std::uint16_t> d;
  const auto N = static_cast<std::int32_t>(hn::Lanes(d));
  const auto bs = static_cast<std::uint16_t>(65536 / (2 * r));
  const auto b = hn::Set(d, bs);
  const auto low = hn::Set(d, 0xFF);
  HWY_ALIGN std::uint16_t even[RowLanes];
  HWY_ALIGN std::uint16_t odd[RowLanes];
  auto row = [&](std::int32_t y) {
    return reinterpret_cast<const std::uint16_t*>(source.pixels + std::clamp(y, 0, ScreenHeight - 1) * ScreenWidth);
  };
  // Sums of rows -r .. r - 1, the rows above the picture being row 0.
  std::fill(even, even + RowLanes, std::uint16_t{0});
  std::fill(odd, odd + RowLanes, std::uint16_t{0});
  for (std::int32_t y = -r; y < r; ++y) {
    const std::uint16_t* p = row(y);
    for (std::int32_t i = 0; i < RowLanes; ++i) {
      even[i] = static_cast<std::uint16_t>(even[i] + (p[i] & 0xFF));
      odd[i] = static_cast<std::uint16_t>(odd[i] + (p[i] >> 8));
    }
  }
  for (std::int32_t y = 0; y < ScreenHeight; ++y) {
    const std::uint16_t* add = row(y + r);
    const std::uint16_t* sub = row(y - r);
    auto* out = reinterpret_cast<std::uint16_t*>(destination.pixels + y * ScreenWidth);
    std::int32_t i = 0;
    for (; i + N <= RowLanes; i += N) {
      const auto a = hn::LoadU(d, add + i), s = hn::LoadU(d, sub + i);
      const auto e = hn::Sub(hn::Add(hn::Load(d, even + i), hn::And(a, low)), hn::And(s, low));
      const auto o = hn::Sub(hn::Add(hn::Load(d, odd + i), hn::ShiftRight<8>(a)), hn::ShiftRight<8>(s));
      hn::Store(e, d, even + i);
      hn::Store(o, d, odd + i);
      hn::StoreU(hn::Or(hn::MulHigh(e, b), hn::ShiftLeft<8>(hn::MulHigh(o, b))), d, out + i);
    }
    for (; i < RowLanes; ++i) {  // vectors that do not divide the row
      even[i] = static_cast<std::uint16_t>(even[i] + (add[i] & 0xFF) - (sub[i] & 0xFF));
      odd[i] = static_cast<std::uint16_t>(odd[i] + (add[i] >> 8) - (sub[i] >> 8));
      out[i] = static_cast<std::uint16_t>(((even[i] * std::uint32_t{bs}) >> 16) |
                                          (((odd[i] * std::uint32_t{bs}) >> 16) << 8));
    }
  }
}

using D32x4 = hn::FixedTag<std::uint32_t, 4>;
using V32x4 = hn::Vec<D32x4>;

// a, b, c, e hold four pixels of four rows; afterwards each holds one column.
HWY_INLINE void Transpose4(V32x4& a, V32x4& b, V32x4& c, V32x4& e) {
  const D32x4 d;
  const hn::Repartition<std::uint64_t, D32x4> d64;
  const auto t0 = hn::BitCast(d64, hn::InterleaveLower(d, a, b));
  const auto t1 = hn::BitCast(d64, hn::InterleaveUpper(d, a, b));
  const auto t2 = hn::BitCast(d64, hn::InterleaveLower(d, c, e));
  const auto t3 = hn::BitCast(d64, hn::InterleaveUpper(d, c, e));
  a = hn::BitCast(d, hn::InterleaveLower(d64, t0, t2));
  b = hn::BitCast(d, hn::InterleaveUpper(d64, t0, t2));
  c = hn::BitCast(d, hn::InterleaveLower(d64, t1, t3));
  e = hn::BitCast(d, hn::InterleaveUpper(d64, t1, t3));
}

void BoxBlurRows(std::int32_t r, const Picture& source, Picture& destination) {
  const D32x4 d32;
  const hn::Repartition<std::uint16_t, D32x4> d16;
  const auto b = hn::Set(d16, static_cast<std::uint16_t>(65536 / (2 * r)));
  const auto low = hn::Set(d16, 0xFF);
  // Column e of `taps` is tap e - r of the four rows, clamped into the row.
  HWY_ALIGN Pixel taps[(ScreenWidth + 2 * 128) * 4];
  HWY_ALIGN Pixel blurred[ScreenWidth * 4];
  for (std::int32_t y = 0; y < ScreenHeight; y += 4) {
    const Pixel* in = source.pixels + y * ScreenWidth;
    for (std::int32_t x = 0; x < ScreenWidth; x += 4) {
      auto a = hn::LoadU(d32, in + x), bb = hn::LoadU(d32, in + ScreenWidth + x);
      auto c = hn::LoadU(d32, in + 2 * ScreenWidth + x), e = hn::LoadU(d32, in + 3 * ScreenWidth + x);
      Transpose4(a, bb, c, e);
      Pixel* t = taps + (r + x) * 4;
      hn::Store(a, d32, t);
      hn::Store(bb, d32, t + 4);
      hn::Store(c, d32, t + 8);
      hn::Store(e, d32, t + 12);
    }
    const auto firstColumn = hn::Load(d32, taps + r * 4);
    const auto lastColumn = hn::Load(d32, taps + (r + ScreenWidth - 1) * 4);
    for (std::int32_t i = 0; i < r; ++i) {
      hn::Store(firstColumn, d32, taps + i * 4);
      hn::Store(lastColumn, d32, taps + (r + ScreenWidth + i) * 4);
    }
    auto tap = [&](std::int32_t e) { return hn::BitCast(d16, hn::Load(d32, taps + e * 4)); };
    auto even = hn::Zero(d16), odd = hn::Zero(d16);
    for (std::int32_t e = 0; e < 2 * r; ++e) {
      const auto v = tap(e);
      even = hn::Add(even, hn::And(v, low));
      odd = hn::Add(odd, hn::ShiftRight<8>(v));
    }
    for (std::int32_t x = 0; x < ScreenWidth; ++x) {
      const auto a = tap(x + 2 * r), s = tap(x);
      even = hn::Sub(hn::Add(even, hn::And(a, low)), hn::And(s, low));
      odd = hn::Sub(hn::Add(odd, hn::ShiftRight<8>(a)), hn::ShiftRight<8>(s));
      hn::Store(hn::BitCast(d32, hn::Or(hn::MulHigh(even, b), hn::ShiftLeft<8>(hn::MulHigh(odd, b)))), d32,
                blurred + x * 4);
    }
    Pixel* out = destination.pixels + y * ScreenWidth;
    for (std::int32_t x = 0; x < ScreenWidth; x += 4) {
      const Pixel* t = blurred + x * 4;
      auto a = hn::Load(d32, t), bb = hn::Load(d32, t + 4), c = hn::Load(d32, t + 8), e = hn::Load(d32, t + 12);
      Transpose4(a, bb, c, e);
      hn::StoreU(a, d32, out + x);
      hn::StoreU(bb, d32, out + ScreenWidth + x);
      hn::StoreU(c, d32, out + 2 * ScreenWidth + x);
      hn::StoreU(e, d32, out + 3 * ScreenWidth + x);
    }
  }
}

#endif
}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(BoxBlurRows);
HWY_EXPORT(BoxBlurColumns);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

void BoxBlurRowsFast(std::int32_t r, const Picture& source, Picture& destination) {
  HWY_DYNAMIC_DISPATCH(BoxBlurRows)(r, source, destination);
}
void BoxBlurColumnsFast(std::int32_t r, const Picture& source, Picture& destination) {
  HWY_DYNAMIC_DISPATCH(BoxBlurColumns)(r, source, destination);
}
#endif
