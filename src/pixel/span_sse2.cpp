// SSE2 span kernels: four pixels a step.
#include <emmintrin.h>

#include "pixel/span_kernels.h"

namespace {
using V = __m128i;
constexpr std::int32_t LANES = 4;
#define ATTR
inline V Load(const Pixel* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
inline void Store(Pixel* p, V v) { _mm_storeu_si128(reinterpret_cast<V*>(p), v); }
inline V Zero() { return _mm_setzero_si128(); }
inline V Set16(short v) { return _mm_set1_epi16(v); }
inline V Set8(char v) { return _mm_set1_epi8(v); }
inline V SetPairs16(short colour, short top) {
  return _mm_set_epi16(top, colour, colour, colour, top, colour, colour, colour);
}
inline V AddSat8(V a, V b) { return _mm_adds_epu8(a, b); }
inline V Mul16(V a, V b) { return _mm_mullo_epi16(a, b); }
inline V Add16(V a, V b) { return _mm_add_epi16(a, b); }
inline V Sub16(V a, V b) { return _mm_sub_epi16(a, b); }
inline V Shr8(V a) { return _mm_srli_epi16(a, 8); }
inline V Pack(V lo, V hi) { return _mm_packus_epi16(lo, hi); }
inline V Lo(V a, V zero) { return _mm_unpacklo_epi8(a, zero); }
inline V Hi(V a, V zero) { return _mm_unpackhi_epi8(a, zero); }
}  // namespace

#include "pixel/span_simd.inc"
#undef ATTR

namespace {
constexpr SpanKernels kSse2 = {"sse2", AddSpanVec, AddSpanScaledVec, ScaleSpanVec,
                               FadeSpanToWhiteVec, BlendNegativeVec};
}

const SpanKernels& Sse2SpanKernels() { return kSse2; }
