// Whole-frame costs of the pixel operations, per kernel table, beside a memcpy of
// the same 307,200 bytes so each figure reads as a ratio to the copy.
//   build/bench/zintavel_bench --benchmark_counters_tabular=true
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

#include "assets/loading.h"
#include "grid/plasma.h"
#include "grid/raycast.h"
#include "pixel/box_blur.h"
#include "pixel/colour.h"
#include "pixel/span_kernels.h"
#include "pixel/sprite.h"
#include "pixel/zoom_blur.h"
#include "scenes/countdown.h"
#include "scenes/fades.h"
#include "scenes/part_one.h"
#include "scenes/scanner.h"

namespace {

struct Frames {
  std::unique_ptr<Picture> a = std::make_unique<Picture>(), b = std::make_unique<Picture>();
  Frames() {
    std::mt19937 rng(1);
    for (Pixel& p : a->pixels) p = rng() & 0x00FFFFFF;
    for (Pixel& p : b->pixels) p = rng() & 0x00FFFFFF;
  }
};

void PerFrame(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * PicturePixels * 4);
}

void BM_Memcpy(benchmark::State& state) {
  Frames f;
  for (auto _ : state) {
    std::memcpy(f.b->pixels, f.a->pixels, sizeof f.a->pixels);
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}
BENCHMARK(BM_Memcpy);

void BM_Span(benchmark::State& state, int which, const char* table) {
  const SpanKernels* k = FindSpanKernels(table);
  if (!k) {
    state.SkipWithError("kernel table not available on this CPU");
    return;
  }
  Frames f;
  for (auto _ : state) {
    switch (which) {
      case 0: k->addSpan(f.a->pixels, f.b->pixels, PicturePixels); break;
      case 1: k->addSpanScaled(f.a->pixels, f.b->pixels, PicturePixels, 77); break;
      case 2: k->scaleSpan(f.a->pixels, f.b->pixels, PicturePixels, 200); break;
      case 3: k->fadeSpanToWhite(f.a->pixels, f.b->pixels, PicturePixels, 100); break;
      case 4: k->blendNegative(f.b->pixels, PicturePixels, 90); break;
    }
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}

#define SPAN_BENCH(Which, Name)                                    \
  BENCHMARK_CAPTURE(BM_Span, Name##_reference, Which, "reference"); \
  BENCHMARK_CAPTURE(BM_Span, Name##_sse2, Which, "sse2");           \
  BENCHMARK_CAPTURE(BM_Span, Name##_avx2, Which, "avx2");
SPAN_BENCH(0, AddSpan)
SPAN_BENCH(1, AddSpanScaled)
SPAN_BENCH(2, ScaleSpan)
SPAN_BENCH(3, FadeSpanToWhite)
SPAN_BENCH(4, BlendNegative)

void BM_BoxBlurBothPasses(benchmark::State& state) {
  Frames f;
  for (auto _ : state) {
    BoxBlurHorizontal(static_cast<std::int32_t>(state.range(0)), 0, *f.a, *f.b);
    BoxBlurVertical(static_cast<std::int32_t>(state.range(0)), 0, *f.b, *f.a);
  }
  PerFrame(state);
}
BENCHMARK(BM_BoxBlurBothPasses)->Arg(8)->Arg(60);

void BM_ZoomBlur(benchmark::State& state) {
  Frames f;
  FillGreyGainTable();
  for (auto _ : state) ZoomBlur(f.a->pixels, 160, 120, 0.95f, 0.89f, 0.89f);
  PerFrame(state);
}
BENCHMARK(BM_ZoomBlur);

void BM_StretchPicture(benchmark::State& state) {
  Frames f;
  for (auto _ : state) StretchPicture(-20, -15, 340, 255, *f.a, *f.b);
  PerFrame(state);
}
BENCHMARK(BM_StretchPicture);

void BM_BlendSpriteFullScreen(benchmark::State& state) {
  Frames f;
  SpriteBox box{0, 320, 0, 240};
  for (auto _ : state) BlendSprite(0, 0, 128, &box, *f.a, *f.b);
  PerFrame(state);
}
BENCHMARK(BM_BlendSpriteFullScreen);

std::vector<Pixel> BenchTexture() {
  std::vector<Pixel> texture(TexturePixels);
  std::mt19937 rng(2);
  for (Pixel& p : texture) p = rng() & 0x00FFFFFF;
  return texture;
}

void BM_MapGrid(benchmark::State& state) {
  Frames f;
  const auto texture = BenchTexture();
  MovePlasmaGrid(123.0f);
  for (auto _ : state) MapGrid(texture.data(), *f.a);
  PerFrame(state);
}
BENCHMARK(BM_MapGrid);

void BM_MovePlasmaGrid(benchmark::State& state) {
  float t = 0;
  for (auto _ : state) MovePlasmaGrid(t += 3.0f);
}
BENCHMARK(BM_MovePlasmaGrid);

// A frame of the tunnel: plasma, 1,271 rays mixed in at 256, then the mapper.
void BM_DrawRayPlasma(benchmark::State& state) {
  Frames f;
  const auto texture = BenchTexture();
  float t = 0;
  for (auto _ : state) DrawRayPlasma(t += 3.0f, 256.0f, 0, 0, 20, 0, 10, 0, 0, 0, texture.data(), *f.a);
  PerFrame(state);
}
BENCHMARK(BM_DrawRayPlasma);

// Whole scenes over the default data set, at times that show their costly layers.
bool LoadDefaultData() {
  static const bool loaded = [] {
    PresentationDirectory = ZINTAVEL_DEMO_DIR;
    return LoadAssets();
  }();
  return loaded;
}

void BM_Scene(benchmark::State& state, const char* scene) {
  if (!LoadDefaultData()) {
    state.SkipWithError("no default data set");
    return;
  }
  Frames f;
  const auto t = static_cast<std::uint32_t>(state.range(0));
  for (auto _ : state) {
    const std::string_view s = scene;
    if (s == "partone") RenderPartOne(t, *f.a);
    else if (s == "parttwo") RenderPartTwo(t, *f.a);
    else if (s == "countdown") RenderCountdown(5, 0.5f, *f.a);
    else RenderTitleCard(0.5f, *f.a);
  }
  PerFrame(state);
}
// Opening zoom (blur 60, 15), composite layers, tunnel with rays, stutter and negative, fade.
BENCHMARK_CAPTURE(BM_Scene, partone, "partone")->Arg(100)->Arg(600)->Arg(12100)->Arg(40000)->Arg(47700)->Arg(52000);
// Scanner early and late, text scene with points flying (first and second set).
BENCHMARK_CAPTURE(BM_Scene, parttwo, "parttwo")->Arg(14000)->Arg(60000)->Arg(90140)->Arg(232000);
BENCHMARK_CAPTURE(BM_Scene, countdown, "countdown")->Arg(0);
BENCHMARK_CAPTURE(BM_Scene, fade, "fade")->Arg(0);

}  // namespace

BENCHMARK_MAIN();
