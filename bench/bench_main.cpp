// Whole-frame costs of the pixel operations, per kernel table, beside a memcpy of
// the same 307,200 bytes measured in the same run, the grid renderer, every scene
// at telling times, and the whole show on a virtual 60 Hz clock. The run ends
// with a summary: each figure as a ratio to the memcpy, beside its target.
//   build/bench/zintavel_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "assets/loading.h"
#include "choreo/phases.h"
#include "display/gentle.h"
#include "display/presenter.h"
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
#include "show/master_sequence.h"
#include "support/fake_platform.h"

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

void BM_Span(benchmark::State& state, int which, const SpanKernels* k) {
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
const char* const SpanNames[] = {"AddSpan", "AddSpanScaled", "ScaleSpan", "FadeSpanToWhite", "BlendNegative"};

void BM_BoxBlurBothPasses(benchmark::State& state) {
  Frames f;
  for (auto _ : state) {
    BoxBlurHorizontal(static_cast<std::int32_t>(state.range(0)), 0, *f.a, *f.b);
    BoxBlurVertical(static_cast<std::int32_t>(state.range(0)), 0, *f.b, *f.a);
  }
  PerFrame(state);
}

// The countdown's middle scale; the centre as it passes half way.
void BM_ZoomBlur(benchmark::State& state) {
  Frames f;
  FillGreyGainTable();
  for (auto _ : state) ZoomBlur(f.a->pixels, 162, 130, 0.94f, 0.89f, 0.89f);
  PerFrame(state);
}

void BM_StretchPicture(benchmark::State& state) {
  Frames f;
  for (auto _ : state) StretchPicture(-20, -15, 340, 255, *f.a, *f.b);
  PerFrame(state);
}

// A whole-frame sprite with a key pixel in every 16.
void BM_Sprite(benchmark::State& state, bool add) {
  Frames f;
  for (std::int32_t i = 0; i < PicturePixels; i += 16) f.a->pixels[i] = TransparentKey;
  SpriteBox box{0, 320, 0, 240};
  for (auto _ : state) {
    if (add) AddSprite(0, 0, 128, &box, *f.a, *f.b);
    else BlendSprite(0, 0, 128, &box, *f.a, *f.b);
  }
  PerFrame(state);
}

// A frame into a display surface whose rows are padded, as the player's are.
void BM_ConvertFrame(benchmark::State& state) {
  Frames f;
  const auto depth = static_cast<std::int32_t>(state.range(0)), doubling = static_cast<std::int32_t>(state.range(1));
  const std::int32_t bytes = depth == 32 ? 4 : depth == 24 ? 3 : 2;
  const std::int32_t pitch = ((320 << doubling) * bytes + 63) / 64 * 64 + 64;
  std::vector<std::uint8_t> surface(static_cast<std::size_t>(pitch) * (240 << doubling));
  for (auto _ : state) {
    ConvertFrame(f.a->pixels, 320, 240, depth, doubling, surface.data(), pitch);
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}

// --gentle on frames that do not flash (two busy pictures taking turns, every
// block's level steady) and on a full-screen strobe it holds every other frame.
void BM_LimitFlashes(benchmark::State& state, bool strobe) {
  Frames f;
  std::vector<Pixel> white(PicturePixels, 0x00FFFFFFu), black(PicturePixels, 0), shown(PicturePixels);
  ResetFlashLimiter();
  std::uint32_t ms = 0;
  bool odd = false;
  for (auto _ : state) {
    const Pixel* frame = strobe ? (odd ? white.data() : black.data()) : (odd ? f.a->pixels : f.b->pixels);
    LimitFlashes(frame, shown.data(), ms += 16);
    odd = !odd;
    benchmark::ClobberMemory();
  }
  PerFrame(state);
}

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

void BM_MovePlasmaGrid(benchmark::State& state) {
  float t = 0;
  for (auto _ : state) MovePlasmaGrid(t += 3.0f);
}

// The ray caster alone: 1,271 rays.
void BM_CastRayGrid(benchmark::State& state) {
  float a = 0;
  for (auto _ : state) CastRayGrid({0, 0, 20}, 0, a += 100.0f, 0, 30.0f, 20.0f);
}

// A frame of the tunnel: plasma, 1,271 rays mixed in at 256, then the mapper.
void BM_DrawRayPlasma(benchmark::State& state) {
  Frames f;
  const auto texture = BenchTexture();
  float t = 0;
  for (auto _ : state) DrawRayPlasma(t += 3.0f, 256.0f, 0, 0, 20, 0, 10, 0, 0, 0, texture.data(), *f.a);
  PerFrame(state);
}

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
  const std::string_view s = scene;
  for (auto _ : state) {
    if (s == "partone") RenderPartOne(t, *f.a);
    else if (s == "parttwo") RenderPartTwo(t, *f.a);
    else if (s == "countdown") RenderCountdown(5, 0.5f, *f.a);
    else RenderTitleCard(0.5f, *f.a);
  }
  PerFrame(state);
}

// The master sequence on a virtual clock that moves 1/60 s at every present,
// with a surface to convert into and nothing written anywhere; quit 100 s into
// part two, then the closing fade.
class SixtyHertz : public FakePlatform {
 public:
  std::uint64_t frames = 0;
  std::uint32_t quitAt = 0;
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    pixels = display_.data();
    pitch = 640 * 4;
    return true;
  }
  bool Flip() override {
    ++frames;
    now = static_cast<std::uint32_t>(frames * 1000 / 60);
    return FakePlatform::Flip();
  }

 private:
  std::vector<std::uint8_t> display_ = std::vector<std::uint8_t>(640 * 480 * 4 + 64);
};

