// Span kernels on Highway: one source compiled for every vector target of the
// processor family (SSSE3, SSE4, AVX2, AVX-512 on x86; NEON, SVE on ARM), the
// best the CPU runs chosen at run time. Bytes are worked as 16-bit lanes split
// into their even and odd bytes, so no lane ever leaves its place: the lane
// product (x * k) >> 8 is the high half of (x << 8) * k. Tails go to the
// reference kernels.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "pixel/span_hwy.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
#include <hwy/highway.h>

#include "pixel/span_kernels.h"

HWY_BEFORE_NAMESPACE();
namespace zintavel {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

#if HWY_TARGET == HWY_SCALAR
// One lane at a time is no vector: this target has no table of its own.
const SpanKernels* TargetSpanKernels() { return nullptr; }
#else
using D8 = hn::ScalableTag<std::uint8_t>;
using D16 = hn::ScalableTag<std::uint16_t>;
using D32 = hn::ScalableTag<std::uint32_t>;
using V8 = hn::Vec<D8>;
using V16 = hn::Vec<D16>;

// (x * k) >> 8 for every byte of v, k in every 16-bit lane of `weight`.
HWY_INLINE V8 ScaleBytes(V8 v, V16 weight) {
  const D8 d8;
  const D16 d16;
  const V16 w = hn::BitCast(d16, v);
  const V16 even = hn::MulHigh(hn::ShiftLeft<8>(w), weight);
  const V16 odd = hn::MulHigh(hn::And(w, hn::Set(d16, 0xFF00)), weight);
  return hn::BitCast(d8, hn::Or(even, hn::ShiftLeft<8>(odd)));
}

void AddSpanVec(const Pixel* src, Pixel* dst, std::int32_t count) {
  const D8 d8;
  const auto step = static_cast<std::int32_t>(hn::Lanes(d8) / 4);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* out = reinterpret_cast<std::uint8_t*>(dst + i);
    const auto* in = reinterpret_cast<const std::uint8_t*>(src + i);
    hn::StoreU(hn::SaturatedAdd(hn::LoadU(d8, out), hn::LoadU(d8, in)), d8, out);
  }
  if (i < count) ReferenceSpanKernels().addSpan(src + i, dst + i, count - i);
}

void AddSpanScaledVec(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t k) {
  const D8 d8;
  const V16 weight = hn::Set(D16(), static_cast<std::uint16_t>(k));
  const auto step = static_cast<std::int32_t>(hn::Lanes(d8) / 4);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* out = reinterpret_cast<std::uint8_t*>(dst + i);
    const auto* in = reinterpret_cast<const std::uint8_t*>(src + i);
    hn::StoreU(hn::SaturatedAdd(hn::LoadU(d8, out), ScaleBytes(hn::LoadU(d8, in), weight)), d8, out);
  }
  if (i < count) ReferenceSpanKernels().addSpanScaled(src + i, dst + i, count - i, k);
}

void ScaleSpanVec(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a) {
  const D8 d8;
  const V16 weight = hn::Set(D16(), static_cast<std::uint16_t>(a));
  const auto step = static_cast<std::int32_t>(hn::Lanes(d8) / 4);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* out = reinterpret_cast<std::uint8_t*>(dst + i);
    const auto* in = reinterpret_cast<const std::uint8_t*>(src + i);
    hn::StoreU(ScaleBytes(hn::LoadU(d8, in), weight), d8, out);
  }
  if (i < count) ReferenceSpanKernels().scaleSpan(src + i, dst + i, count - i, a);
}

void FadeSpanToWhiteVec(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a) {
  const D8 d8;
  const V16 weight = hn::Set(D16(), static_cast<std::uint16_t>(255u - a));
  const V8 white = hn::Set(d8, static_cast<std::uint8_t>((255u * a) >> 8));
  const auto step = static_cast<std::int32_t>(hn::Lanes(d8) / 4);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* out = reinterpret_cast<std::uint8_t*>(dst + i);
    const auto* in = reinterpret_cast<const std::uint8_t*>(src + i);
    hn::StoreU(hn::SaturatedAdd(white, ScaleBytes(hn::LoadU(d8, in), weight)), d8, out);
  }
  if (i < count) ReferenceSpanKernels().fadeSpanToWhite(src + i, dst + i, count - i, a);
}

