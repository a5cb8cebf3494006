// The real-time player's bookkeeping, kept apart from SDL so tests can drive it
// with made-up times: the clock that stops while paused, the flip-like pacer,
// the check that a renderer's vsync really holds presents to the refresh rate,
// and where the picture goes in a window or on a screen.
#pragma once

#include <cstdint>
#include <optional>

// Milliseconds for the tick counter over a monotonic source (ms). Stopped while
// paused, so the scenes never see the pause; Skip runs it forward.
class PlayerClock {
 public:
  std::uint32_t Now(std::uint64_t source) const;
  void Pause(std::uint64_t source);
  void Resume(std::uint64_t source);
  bool Paused() const { return pausedAt_.has_value(); }
  void Skip(std::uint32_t ms) { skipped_ += ms; }

 private:
  std::uint64_t held_ = 0;     // ms spent paused
  std::uint64_t skipped_ = 0;  // ms run forward
  std::optional<std::uint64_t> pausedAt_;
};

// When to present each frame, in nanoseconds of a monotonic clock, as a page
// flip would: on the next boundary of a grid of refresh periods. A frame a
// little late for its boundary (a slow frame, a late wake-up) goes out at once
// and the grid stays, so the rate holds on average and a slow machine gets
// every frame it can draw rather than half of them; a whole period behind, a
// new grid starts.
class FramePacer {
 public:
  explicit FramePacer(std::int64_t periodNs) : period_(periodNs) {}
  // The time at which a frame finished at `now` should be presented (>= now).
  std::int64_t PresentAt(std::int64_t now);
  std::int64_t Period() const { return period_; }

 private:
  std::int64_t period_;
  std::optional<std::int64_t> last_;
};

// Watches presents that vsync is supposed to hold back: over each second, more
// than a quarter above the refresh rate means the driver ignores vsync.
class VsyncCheck {
 public:
  explicit VsyncCheck(double refreshHz) : refresh_(refreshHz) {}
  // Counts a present at `nowNs`; true once the presents run measurably fast.
  bool Ineffective(std::int64_t nowNs);
  // Presents in the last whole second measured.
  int LastCount() const { return lastCount_; }

 private:
  double refresh_;
  std::optional<std::int64_t> windowStart_;
  int count_ = 0, lastCount_ = 0;
};

// The refresh period for a display mode's refresh rate (0 when unknown: 60 Hz).
std::int64_t RefreshPeriodNs(int refreshHz);

struct PictureRect {
  int x, y, w, h;
};

// Where a width x height picture goes in an outW x outH output: the largest
// whole multiple (at least 1) or, with fit, the largest size of the same shape;
// centred, the rest left black.
PictureRect PlacePicture(int width, int height, int outW, int outH, bool fit);
