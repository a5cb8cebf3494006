#include "pixel/span_kernels.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>

const SpanKernels* FindSpanKernels(const char* name) {
  if (strcasecmp(name, "reference") == 0) return &ReferenceSpanKernels();
  for (const SpanKernels* k : VectorSpanKernels()) {
    if (strcasecmp(name, k->name) == 0) return k;
  }
  return nullptr;
}

namespace {
const SpanKernels& ChooseSpanKernels() {
  if (const char* wanted = std::getenv("ZINTAVEL_KERNELS"); wanted && *wanted) {
    if (const SpanKernels* k = FindSpanKernels(wanted)) return *k;
    std::fprintf(stderr, "zintavel: ZINTAVEL_KERNELS=%s is not available here; using the default\n",
                 wanted);
  }
  const auto vector = VectorSpanKernels();
  return vector.empty() ? ReferenceSpanKernels() : *vector.front();
}
}  // namespace

const SpanKernels& ActiveSpanKernels() {
  static const SpanKernels& chosen = ChooseSpanKernels();
  return chosen;
}

bool UsingReferenceKernels() { return &ActiveSpanKernels() == &ReferenceSpanKernels(); }
