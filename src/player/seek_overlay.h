// Live seeking in the player, apart from SDL so tests can drive it: where each
// key goes, the line shown for a second after a seek ("1:23.4 PART ONE"), and
// that line as rectangles of a small built-in 5x7 font, which the platform
// fills over the presented picture (the frame itself is never touched).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "player/player_timing.h"

enum class SeekKey { Back5, Forward5, Back60, Forward60, Start, PreviousPhase, NextPhase };

// The show time a key asks for from `now`; nothing where it leads nowhere (no
// phase after the text pages). Phase starts are those of the 60 Hz grid a seek
// replays on, so Page Down lands on a phase's first frame; Page Up goes to the
// start of the phase under way, or of the one before within PhaseBackMs of
// this one's start, as media players do with chapters.
inline constexpr std::uint32_t PhaseBackMs = 3000;
std::optional<std::uint32_t> SeekTarget(SeekKey key, std::uint32_t now);

// A paused frame step: the time of the next (or previous) frame of the 60 Hz
// grid from `now`; the first frame has none before it.
std::optional<std::uint32_t> StepTarget(std::uint32_t now, bool forward);

// The sound's level while it plays, a player's comfort only (recordings and the
// mix itself never see it): ten steps, and mute, which keeps the level.
struct Volume {
  int percent = 100;
  bool muted = false;
  void Up() { percent = percent >= 90 ? 100 : percent + 10; }
  void Down() { percent = percent <= 10 ? 0 : percent - 10; }
  // The factor on every sample: a square law, so each step sounds about even.
  float Gain() const { return muted ? 0.0f : (percent / 100.0f) * (percent / 100.0f); }
  // "VOLUME 70%", "MUTED".
  std::string Label() const;
};

// The phase at a show time (the closing never: it follows a quit).
const char* PhaseAt(std::uint32_t showMs);
// "1:23.4 PART ONE", tenths truncated.
std::string SeekLabel(std::uint32_t showMs);
// Over a seek that takes a while: "SEEKING 1:23.4 PART ONE 40%", how far the
// frames run unseen have come towards the target.
std::string SeekProgressLabel(std::uint32_t targetMs, int percent);
// "01m23.456s", for file names.
std::string TimeForFileName(std::uint32_t showMs);

inline constexpr int GlyphWidth = 5, GlyphHeight = 7, GlyphAdvance = 6;
// The lit pixels of `text` (unknown characters blank) as rectangles of `scale`
// screen pixels a font pixel, each row's runs merged, from (x, y).
std::vector<PictureRect> TextRects(const std::string& text, int x, int y, int scale);
// The box behind it, a font pixel of margin all round.
PictureRect TextBox(const std::string& text, int x, int y, int scale);
