// ConvertFrame's vector form: whole vectors of pixels per step, the last few
// of a row one at a time, and a doubled frame's second row copied from its
// first. The bytes are those of ConvertFrameReference.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "display/convert_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include <cstring>

#include "display/presenter.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
void ConvertRows(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                 std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch) {
  ConvertFrameReference(frame, width, height, depth, doubling, surface, pitch);
}
#else
inline std::uint32_t Word16(Pixel v, bool rgb565) {
  return rgb565 ? ((v >> 8) & 0xF800) | ((v >> 5) & 0x07E0) | ((v >> 3) & 0x001F)
                : ((v >> 9) & 0x7C00) | ((v >> 6) & 0x03E0) | ((v >> 3) & 0x001F);
}

// n pixels of one row, doubled across into `out` (2n pixels).
void DoubledRow32(const Pixel* src, std::int32_t n, std::uint8_t* out) {
  const hn::ScalableTag<std::uint64_t> d64;
  const hn::Rebind<std::uint32_t, decltype(d64)> d32;
  const auto N = static_cast<std::int32_t>(hn::Lanes(d64));
  auto* pairs = reinterpret_cast<std::uint64_t*>(out);
  std::int32_t x = 0;
  for (; x + N <= n; x += N) {
    const auto v = hn::PromoteTo(d64, hn::LoadU(d32, src + x));
    hn::StoreU(hn::Or(v, hn::ShiftLeft<32>(v)), d64, pairs + x);
  }
  for (; x < n; ++x) {
    std::memcpy(out + 8 * x, src + x, 4);
    std::memcpy(out + 8 * x + 4, src + x, 4);
  }
}

// n pixels of one row as 16-bit words, each twice when doubled.
void Row16(const Pixel* src, std::int32_t n, bool rgb565, bool doubled, std::uint8_t* out) {
  const hn::ScalableTag<std::uint32_t> d32;
  const hn::Rebind<std::int32_t, decltype(d32)> di32;
  const hn::Rebind<std::uint16_t, decltype(d32)> d16;
  const auto N = static_cast<std::int32_t>(hn::Lanes(d32));
  // Both layouts are three masked shifts: red, green, blue.
  const int redShift = rgb565 ? 8 : 9, greenShift = rgb565 ? 5 : 6;
  const auto redMask = hn::Set(d32, rgb565 ? 0xF800u : 0x7C00u);
  const auto greenMask = hn::Set(d32, rgb565 ? 0x07E0u : 0x03E0u);
  const auto blueMask = hn::Set(d32, 0x001Fu);
  std::int32_t x = 0;
  for (; x + N <= n; x += N) {
    const auto v = hn::LoadU(d32, src + x);
    const auto word = hn::Or(hn::Or(hn::And(hn::ShiftRightSame(v, redShift), redMask),
                                    hn::And(hn::ShiftRightSame(v, greenShift), greenMask)),
                             hn::And(hn::ShiftRight<3>(v), blueMask));
    if (doubled) {
      hn::StoreU(hn::Or(word, hn::ShiftLeft<16>(word)), d32, reinterpret_cast<std::uint32_t*>(out + 4 * x));
    } else {
      hn::StoreU(hn::DemoteTo(d16, hn::BitCast(di32, word)), d16, reinterpret_cast<std::uint16_t*>(out + 2 * x));
    }
  }
  for (; x < n; ++x) {
    const std::uint32_t w = Word16(src[x], rgb565);
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(w), static_cast<std::uint8_t>(w >> 8)};
    if (doubled) {
      std::memcpy(out + 4 * x, bytes, 2);
      std::memcpy(out + 4 * x + 2, bytes, 2);
    } else {
      std::memcpy(out + 2 * x, bytes, 2);
    }
  }
}

// n pixels of one row as red, green, blue bytes.
void Row24(const Pixel* src, std::int32_t n, std::uint8_t* out) {
  const hn::ScalableTag<std::uint8_t> d8;
  const auto N = static_cast<std::int32_t>(hn::Lanes(d8));  // pixels per step
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(src);
  std::int32_t x = 0;
  for (; x + N <= n; x += N) {
    hn::Vec<decltype(d8)> blue, green, red, top;
    hn::LoadInterleaved4(d8, bytes + 4 * x, blue, green, red, top);
    hn::StoreInterleaved3(red, green, blue, d8, out + 3 * x);
  }
  for (; x < n; ++x) {
    out[3 * x] = static_cast<std::uint8_t>(src[x] >> 16);
    out[3 * x + 1] = static_cast<std::uint8_t>(src[x] >> 8);
    out[3 * x + 2] = static_cast<std::uint8_t>(src[x]);
  }
}

void ConvertRows(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                 std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch) {
  const int bytes = depth == 32 ? 4 : depth == 24 ? 3 : 2;
  if (depth == 24 && doubling) {
    ConvertFrameReference(frame, width, height, depth, doubling, surface, pitch);
    return;
  }
  for (std::int32_t y = 0; y < height; ++y) {
    const Pixel* src = frame + static_cast<std::ptrdiff_t>(y) * width;
    std::uint8_t* row = surface + static_cast<std::ptrdiff_t>(y << (doubling ? 1 : 0)) * pitch;
    switch (depth) {
      case 32:
        if (doubling) DoubledRow32(src, width, row);
        else std::memcpy(row, src, static_cast<std::size_t>(width) * 4);
        break;
      case 24: Row24(src, width, row); break;
      default: Row16(src, width, depth == 16, doubling != 0, row); break;
    }
    if (doubling) std::memcpy(row + pitch, row, static_cast<std::size_t>(2 * width) * bytes);
  }
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(ConvertRows);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

void ConvertFrameFast(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                      std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch) {
  HWY_DYNAMIC_DISPATCH(ConvertRows)(frame, width, height, depth, doubling, surface, pitch);
}
#endif
