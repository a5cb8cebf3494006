#include "sound/music_probe.h"

#include <algorithm>
#include <cmath>

#include "sound/audio_engine.h"

MusicFacts ProbeMusic(const std::string& module, const std::string& stream) {
  MusicFacts facts;
  AudioEngine engine;
  facts.moduleLoaded = engine.LoadModule(module, false, true);
  facts.moduleSeconds = engine.ModuleSeconds();
  facts.streamLoaded = engine.LoadStream(stream);
  facts.streamSeconds = engine.StreamSeconds();
  const std::vector<float>& pcm = engine.StreamSamples();
  for (std::size_t i = std::size_t{2} * 54 * AudioEngine::Rate; i < pcm.size(); ++i) {
    facts.streamPeakAfterPartOne = std::max(facts.streamPeakAfterPartOne, std::fabs(pcm[i]));
  }
  return facts;
}
