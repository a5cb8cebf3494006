// The sound layer on the browser's audio thread: the same AudioEngine as the
// native backends, driven by the page's messages and asked for 128 frames at a
// time. Files arrive in the module's memory file system first.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "sound/audio_engine.h"
#include "sound/module_checkpoints.h"

namespace {
AudioEngine* engine = nullptr;
std::vector<float> block;
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int zw_audio_load_module(const char* path, int loop, int ramping) {
  if (!engine) engine = new AudioEngine;
  if (!engine->LoadModule(path, loop != 0, ramping != 0)) return 0;
  // The page keeps at most 48 MB of checkpoints in all: part one's take about
  // 7.5 MB in the show's module, the parked instances (4.1 MB each) the rest.
  // The processor builds them between its blocks (zw_audio_checkpoint_work).
  engine->KeepCheckpoints(36u << 20, 600ull * 44100);
  return 1;
}
EMSCRIPTEN_KEEPALIVE int zw_audio_load_stream(const char* path) {
  if (!engine) engine = new AudioEngine;
  return engine->LoadStream(path) ? 1 : 0;
}
EMSCRIPTEN_KEEPALIVE void zw_audio_play_module() { if (engine) engine->PlayModule(); }
EMSCRIPTEN_KEEPALIVE void zw_audio_play_stream() { if (engine) engine->PlayStream(); }
EMSCRIPTEN_KEEPALIVE void zw_audio_free_stream() { if (engine) engine->FreeStream(); }
EMSCRIPTEN_KEEPALIVE void zw_audio_volume(int percent) { if (engine) engine->SetVolume(static_cast<std::uint32_t>(percent)); }
EMSCRIPTEN_KEEPALIVE void zw_audio_free() { if (engine) engine->Free(); }

// A seek: back to the show's start, then skipped up to a sample (from the
// nearest parked instance of the module where one is ready).
EMSCRIPTEN_KEEPALIVE void zw_audio_rewind() { if (engine) engine->Rewind(); }
EMSCRIPTEN_KEEPALIVE void zw_audio_skip(double frames) {
  if (engine && frames > 0) engine->Skip(static_cast<std::size_t>(frames));
}

// Builds parked instances for about `samples` samples of mixing; 1 while work
// is left (a seek that takes an instance leaves some again).
EMSCRIPTEN_KEEPALIVE int zw_audio_checkpoint_work(int samples) {
  ModuleCheckpoints* points = engine ? engine->Checkpoints() : nullptr;
  return points && points->Work(static_cast<std::size_t>(std::max(samples, 1))) ? 1 : 0;
}
// How far the building has come: instances ready, their number, whether the
// module's loop is proven (so any later moment folds back onto them), and
// their bytes; all 0 before the module is loaded.
EMSCRIPTEN_KEEPALIVE const int* zw_audio_checkpoints() {
  static int progress[4];
  const ModuleCheckpoints* points = engine ? engine->Checkpoints() : nullptr;
  progress[0] = points ? points->Ready() : 0;
  progress[1] = points ? points->Points() : 0;
  progress[2] = points && points->LoopProven() ? 1 : 0;
  progress[3] = points ? static_cast<int>(points->Bytes()) : 0;
  return progress;
}

// Interleaved stereo floats; silence before anything is loaded.
EMSCRIPTEN_KEEPALIVE float* zw_audio_render(int frames) {
  block.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
  if (engine) engine->Render(block.data(), static_cast<std::size_t>(frames));
  return block.data();
}

}  // extern "C"
