// The presentation's music as the player would load it, for --check: whether
// each file loads and how long it plays. Problems go to stderr as the player
// says them.
#pragma once

#include <string>

struct MusicFacts {
  bool moduleLoaded = false;
  double moduleSeconds = 0;  // once through, without looping
  bool streamLoaded = false;
  double streamSeconds = 0;
  float streamPeakAfterPartOne = 0;  // the loudest sample after 54 s, 0..1
};

MusicFacts ProbeMusic(const std::string& module, const std::string& stream);
