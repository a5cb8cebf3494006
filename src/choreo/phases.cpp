#include "choreo/phases.h"

#include <algorithm>

const char* const ShowMarkNames[ShowMarks + 1] = {"title card", "part one",   "countdown", "bridge",
                                                  "part two",   "text pages", "closing"};

namespace {

std::uint64_t VirtualMs(std::uint32_t frames, std::uint32_t fps) { return std::uint64_t{frames} * 1000 / fps; }

// The first frame index whose time is at least ms.
std::uint32_t FirstFrameAtOrAfter(std::uint64_t ms, std::uint32_t fps) {
  return static_cast<std::uint32_t>((ms * fps + 999) / 1000);
}

}  // namespace

const char* PhaseName(Phase phase) {
  switch (phase) {
    case Phase::TitleCard: return ShowMarkNames[0];
    case Phase::PartOne: return ShowMarkNames[1];
    case Phase::Countdown: return ShowMarkNames[2];
    case Phase::Bridge: return ShowMarkNames[3];
    case Phase::PartTwo: return ShowMarkNames[4];
    case Phase::Closing: return ShowMarkNames[6];
  }
  return "";
}

void PhaseStartsOnGrid(std::uint32_t fps, std::uint32_t starts[ShowMarks]) {
  fps = std::max(1u, fps);
  auto at = [&](std::uint32_t k) { return static_cast<std::uint32_t>(VirtualMs(k, fps)); };
  starts[0] = 0;
  starts[1] = at(FirstFrameAtOrAfter(TitleCardMs, fps));
  // Part one's last frame is the first whose time reaches its length; the
  // countdown begins on the frame after it.
  starts[2] = at(FirstFrameAtOrAfter(std::uint64_t{starts[1]} + PartOneMs, fps) + 1);
  starts[3] = at(FirstFrameAtOrAfter(std::uint64_t{starts[2]} + CountdownMs, fps));
  starts[4] = at(FirstFrameAtOrAfter(std::uint64_t{starts[3]} + BridgeMs, fps));
  starts[5] = TextPagesStart(starts[4], fps);
}

std::uint32_t TextPagesStart(std::uint32_t partTwo, std::uint32_t fps) {
  fps = std::max(1u, fps);
  return static_cast<std::uint32_t>(VirtualMs(FirstFrameAtOrAfter(std::uint64_t{partTwo} + ScannerMs + 1, fps), fps));
}