void BM_WholeShow(benchmark::State& state) {
  if (!LoadDefaultData()) {
    state.SkipWithError("no default data set");
    return;
  }
  double virtualMs = 0;
  for (auto _ : state) {
    SixtyHertz platform;
    platform.step = 0;  // the clock is set by Flip above
    platform.quitWhen = [&](std::uint32_t, std::uint32_t now) { return now >= BeforePartTwoMs + 100000; };
    ActivePlatform = &platform;
    SceneTable scenes = DemoScenes();
    scenes.loadAssets = [] { return true; };  // loaded once above
    if (MasterSequence(scenes) != 0) state.SkipWithError("the show did not end cleanly");
    ActivePlatform = nullptr;
    virtualMs += platform.now;
    state.counters["frames"] = static_cast<double>(platform.frames);
  }
  state.counters["virtual_ms"] = virtualMs / static_cast<double>(state.iterations());
}

// Collects every run's CPU time per iteration while printing as usual.
class Collector : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, Run> runs;
  void ReportRuns(const std::vector<Run>& report) override {
    for (const Run& r : report) {
      if (!r.error_occurred) runs[r.benchmark_name()] = r;
    }
    ConsoleReporter::ReportRuns(report);
  }
  double Ns(const std::string& name) const {
    auto it = runs.find(name);
    if (it == runs.end()) return -1;
    return it->second.GetAdjustedCPUTime() * benchmark::GetTimeUnitMultiplier(benchmark::kNanosecond) /
           benchmark::GetTimeUnitMultiplier(it->second.time_unit);
  }
};

void PrintSummary(const Collector& c) {
  const double copy = c.Ns("BM_Memcpy");
  if (copy <= 0) return;
  std::printf("\nIn frame-copies (CPU time over memcpy of a frame, %.0f ns, this run); target beside:\n", copy);
  std::printf("  %-52s %10s %8s %8s\n", "operation", "ns", "copies", "target");
  auto line = [&](const std::string& label, const std::string& name, double target) {
    const double ns = c.Ns(name);
    if (ns < 0) return;
    const double ratio = ns / copy;
    const char* verdict = target <= 0 ? "" : (ratio <= target ? "  ok" : "  OVER");
    if (target > 0) std::printf("  %-52s %10.0f %8.1f %8.1f%s\n", label.c_str(), ns, ratio, target, verdict);
    else std::printf("  %-52s %10.0f %8.1f %8s\n", label.c_str(), ns, ratio, "-");
  };
  const std::string active = ActiveSpanKernels().name;
  for (int i = 0; i < 5; ++i) {
    line(std::string(SpanNames[i]) + " (" + active + ")", std::string("BM_Span/") + SpanNames[i] + "/" + active,
         i == 4 ? 1.5 : 1.6);
  }
  line("AddSpan (reference)", "BM_Span/AddSpan/reference", 0);
  line("box blur, both passes, radius 60", "BM_BoxBlurBothPasses/60", 30);
  line("box blur, both passes, radius 8", "BM_BoxBlurBothPasses/8", 30);
  line("zoom blur", "BM_ZoomBlur", 60);
  line("BlendSprite over the whole frame", "BM_Sprite/blend", 10);
  line("AddSprite over the whole frame", "BM_Sprite/add", 10);
  line("StretchPicture over the whole frame", "BM_StretchPicture", 10);
  line("ConvertFrame, 32 bits", "BM_ConvertFrame/32/0", 0);
  line("ConvertFrame, 32 bits doubled", "BM_ConvertFrame/32/1", 0);
  line("ConvertFrame, 24 bits", "BM_ConvertFrame/24/0", 0);
  line("ConvertFrame, 16 bits", "BM_ConvertFrame/16/0", 0);
  line("ConvertFrame, 16 bits doubled", "BM_ConvertFrame/16/1", 0);
  line("--gentle, frames passed as drawn", "BM_LimitFlashes/pass", 40);
  line("--gentle, a strobe held every other frame", "BM_LimitFlashes/strobe", 600);
  line("MapGrid", "BM_MapGrid", 0);
  line("MovePlasmaGrid", "BM_MovePlasmaGrid", 0);
  line("CastRayGrid", "BM_CastRayGrid", 0);
  line("DrawRayPlasma at full ray mix", "BM_DrawRayPlasma", 0);
  for (const auto& [name, run] : c.runs) {
    if (name.rfind("BM_Scene/", 0) == 0) line("scene " + name.substr(9), name, 100);
  }
  auto show = c.runs.find("BM_WholeShow/iterations:1");
  if (show != c.runs.end()) {
    const double virtualMs = show->second.counters.at("virtual_ms");
    const double cpuMs = c.Ns(show->first) / 1e6;
    std::printf("  %-52s %9.1fx %8s %7.0fx%s\n", "whole show at 60 fps, no output: real time", virtualMs / cpuMs, "",
                150.0, virtualMs / cpuMs >= 150 ? "  ok" : "  UNDER");
  }
}

