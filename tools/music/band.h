// The instruments of the default music: notes of the General MIDI soundfont
// made into tracker samples, each with an instrument of its own (envelopes,
// filter, what it does when the next note comes). Instrument k plays sample k.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "it_writer.h"

// In the order of their numbers in the patterns (1-based).
enum Voice {
  KickS = 1, SnareS, HatS, CrashS, HitS, BassS, PadS, PluckS, StabS, RiserS, ShakerS, OpenHatS, LeadS,
  TomS, GuitarS, ImpactS, ClapS, ChoirS, ReverseS,
  VoiceCount = ReverseS
};

struct Band {
  std::vector<ItSample> samples;
  std::vector<ItInstrument> instruments;
};

// Renders every voice from the soundfont at `path`; empty, with a one-line
// reason in `error`, when the font cannot be read.
std::optional<Band> MakeBand(const std::string& path, std::string& error);

// Seconds of the riser and the reversed cymbal: each ends on the hit it leads into.
inline constexpr double RiserSeconds = 4.0, ReverseSeconds = 1.5;
