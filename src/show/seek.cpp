#include "show/seek.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "assets/inventory.h"
#include "choreo/phases.h"
#include "display/presenter.h"
#include "grid/grid.h"
#include "pixel/random.h"
#include "platform/platform.h"
#include "scenes/part_one.h"
#include "show/master_sequence.h"
#include "show/message_pump.h"

ShowClockRecord ShowClock = {0, 0, false, 60, 0, 0, false, 0, false, 0};
std::uint32_t StartAtMs = 0;

namespace {

// What a checkpoint keeps: what part one's frames from its fourth second on
// read of what earlier frames wrote. The work pictures are not in it: from
// then on each frame fills them before it reads them.
struct PointState {
  Picture frame;
  GridField plasma, ray;
  FlashCutStateRecord flashCut;
  std::uint32_t random;
  std::uint32_t partOneTime;
};
// Everything any frame of part one may write that a later frame reads.
struct ShowState : PointState {
  Picture scratch, zoomWork;
};
static_assert(CheckpointMs >= 2024, "part one's first 2 s read the opening zoom's work picture");

void Capture(PointState& s) {
  if (const Picture* frame = GetFrameBuffer()) s.frame = *frame;
  s.plasma = PlasmaGrid;
  s.ray = RayGrid;
  s.flashCut = FlashCutState;
  s.random = RandomState;
  s.partOneTime = PartOneTime;
}

void Restore(const PointState& s) {
  if (Picture* frame = GetFrameBuffer()) *frame = s.frame;
  PlasmaGrid = s.plasma;
  RayGrid = s.ray;
  FlashCutState = s.flashCut;
  RandomState = s.random;
  PartOneTime = s.partOneTime;
}

void Capture(ShowState& s) {
  Capture(static_cast<PointState&>(s));
  s.scratch = ScratchPicture;
  s.zoomWork = ZoomWorkPicture;
}

void Restore(const ShowState& s) {
  Restore(static_cast<const PointState&>(s));
  ScratchPicture = s.scratch;
  ZoomWorkPicture = s.zoomWork;
}

// As loading left it: static, so that nothing is allocated once frames run.
// Part two's scanner also rewrites a figure layer, which part one never does.
ShowState Saved;
Picture SavedFigure;

// Part one's checkpoints, made for one virtual clock (its rate and first
// tick: the badge blinks on the clock's absolute time). Allocated with the
// start state, before frames run.
constexpr int PointCount = PartOneMs / CheckpointMs;
constexpr std::uint32_t AheadBudgetMs = 2;
struct Points {
  std::unique_ptr<PointState[]> state;
  std::uint32_t frames[PointCount] = {};  // each stands before this frame
  bool ready[PointCount] = {};
  std::uint32_t fps = 0, firstTick = 0;
  // Running ahead: its own state, the show's while it runs, the next frame.
  std::unique_ptr<ShowState> ahead, live;
  std::uint32_t aheadNext = 0;
  bool aheadStarted = false, aheadDone = false;
};
Points Kept;

std::uint64_t VirtualMs(std::uint32_t frames, std::uint32_t fps) {
  return std::uint64_t{frames} * 1000 / std::max(1u, fps);
}

// The first frame of part one and the frames between checkpoints, at `fps`:
// the title card runs its frames while their time is under its length.
std::uint32_t PartOneFirstFrame(std::uint32_t fps) {
  return static_cast<std::uint32_t>((std::uint64_t{TitleCardMs} * fps + 999) / 1000);
}
std::uint32_t PointSpacing(std::uint32_t fps) { return std::max(1u, CheckpointMs * fps / 1000); }

// Forgets the checkpoints when they were made on another clock.
void KeyPoints(std::uint32_t fps, std::uint32_t firstTick) {
  if (Kept.fps == fps && Kept.firstTick == firstTick) return;
  std::fill(std::begin(Kept.ready), std::end(Kept.ready), false);
  Kept.fps = fps, Kept.firstTick = firstTick;
  Kept.aheadStarted = Kept.aheadDone = false;
}

// Keeps the state as it stands after frame `f` of part one is drawn.
void KeepPoint(std::uint32_t f) {
  const std::uint32_t first = PartOneFirstFrame(Kept.fps), spacing = PointSpacing(Kept.fps);
  if (!Kept.state || f < first || (f + 1 - first) % spacing != 0) return;
  const std::uint32_t j = (f + 1 - first) / spacing - 1;
  if (j >= PointCount || Kept.ready[j]) return;
  Capture(Kept.state[j]);
  Kept.frames[j] = f + 1;
  Kept.ready[j] = true;
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
  ShowClock = {firstTick, 0, false, 60, 0, 0, false, 0, false, 0};
  ActivePlatform->ShowTimeBase(firstTick);
}

void SaveStartState() {
  Capture(Saved);
  SavedFigure = FigureLayers[0];
  Saved.partOneTime = 0;
  // Default-initialised, not zeroed: each is written whole before it is read,
  // and touching 9 MB here would hold up the first frame.
  if (!Kept.state) {
    Kept.state.reset(new PointState[PointCount]);
    Kept.ahead.reset(new ShowState);
    Kept.live.reset(new ShowState);
  }
  // What they hold came from other assets.
  std::fill(std::begin(Kept.ready), std::end(Kept.ready), false);
  Kept.fps = Kept.firstTick = 0;
  Kept.aheadStarted = Kept.aheadDone = false;
}

void RestoreStartState() {
  Restore(Saved);
  FigureLayers[0] = SavedFigure;
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
  ShowClock.resume = false;
  p.BeginReplay(ShowClock.firstTick, showMs);
  if (p.PrepareSeeks() && showMs > 0) {
    KeyPoints(ShowClock.fps, ShowClock.firstTick);
    // The latest checkpoint before the target; past part one's the replay
    // draws nothing, so the last one serves every later target.
    int best = -1;
    for (int j = 0; j < PointCount; ++j)
      if (Kept.ready[j] && VirtualMs(Kept.frames[j], ShowClock.fps) < showMs) best = j;
    if (best >= 0) {
      Restore(Kept.state[best]);
      FigureLayers[0] = SavedFigure;
      ShowClock.frames = PartOneFirstFrame(ShowClock.fps);
      ShowClock.resume = true;
      ShowClock.resumeFrames = Kept.frames[best];
      p.ReplayFrom(ShowClock.frames);
    }
  }
  if (showMs == 0) EndReplay();
}

void NotePartOneFrame(bool more) {
  if (!more || !ShowClock.replaying || !ActivePlatform->PrepareSeeks()) return;
  KeyPoints(ShowClock.fps, ShowClock.firstTick);
  KeepPoint(ShowClock.frames);
}

void PassUnseenFrames() {
  if (!ShowClock.replaying || !ActivePlatform->PrepareSeeks()) return;
  const std::uint32_t landing =
      static_cast<std::uint32_t>((std::uint64_t{ShowClock.target} * ShowClock.fps + 999) / 1000);
  if (ShowClock.frames + 1 >= landing) return;
  ShowClock.frames = landing - 1;
  ActivePlatform->ReplayFrom(ShowClock.frames);
}

bool ResumingPartOne() { return ShowClock.resume; }

void ResumePartOne() {
  if (!ShowClock.resume) return;
  ShowClock.resume = false;
  ShowClock.frames = ShowClock.resumeFrames;
  ActivePlatform->ReplayFrom(ShowClock.frames);
}

// Part one's frames on the virtual clock, as the master sequence draws them in
// a replay: the title card's last frame (part one's first reads it), then part
// one's until its last.
void RunAhead(const SceneTable& scenes, std::uint32_t frames) {
  Platform& p = *ActivePlatform;
  if (ShowClock.replaying || !Kept.state || !p.PrepareSeeks()) return;
  const std::uint32_t fps = std::max(1u, p.ReplayFps());
  KeyPoints(fps, ShowClock.firstTick);
  if (Kept.aheadDone) return;
  Picture* frame = GetFrameBuffer();
  if (!frame) return;
  const std::uint32_t first = PartOneFirstFrame(fps);
  Capture(*Kept.live);
  if (!Kept.aheadStarted) {
    Restore(Saved);
    Kept.aheadNext = first - 1;
    Kept.aheadStarted = true;
  } else {
    Restore(*Kept.ahead);
  }
  const std::uint32_t partOneTick = ShowClock.firstTick + static_cast<std::uint32_t>(VirtualMs(first, fps));
  // At most a couple of milliseconds of the show's frame time, on a slow machine fewer frames.
  const std::uint32_t began = p.TickCount();
  for (std::uint32_t n = 0; n < frames && !Kept.aheadDone && p.TickCount() - began < AheadBudgetMs; ++n) {
    const std::uint32_t f = Kept.aheadNext++;
    const std::uint32_t now = ShowClock.firstTick + static_cast<std::uint32_t>(VirtualMs(f, fps));
    if (f < first) {
      scenes.titleCard(TitleCardLevel(now - ShowClock.firstTick), *frame);
      continue;
    }
    PartOneTime = now - partOneTick;
    DrawPartOneFrame(scenes, now, PartOneTime, *frame);
    if (PartOneTime >= PartOneMs) Kept.aheadDone = true;
    else KeepPoint(f);
  }
  Capture(*Kept.ahead);
  Restore(*Kept.live);
}

int CheckpointsReady() { return static_cast<int>(std::count(std::begin(Kept.ready), std::end(Kept.ready), true)); }
int CheckpointCount() { return PointCount; }
// The checkpoints, the state running ahead and the show's while it does.
std::size_t CheckpointBytes() { return PointCount * sizeof(PointState) + 2 * sizeof(ShowState); }

void FinishFrame() {
  Platform& p = *ActivePlatform;
  if (ShowClock.replaying) {
    ++ShowClock.frames;
    p.ReplayFrame(ShowTick());
    PumpMessages();  // the platform raises only its own timed quit in a replay
    // A seek asked for meanwhile retargets this one: it starts again from there.
    std::uint32_t to = 0;
    if (!QuitRequested && p.TakeSeek(to)) {
      RequestSeek(to);
      return;
    }
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
