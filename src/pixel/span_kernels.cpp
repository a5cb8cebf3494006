#include "pixel/span_kernels.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const SpanKernels* FindSpanKernels(const char* name) {
  if (std::strcmp(name, "reference") == 0) return &ReferenceSpanKernels();
  if (std::strcmp(name, "sse2") == 0) return &Sse2SpanKernels();
  if (std::strcmp(name, "avx2") == 0) return CpuHasAvx2() ? &Avx2SpanKernels() : nullptr;
  return nullptr;
}

namespace {
const SpanKernels& ChooseSpanKernels() {
  if (const char* wanted = std::getenv("ZINTAVEL_KERNELS"); wanted && *wanted) {
    if (const SpanKernels* k = FindSpanKernels(wanted)) return *k;
    std::fprintf(stderr, "zintavel: ZINTAVEL_KERNELS=%s is not available here; using the default\n",
                 wanted);
  }
  return CpuHasAvx2() ? Avx2SpanKernels() : Sse2SpanKernels();
}
}  // namespace

const SpanKernels& ActiveSpanKernels() {
  static const SpanKernels& chosen = ChooseSpanKernels();
  return chosen;
}
