// The sound engine's loading from a fuzzed file: the first byte picks the
// tracker module (libopenmpt, after our own check of its offsets) or the MP3
// stream (libmpg123, decoded whole), then a few blocks are mixed.
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "sound/audio_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  AudioEngine engine;
  const char* path = InputAsFile(data + 1, size - 1);
  bool loaded;
  if (data[0] & 1) {
    loaded = engine.LoadStream(path);
    engine.PlayStream();
  } else {
    loaded = engine.LoadModule(path, (data[0] & 2) != 0, (data[0] & 4) != 0);
    engine.PlayModule();
  }
  if (!loaded) return 0;
  static std::vector<float> mix(2 * 4096);
  for (int block = 0; block < 4; ++block) engine.Render(mix.data(), 4096);
  return 0;
}
