// The program's command line: GNU long options in both forms (--fps 30 and
// --fps=30), short forms for the common ones, numbers as plain decimal digits
// only. ParseOptions reads argv into ProgramOptions and says what to do next;
// on Bad, error holds one line for the user (without the program name).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/video_quality.h"

// How the picture fills a window or screen.
enum class ScaleMode {
  Integer,  // the largest whole multiple that fits, letterboxed
  Fit,      // the largest 4:3 size that fits, nearest-neighbour
};

struct ProgramOptions {
  std::string dir;                      // --dir, empty when not given
  std::string record;                   // --record PATH (a directory or a video file)
  bool recordGiven = false;
  bool window = false;                  // --window, -w
  bool mute = false;                    // --mute, -m
  bool forceDoubling = false;           // --double
  bool noPacing = false;                // --no-pacing
  bool gentle = false;                  // --gentle
  bool force = false;                   // --force, recordings only
  bool noWarning = false;               // --no-warning
  std::optional<int> quality;           // --quality: a level code or a CRF (record/video_quality.h)
  std::optional<std::uint32_t> sizeMb;  // --size MB
  std::optional<int> depth;             // --depth 32|24|16|15
  std::optional<int> display;           // --display N
  ScaleMode scaleMode = ScaleMode::Integer;  // --scale integer|fit
  std::optional<int> scaleFactor;       // --scale N (1..8), recordings only
  std::uint32_t fps = 60;               // --fps
  std::uint32_t every = 1;              // --every, PNG recordings only
  std::optional<std::uint32_t> quitAt;  // --quit-at MS
  std::uint32_t startTick = 0;          // --start-tick T
  bool check = false;                   // --check
  bool watch = false;                   // --watch
  std::string newShow;                  // --new DIR: a copy of the presentation to make one's own
  std::optional<std::uint32_t> startAt; // --start-at TIME, in ms of show time
  std::optional<std::uint32_t> stopAt;  // --stop-at TIME, recordings only
};

enum class ParseResult { Run, Help, Version, Bad };
// The exit code of a command line the program refuses.
inline constexpr int BadCommandLine = 2;

ParseResult ParseOptions(int argc, char** argv, ProgramOptions& options, std::string& error);

// A whole number in [low, high] written as plain decimal digits, or nothing.
std::optional<std::uint32_t> ParseNumber(const char* text, std::uint64_t low, std::uint64_t high);

// A show time as ffmpeg's -ss takes it, in ms: seconds (90, 90.5), or
// [HH:]MM:SS with an optional fraction (1:30, 1:30.5, 00:01:30); digits past
// the millisecond are dropped. Nothing for anything else or 2^32 ms and more.
std::optional<std::uint32_t> ParseShowTime(const char* text);
// --quality small|medium|high|N (N the encoder's CRF, checked against the
// encoder's range once the form is known); nothing for anything else. Levels
// are negative codes until the form picks their CRF (record/video_quality.h).
std::optional<int> ParseQualityLevel(const std::string& text);

extern const char* const ProgramHelp;  // the options
// --help: the options, then the player's keys from their table.
std::string ProgramHelpText();
