// The span operations come in a plain per-byte reference and vector versions that
// must give the same bytes. One table is chosen at first use: the best vector
// target the CPU runs, or the one ZINTAVEL_KERNELS names ("reference", or a
// vector target such as "avx2", "sse4", "avx3", "neon", "sve"; case does not
// matter). The same choice also decides whether the whole-frame passes (blurs,
// sprites) take their fast paths or their references.
// Weights and levels reaching a kernel are already clamped to 0..255 and counts
// are at least 1.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "pixel/picture.h"

struct SpanKernels {
  const char* name;
  void (*addSpan)(const Pixel* src, Pixel* dst, std::int32_t count);
  void (*addSpanScaled)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t k);
  void (*scaleSpan)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a);
  void (*fadeSpanToWhite)(const Pixel* src, Pixel* dst, std::int32_t count, std::uint32_t a);
  void (*blendNegative)(Pixel* pixels, std::int32_t count, std::uint32_t k);
  void (*multiplySpan)(const Pixel* src, Pixel* dst, std::int32_t count);
};

const SpanKernels& ReferenceSpanKernels();
// One table per vector target compiled in and run by this CPU, best first (may be
// empty on a processor without a vector unit the build knows).
std::vector<const SpanKernels*> VectorSpanKernels();

// Runs `body` once for each vector target this CPU runs, with the run-time
// choice of every fast path narrowed to that target, then puts the choice back:
// lets a test prove each target's whole-frame passes, not only the best one.
void ForEachVectorTarget(const std::function<void(const char* target)>& body);

// The table in use; chosen once.
const SpanKernels& ActiveSpanKernels();
// True when the table in use is the reference: every operation then runs its
// plain reference, so a whole run can be compared against them.
bool UsingReferenceKernels();
// The table of that name when this CPU can run it, else nullptr.
const SpanKernels* FindSpanKernels(const char* name);
