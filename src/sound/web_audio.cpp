// The sound layer on the browser's audio thread: the same AudioEngine as the
// native backends, driven by the page's messages and asked for 128 frames at a
// time. Files arrive in the module's memory file system first.
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "sound/audio_engine.h"

namespace {
AudioEngine* engine = nullptr;
std::vector<float> block;
}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int zw_audio_load_module(const char* path, int loop, int ramping) {
  if (!engine) engine = new AudioEngine;
  return engine->LoadModule(path, loop != 0, ramping != 0) ? 1 : 0;
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

// A seek: back to the show's start, then mixed and dropped up to a sample, in
// the blocks the native replay drops.
EMSCRIPTEN_KEEPALIVE void zw_audio_rewind() { if (engine) engine->Rewind(); }
EMSCRIPTEN_KEEPALIVE void zw_audio_skip(double frames) {
  if (!engine) return;
  for (double left = frames; left > 0;) {
    const std::size_t n = static_cast<std::size_t>(std::min(left, 4096.0));
    block.resize(2 * n);
    engine->Render(block.data(), n);
    left -= static_cast<double>(n);
  }
}

// Interleaved stereo floats; silence before anything is loaded.
EMSCRIPTEN_KEEPALIVE float* zw_audio_render(int frames) {
  block.assign(static_cast<std::size_t>(frames) * 2, 0.0f);
  if (engine) engine->Render(block.data(), static_cast<std::size_t>(frames));
  return block.data();
}

}  // extern "C"