// Even bytes are blue and red; odd bytes are green and the top byte, which is
// crossed with 0 instead of 255 and weighed (256 - k) mod 256, all in 16 bits.
void BlendNegativeVec(Pixel* pixels, std::int32_t count, std::uint32_t k) {
  const D8 d8;
  const D16 d16;
  const D32 d32;
  const std::uint32_t topWeight = (256u - k) & 255u;
  const V16 weight = hn::Set(d16, static_cast<std::uint16_t>(k));
  const V16 keepEven = hn::Set(d16, static_cast<std::uint16_t>(255u - k));
  const V16 keepOdd = hn::BitCast(d16, hn::Set(d32, (topWeight << 16) | (255u - k)));
  const V16 fullEven = hn::Set(d16, 255);
  const V16 fullOdd = hn::BitCast(d16, hn::Set(d32, 255u));
  const V16 low = hn::Set(d16, 0xFF);
  const auto step = static_cast<std::int32_t>(hn::Lanes(d8) / 4);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* p = reinterpret_cast<std::uint16_t*>(pixels + i);
    const V16 v = hn::LoadU(d16, p);
    const V16 even = hn::And(v, low), odd = hn::ShiftRight<8>(v);
    const V16 e = hn::ShiftRight<8>(hn::Add(hn::Mul(even, keepEven), hn::Mul(hn::Sub(fullEven, even), weight)));
    const V16 o = hn::ShiftRight<8>(hn::Add(hn::Mul(odd, keepOdd), hn::Mul(hn::Sub(fullOdd, odd), weight)));
    hn::StoreU(hn::Or(e, hn::ShiftLeft<8>(o)), d16, p);
  }
  if (i < count) ReferenceSpanKernels().blendNegative(pixels + i, count - i, k);
}

// Each byte times the same byte of the other span: products of the even bytes
// shifted down, of the odd bytes masked in place.
void MultiplySpanVec(const Pixel* src, Pixel* dst, std::int32_t count) {
  const D16 d16;
  const V16 low = hn::Set(d16, 0xFF), high = hn::Set(d16, 0xFF00);
  const auto step = static_cast<std::int32_t>(hn::Lanes(d16) / 2);
  std::int32_t i = 0;
  for (; i + step <= count; i += step) {
    auto* out = reinterpret_cast<std::uint16_t*>(dst + i);
    const auto* in = reinterpret_cast<const std::uint16_t*>(src + i);
    const V16 d = hn::LoadU(d16, out), s = hn::LoadU(d16, in);
    const V16 even = hn::ShiftRight<8>(hn::Mul(hn::And(d, low), hn::And(s, low)));
    const V16 odd = hn::And(hn::Mul(hn::ShiftRight<8>(d), hn::ShiftRight<8>(s)), high);
    hn::StoreU(hn::Or(even, odd), d16, out);
  }
  if (i < count) ReferenceSpanKernels().multiplySpan(src + i, dst + i, count - i);
}

const SpanKernels* TargetSpanKernels() {
  static const SpanKernels table = {hwy::TargetName(HWY_TARGET), AddSpanVec, AddSpanScaledVec,
                                    ScaleSpanVec, FadeSpanToWhiteVec, BlendNegativeVec, MultiplySpanVec};
  return &table;
}
#endif

}  // namespace HWY_NAMESPACE
}  // namespace zintavel
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace zintavel {
HWY_EXPORT(TargetSpanKernels);
}  // namespace zintavel
// Called unqualified: where one target is compiled (WebAssembly) Highway calls
// it directly as N_WASM::name, which resolves only through our namespace.
using namespace zintavel;

// Every compiled target this CPU runs, best first: each is asked for its table
// with the run-time choice narrowed to it, then the choice is put back.
std::vector<const SpanKernels*> VectorSpanKernels() {
  static const std::vector<const SpanKernels*> tables = [] {
    std::vector<const SpanKernels*> found;
    for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
      hwy::SetSupportedTargetsForTest(target);
      if (const SpanKernels* k = HWY_DYNAMIC_DISPATCH(TargetSpanKernels)()) found.push_back(k);
    }
    hwy::SetSupportedTargetsForTest(0);
    HWY_DYNAMIC_DISPATCH(TargetSpanKernels)();
    return found;
  }();
  return tables;
}

void ForEachVectorTarget(const std::function<void(const char* target)>& body) {
  for (std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    body(hwy::TargetName(target));
  }
  hwy::SetSupportedTargetsForTest(0);
}
#endif
