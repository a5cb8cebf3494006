// A small Impulse Tracker module writer: 16-bit signed samples, packed
// patterns, the order list ended by 255. A song is a list of samples, a list
// of patterns of cells, and the order of patterns; with instruments (each
// one sample over the whole keyboard, with envelopes and a new-note action)
// the cells name instruments, otherwise samples. No resonant filters: players
// work out their coefficients in floating point, which need not agree to the
// bit from one build of the player to another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ItSample {
  std::string name;
  std::vector<std::int16_t> data;
  std::uint32_t c5speed = 44100;  // playback rate at note C-5 (60)
  std::uint8_t volume = 64;       // 0..64
  std::uint8_t globalVolume = 64; // 0..64, the sample's level in the mix
  // Auto-vibrato: speed 0..64, depth 0..64, sweep (rate) 0..255, waveform 0 = sine.
  std::uint8_t vibratoSpeed = 0, vibratoDepth = 0, vibratoRate = 0;
  bool loop = false;
  std::uint32_t loopBegin = 0, loopEnd = 0;
};

// An envelope: points of (tick, value), volume 0..64, panning and pitch
// -32..32.
struct ItEnvelope {
  struct Point {
    int tick, value;
  };
  std::vector<Point> points;  // none = off
  int sustain = -1;           // a point held while the note is on
  int loopBegin = -1, loopEnd = -1;
};

// New-note actions: what a playing note does when the next one starts.
inline constexpr int NnaCut = 0, NnaContinue = 1, NnaOff = 2, NnaFade = 3;

struct ItInstrument {
  std::string name;
  int sample = 1;            // 1-based, over every note
  int nna = NnaCut;
  int fadeout = 0;           // 0..1024, after note off
  int globalVolume = 128;    // 0..128
  ItEnvelope volume, panning, pitch;
};

// Notes: 0..119 (60 is C-5), NoteCut, NoteOff, or NoNote.
inline constexpr int NoNote = -1;
inline constexpr int NoteCut = 254;
inline constexpr int NoteOff = 255;

// Effect commands by letter: A = 1 ... Z = 26.
inline constexpr std::uint8_t Command(char letter) { return static_cast<std::uint8_t>(letter - 'A' + 1); }

struct ItCell {
  int note = NoNote;
  int sample = 0;   // 1-based; 0 = none
  int volume = -1;  // 0..64, or -1 = none
  std::uint8_t command = 0, parameter = 0;
  bool Empty() const { return note == NoNote && sample == 0 && volume < 0 && command == 0; }
};

struct ItPattern {
  int rows = 64;
  std::vector<std::vector<ItCell>> cells;  // [row][channel]
  ItPattern(int rowCount, int channels) : rows(rowCount), cells(rowCount, std::vector<ItCell>(channels)) {}
};

struct ItSong {
  std::string name;
  int speed = 6, tempo = 125;
  int globalVolume = 128, mixVolume = 48;  // 0..128
  int channels = 8;
  std::vector<int> panning;                // per channel 0..64; default centre
  std::vector<ItSample> samples;
  std::vector<ItInstrument> instruments;  // none: sample mode
  std::vector<ItPattern> patterns;
  std::vector<int> orders;                 // pattern numbers; 255 is appended
};

std::vector<std::uint8_t> WriteIt(const ItSong& song);
