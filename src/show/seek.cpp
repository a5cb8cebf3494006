#include "show/seek.h"

#include <algorithm>
#include <iterator>

#include "assets/inventory.h"
#include "display/presenter.h"
#include "grid/grid.h"
#include "pixel/random.h"
#include "platform/platform.h"
#include "scenes/part_one.h"
#include "show/master_sequence.h"
#include "show/message_pump.h"

ShowClockRecord ShowClock = {0, 0, false, 60, 0, 0, false, 0};
std::uint32_t StartAtMs = 0;

namespace {

// Everything a frame may write that a later frame reads, as loading left it.
// Static, so that nothing is allocated once frames run.
struct StartState {
  Picture frame, scratch, zoomWork, figure;
  GridField plasma, ray;
  FlashCutStateRecord flashCut;
  std::uint32_t random;
};
StartState Saved;

std::uint64_t VirtualMs(std::uint32_t frames, std::uint32_t fps) {
  return std::uint64_t{frames} * 1000 / std::max(1u, fps);
}

void EndReplay() {
  Platform& p = *ActivePlatform;
  const std::uint32_t tick = ShowTick();
  ShowClock.replaying = false;
  p.EndReplay(tick);
  ShowClock.offset = tick - p.TickCount();
  p.ShowTimeBase(ShowClock.firstTick - ShowClock.offset);
}

}  // namespace

std::uint32_t ShowTick() {
  if (ShowClock.replaying)
    return ShowClock.firstTick + static_cast<std::uint32_t>(VirtualMs(ShowClock.frames, ShowClock.fps));
  return ActivePlatform->TickCount() + ShowClock.offset;
}

std::uint32_t ShowTime() { return ShowTick() - ShowClock.firstTick; }

void BeginShow(std::uint32_t firstTick) {
  ShowClock = {firstTick, 0, false, 60, 0, 0, false, 0};
  ActivePlatform->ShowTimeBase(firstTick);
}

void SaveStartState() {
  const Picture* frame = GetFrameBuffer();
  if (frame) Saved.frame = *frame;
  Saved.scratch = ScratchPicture;
  Saved.zoomWork = ZoomWorkPicture;
  Saved.figure = FigureLayers[0];
  Saved.plasma = PlasmaGrid;
  Saved.ray = RayGrid;
  Saved.flashCut = FlashCutState;
  Saved.random = RandomState;
}

void RestoreStartState() {
  if (Picture* frame = GetFrameBuffer()) *frame = Saved.frame;
  ScratchPicture = Saved.scratch;
  ZoomWorkPicture = Saved.zoomWork;
  FigureLayers[0] = Saved.figure;
  PlasmaGrid = Saved.plasma;
  RayGrid = Saved.ray;
  FlashCutState = Saved.flashCut;
  RandomState = Saved.random;
  PartOneTime = 0;
  QuitRequested = 0;
}

void BeginReach(std::uint32_t showMs) {
  Platform& p = *ActivePlatform;
  RestoreStartState();
  ShowClock.restart = false;
  ShowClock.fps = std::max(1u, p.ReplayFps());
  ShowClock.frames = 0;
  ShowClock.target = showMs;
  ShowClock.replaying = true;
  p.BeginReplay(ShowClock.firstTick, showMs);
  if (showMs == 0) EndReplay();
}

void FinishFrame() {
  Platform& p = *ActivePlatform;
  if (ShowClock.replaying) {
    ++ShowClock.frames;
    p.ReplayFrame(ShowTick());
    PumpMessages();  // the platform raises only its own timed quit in a replay
    if (VirtualMs(ShowClock.frames, ShowClock.fps) >= ShowClock.target) EndReplay();
    return;
  }
  PresentFrame();
  PumpMessages();
  std::uint32_t to = 0;
  if (!QuitRequested && p.TakeSeek(to)) RequestSeek(to);
}

bool SkipUnseenFrame(bool feedsNext) { return ShowClock.replaying && !feedsNext; }

std::uint32_t NextReplayTick() {
  if (!ShowClock.replaying) return ShowTick();
  return ShowClock.firstTick + static_cast<std::uint32_t>(VirtualMs(ShowClock.frames + 1, ShowClock.fps));
}

void RequestSeek(std::uint32_t showMs) {
  ShowClock.restart = true;
  ShowClock.restartAt = showMs;
}
