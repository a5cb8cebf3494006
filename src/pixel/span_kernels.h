// The span operations come in a plain per-byte reference and vector versions that
// must give the same bytes. One table is chosen at first use: the fastest the CPU
// runs, or the one ZINTAVEL_KERNELS names ("reference", "sse2", "avx2").
// Weights and levels reaching a kernel are already clamped to 0..255 and counts
// are at least 1.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

struct SpanKernels {
  const char* name;
  void (*addSpan)(const Pixel* src, Pixel* dst, std::int32_t count);
  void (*addSpanScaled)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t k);
  void (*scaleSpan)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a);
  void (*fadeSpanToWhite)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a);
  void (*blendNegative)(Pixel* pixels, std::int32_t count, std::uint32_t k);
};

const SpanKernels& ReferenceSpanKernels();
const SpanKernels& Sse2SpanKernels();
const SpanKernels& Avx2SpanKernels();
bool CpuHasAvx2();

// The table in use; chosen once.
const SpanKernels& ActiveSpanKernels();
// The table of that name when this CPU can run it, else nullptr.
const SpanKernels* FindSpanKernels(const char* name);
