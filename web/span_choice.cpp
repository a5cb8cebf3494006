// The kernel tables in WebAssembly: the x86 ones do not exist there, so every
// name the native build knows gives the plain reference.
#include "pixel/span_kernels.h"

bool CpuHasAvx2() { return false; }
const SpanKernels& Sse2SpanKernels() { return ReferenceSpanKernels(); }
const SpanKernels& Avx2SpanKernels() { return ReferenceSpanKernels(); }
