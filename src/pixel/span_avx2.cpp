// AVX2 span kernels: eight pixels a step, compiled for AVX2 function by function
// and only chosen when the CPU reports it.
#include <immintrin.h>

#include "pixel/span_kernels.h"

namespace {
using V = __m256i;
constexpr std::int32_t LANES = 8;
#define ATTR __attribute__((target("avx2")))
ATTR inline V Load(const Pixel* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
ATTR inline void Store(Pixel* p, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(p), v); }
ATTR inline V Zero() { return _mm256_setzero_si256(); }
ATTR inline V Set16(short v) { return _mm256_set1_epi16(v); }
ATTR inline V Set8(char v) { return _mm256_set1_epi8(v); }
ATTR inline V SetPairs16(short c, short t) {
  return _mm256_set_epi16(t, c, c, c, t, c, c, c, t, c, c, c, t, c, c, c);
}
ATTR inline V AddSat8(V a, V b) { return _mm256_adds_epu8(a, b); }
ATTR inline V Mul16(V a, V b) { return _mm256_mullo_epi16(a, b); }
ATTR inline V Add16(V a, V b) { return _mm256_add_epi16(a, b); }
ATTR inline V Sub16(V a, V b) { return _mm256_sub_epi16(a, b); }
ATTR inline V Shr8(V a) { return _mm256_srli_epi16(a, 8); }
ATTR inline V Pack(V lo, V hi) { return _mm256_packus_epi16(lo, hi); }
ATTR inline V Lo(V a, V zero) { return _mm256_unpacklo_epi8(a, zero); }
ATTR inline V Hi(V a, V zero) { return _mm256_unpackhi_epi8(a, zero); }
}  // namespace

#include "pixel/span_simd.inc"
#undef ATTR

namespace {
constexpr SpanKernels kAvx2 = {"avx2", AddSpanVec, AddSpanScaledVec, ScaleSpanVec,
                               FadeSpanToWhiteVec, BlendNegativeVec};
}

const SpanKernels& Avx2SpanKernels() { return kAvx2; }
bool CpuHasAvx2() { return __builtin_cpu_supports("avx2"); }
