// zintavel-soundhash: mixes the first seconds of the presentation's module as
// the countdown starts it, in blocks of 128 frames as a browser's audio thread
// asks for them, and prints a hash of each second, so that two builds of the
// sound layer (native and WebAssembly) can be compared sample for sample.
// With FROM, the first FROM frames are mixed and dropped first, in the blocks a
// seek drops them in (the page's sound thread after a seek that lands FROM
// frames into the module).
//   zintavel-soundhash DIR SECONDS [FROM]
// Output lines: "sound SECOND HASH", the hash as 16 hex digits (FNV-1a over the
// interleaved float samples' bytes).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound/audio_engine.h"

namespace {

std::uint64_t Fnv1a(const void* data, std::size_t size, std::uint64_t h) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  char* end = nullptr;
  const unsigned long seconds = argc == 3 || argc == 4 ? std::strtoul(argv[2], &end, 10) : 0;
  bool ok = (argc == 3 || argc == 4) && !*end && seconds > 0 && seconds <= 3600;
  unsigned long from = 0;
  if (ok && argc == 4) {
    from = std::strtoul(argv[3], &end, 10);
    ok = *argv[3] && !*end && from <= 3600ul * AudioEngine::Rate;
  }
  if (!ok) {
    std::fputs("usage: zintavel-soundhash DIR SECONDS [FROM]\n", stderr);
    return 2;
  }
  AudioEngine engine;
  // As the presentation loads it: looping, with volume ramping.
  if (!engine.LoadModule(std::string(argv[1]) + "/tune.it", true, true)) return 1;
  engine.PlayModule();
  float dropped[2 * 4096];
  for (unsigned long left = from; left > 0;) {
    const std::size_t n = left < 4096 ? left : 4096;
    engine.Render(dropped, n);
    left -= n;
  }
  constexpr std::size_t Block = 128;
  float block[2 * Block];
  constexpr std::uint64_t Basis = 0xcbf29ce484222325ull;
  std::uint64_t hash = Basis;
  std::size_t inSecond = 0;
  for (unsigned long s = 0; s < seconds;) {
    engine.Render(block, Block);
    for (std::size_t f = 0; f < Block && s < seconds; ++f) {
      hash = Fnv1a(block + 2 * f, 2 * sizeof(float), hash);
      if (++inSecond == AudioEngine::Rate) {
        std::printf("sound %lu %016llx\n", s++, static_cast<unsigned long long>(hash));
        hash = Basis;
        inSecond = 0;
      }
    }
  }
  return 0;
}
