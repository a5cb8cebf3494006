// Sampled instruments: single notes of a General MIDI soundfont rendered
// with FluidSynth into mono tracker samples, trimmed, normalised, tuned and,
// for sustained sounds, looped with a crossfade. The synth runs on one
// thread without drivers, reverb or chorus, so the same font gives the same
// bytes every time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "it_writer.h"

inline constexpr const char* DefaultSoundfont = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
inline constexpr int DrumKit = 128;  // the bank of the percussion kits

struct Patch {
  const char* name;
  int bank = 0, program = 0;  // DrumKit: program picks the kit, key the drum
  int key = 60, velocity = 110;
  double hold = 0.5;       // seconds the key is held
  double length = 1.0;     // seconds kept in all, release included
  double loopAt = 0;       // > 0: loop from here to the end of the hold (sustained sounds)
  bool reverse = false;    // played backwards (a swell into its hit)
  double fadeIn = 0;       // seconds of fade at the start (after reversing)
  double attack = 1e-3;    // the sample starts where the note first reaches this part of its peak
  // A resonant low pass baked in: its cutoff falls from `sweepFrom` to
  // `sweepTo` Hz over `sweepSeconds` from the attack, then stays (0 = none).
  double sweepFrom = 0, sweepTo = 0, sweepSeconds = 0, resonance = 0;
};

class Soundfont {
 public:
  // Empty, with the reason in `error`, when the file is missing or is no soundfont.
  static std::unique_ptr<Soundfont> Open(const std::string& path, std::string& error);
  ~Soundfont();
  Soundfont(const Soundfont&) = delete;
  Soundfont& operator=(const Soundfont&) = delete;

  // The note, mono 16-bit at 44.1 kHz; tonal patches sound their MIDI key at
  // the tracker note of the same number (60 = C-5 = middle C).
  ItSample Render(const Patch& patch);

 private:
  Soundfont() = default;
  struct Impl;
  Impl* impl_ = nullptr;
};

// Runs `wave` through a resonant low pass (a state-variable filter) whose
// cutoff glides exponentially from `fromHz` to `toHz` over `seconds`;
// `resonance` 0..1 (1 rings).
void ResonantSweep(std::vector<float>& wave, double fromHz, double toHz, double seconds, double resonance);

// Makes `wave` (mono floats) loop seamlessly from `begin` to its end: the last
// `fade` samples become a crossfade into the ones just before `begin`.
void CrossfadeLoop(std::vector<float>& wave, std::size_t begin, std::size_t fade);
