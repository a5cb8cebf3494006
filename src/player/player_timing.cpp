#include "player/player_timing.h"

#include <algorithm>

std::uint32_t PlayerClock::Now(std::uint64_t source) const {
  const std::uint64_t at = pausedAt_ ? *pausedAt_ : source;
  return static_cast<std::uint32_t>(at - held_ + skipped_);
}

void PlayerClock::Pause(std::uint64_t source) {
  if (!pausedAt_) pausedAt_ = source;
}

void PlayerClock::Resume(std::uint64_t source) {
  if (!pausedAt_) return;
  held_ += source - *pausedAt_;
  pausedAt_.reset();
}

std::int64_t FramePacer::PresentAt(std::int64_t now) {
  if (!last_ || now - *last_ >= 2 * period_) {
    last_ = now;  // the first frame, or far behind: a new grid from here
    return now;
  }
  last_ = *last_ + period_;
  return std::max(now, *last_);
}

bool VsyncCheck::Ineffective(std::int64_t nowNs) {
  constexpr std::int64_t Second = 1'000'000'000;
  if (!windowStart_) windowStart_ = nowNs;
  if (nowNs - *windowStart_ >= Second) {
    lastCount_ = count_;
    count_ = 0;
    // A long stall (a pause, a dragged window) starts a fresh second.
    windowStart_ = nowNs - *windowStart_ < 2 * Second ? *windowStart_ + Second : nowNs;
    if (lastCount_ > refresh_ * 1.25) return true;
  }
  ++count_;
  return false;
}

std::int64_t RefreshPeriodNs(int refreshHz) {
  return 1'000'000'000LL / (refreshHz > 0 ? refreshHz : 60);
}

PictureRect PlacePicture(int width, int height, int outW, int outH, bool fit) {
  int w, h;
  if (fit) {
    // Cross-multiplied in 64 bits: the wider output gets bands at its sides.
    if (static_cast<std::int64_t>(outW) * height <= static_cast<std::int64_t>(outH) * width) {
      w = outW;
      h = static_cast<int>(static_cast<std::int64_t>(outW) * height / width);
    } else {
      h = outH;
      w = static_cast<int>(static_cast<std::int64_t>(outH) * width / height);
    }
    w = std::max(w, 1), h = std::max(h, 1);
  } else {
    const int scale = std::max(1, std::min(outW / width, outH / height));
    w = width * scale, h = height * scale;
  }
  return {(outW - w) / 2, (outH - h) / 2, w, h};
}