void RegisterAll() {
  benchmark::RegisterBenchmark("BM_Memcpy", BM_Memcpy);
  std::vector<const SpanKernels*> tables{&ReferenceSpanKernels()};
  for (const SpanKernels* k : VectorSpanKernels()) tables.push_back(k);
  for (int i = 0; i < 5; ++i) {
    for (const SpanKernels* k : tables) {
      benchmark::RegisterBenchmark((std::string("BM_Span/") + SpanNames[i] + "/" + k->name).c_str(), BM_Span, i, k);
    }
  }
  benchmark::RegisterBenchmark("BM_BoxBlurBothPasses", BM_BoxBlurBothPasses)->Arg(8)->Arg(60);
  benchmark::RegisterBenchmark("BM_ZoomBlur", BM_ZoomBlur);
  benchmark::RegisterBenchmark("BM_StretchPicture", BM_StretchPicture);
  benchmark::RegisterBenchmark("BM_Sprite/blend", BM_Sprite, false);
  benchmark::RegisterBenchmark("BM_Sprite/add", BM_Sprite, true);
  benchmark::RegisterBenchmark("BM_ConvertFrame", BM_ConvertFrame)
      ->Args({32, 0})->Args({32, 1})->Args({24, 0})->Args({16, 0})->Args({16, 1});
  benchmark::RegisterBenchmark("BM_LimitFlashes/pass", BM_LimitFlashes, false);
  benchmark::RegisterBenchmark("BM_LimitFlashes/strobe", BM_LimitFlashes, true);
  benchmark::RegisterBenchmark("BM_MapGrid", BM_MapGrid);
  benchmark::RegisterBenchmark("BM_MovePlasmaGrid", BM_MovePlasmaGrid);
  benchmark::RegisterBenchmark("BM_CastRayGrid", BM_CastRayGrid);
  benchmark::RegisterBenchmark("BM_DrawRayPlasma", BM_DrawRayPlasma);
  // Opening zoom (blur 60, 15), composite layers, tunnel with rays, stutter and negative, fade.
  benchmark::RegisterBenchmark("BM_Scene/partone", BM_Scene, "partone")
      ->Arg(100)->Arg(600)->Arg(12100)->Arg(40000)->Arg(47700)->Arg(52000);
  // Scanner early and late, text scene with points flying (first and second set).
  benchmark::RegisterBenchmark("BM_Scene/parttwo", BM_Scene, "parttwo")->Arg(14000)->Arg(60000)->Arg(90140)->Arg(232000);
  benchmark::RegisterBenchmark("BM_Scene/countdown", BM_Scene, "countdown")->Arg(0);
  benchmark::RegisterBenchmark("BM_Scene/fade", BM_Scene, "fade")->Arg(0);
  benchmark::RegisterBenchmark("BM_WholeShow", BM_WholeShow)->Iterations(1)->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  RegisterAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  PrintSummary(collector);
  benchmark::Shutdown();
  return 0;
}
