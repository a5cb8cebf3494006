// The kernels in WebAssembly: Highway's run-time dispatch library is not built
// for it, so there are no vector tables and every operation takes its plain
// reference (UsingReferenceKernels() is then true, and no fast pass is called).
#include <cstdlib>

#include "display/presenter.h"
#include "grid/grid.h"
#include "pixel/frame_kernels.h"
#include "pixel/span_kernels.h"

std::vector<const SpanKernels*> VectorSpanKernels() { return {}; }
void ForEachVectorTarget(const std::function<void(const char*)>&) {}

// Never reached without a vector table; they exist so the core links.
void BoxBlurRowsFast(std::int32_t, const Picture&, Picture&) { std::abort(); }
void BoxBlurColumnsFast(std::int32_t, const Picture&, Picture&) { std::abort(); }
void ZoomBlurRowFast(const Pixel*, Pixel*, std::uint32_t, std::uint32_t, std::uint32_t, const PixelGroups&) {
  std::abort();
}
void StretchRowFast(const Pixel*, Pixel*, const PixelGroups&) { std::abort(); }
void BlendSpriteRowFast(const Pixel*, Pixel*, std::int32_t, std::uint32_t) { std::abort(); }
void AddSpriteRowFast(const Pixel*, Pixel*, std::int32_t, std::uint32_t) { std::abort(); }
void MapGridFast(const Pixel*, Picture&) { std::abort(); }
void ConvertFrameFast(const Pixel*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint8_t*,
                      std::int32_t) {
  std::abort();
}
