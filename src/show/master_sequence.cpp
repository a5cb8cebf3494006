#include "show/master_sequence.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets/loading.h"
#include "choreo/phases.h"
#include "display/presenter.h"
#include "pixel/truncate.h"
#include "platform/platform.h"
#include "scenes/countdown.h"
#include "scenes/fades.h"
#include "scenes/part_one.h"
#include "scenes/scanner.h"
#include "show/message_pump.h"
#include "show/seek.h"

std::uint32_t PartOneTime = 0;

const SceneTable& DemoScenes() {
  static const SceneTable table = {LoadAssets,  RenderTitleCard, RenderPartOne,        RenderBadge,
                                   RenderCountdown, RenderBridgeFromWhite, RenderBridgeDimmed, RenderPartTwo,
                                   RenderEndCard};
  return table;
}

float TitleCardLevel(std::uint32_t e) {
  const double d = std::abs(static_cast<double>(static_cast<std::int32_t>(e - 10000u)));
  const double x = 1 - d * 0.0001;
  return static_cast<float>(4 * x * x);
}

float EndCardLevel(std::uint32_t e) {
  const double d = std::abs(static_cast<double>(static_cast<std::int32_t>(e - 5000u)));
  const double x = 1 - d * 0.0002;
  return static_cast<float>(x * x);
}

CountdownStep CountdownAt(std::uint32_t e) {
  return {static_cast<std::int32_t>(10 - e / 960), static_cast<float>(1 - (e % 960) * 0.0010416666666666667)};
}

BridgeLevels BridgeAt(std::uint32_t e) {
  const float a = static_cast<float>(1 - e * 0.0010416666666666667);
  const float b = static_cast<float>(2.15071551 - e * 0.0005208333333333333);
  return {std::max(0.0f, a), std::max(0.0f, b)};
}

std::int32_t ClosingVolumeAt(std::uint32_t e) {
  const std::int32_t v = TruncateToInt32(200 - (e * 0.0001) * 200);
  return v < 100 ? std::max(v, 0) : -1;
}

void DrawPartOneFrame(const SceneTable& scenes, std::uint32_t now, std::uint32_t t, Picture& frame) {
  scenes.partOne(t, frame);
  if (t > BadgeFromMs) scenes.badge(static_cast<std::int32_t>((now / 200) % 2), frame);
}

namespace {

constexpr std::int32_t FatalExit = 1;
// Part one's frames run ahead of the show after each frame it shows, until
// its checkpoints are all made: about a millisecond's work.
constexpr std::uint32_t AheadFrames = 12;

// Shows the message, frees the sound and gives the exit code. `told`: a line
// naming the file and quoting this text is on stderr already; a second line
// would only repeat it.
int FatalError(const char* text, bool told = false) {
  Platform& p = *ActivePlatform;
  p.ShowCursor(true);
  if (!told) std::fprintf(stderr, "zintavel: Error: %s\n", text);
  p.ShowMessageBox("Error", text);
  p.SoundFree();
  return FatalExit;
}

void Teardown() {
  Platform& p = *ActivePlatform;
  p.ShowCursor(true);
  p.SoundFree();
  CloseDisplay();
}

// The six phases, from the title card on. A seek ends them early (and makes no
// sound call on the way out): the show then starts again from the first.
void RunPhases(const SceneTable& scenes, Picture& frame, MusicHandle music, StreamHandle stream) {
  Platform& p = *ActivePlatform;
  std::uint32_t start = 0;
  auto begin = [&](Phase phase) {
    p.PhaseStarted(phase, PhaseName(phase));
    start = ShowTick();
  };
  auto elapsed = [&](std::uint32_t now) { return now - start; };
  auto Frame = [&] {
    FinishFrame();
    RunAhead(scenes, AheadFrames);
  };
  // A replay from a checkpoint within part one passes over the title card.
  const bool resume = ResumingPartOne();

  // 1. Title card.
  begin(Phase::TitleCard);
  while (!resume && !QuitRequested && !Restarting() && elapsed(ShowTick()) < TitleCardMs) {
    const std::uint32_t e = elapsed(ShowTick());
    if (!SkipUnseenFrame(elapsed(NextReplayTick()) >= TitleCardMs)) scenes.titleCard(TitleCardLevel(e), frame);
    Frame();
  }
  if (Restarting()) return;
  p.StreamPlay(stream, false, 0);

  // 2. Part one; its last frame is the first whose time reaches its length.
  if (!QuitRequested) {
    begin(Phase::PartOne);
    ResumePartOne();
    PartOneTime = 0;
    while (PartOneTime < PartOneMs) {
      const std::uint32_t now = ShowTick();
      PartOneTime = elapsed(now);
      DrawPartOneFrame(scenes, now, PartOneTime, frame);
      NotePartOneFrame(PartOneTime < PartOneMs);
      Frame();
      if (QuitRequested || Restarting()) break;
    }
    if (Restarting()) return;
    // Only a part one that ran out its time hands the sound to the module; after
    // a quit the MP3 plays on under the closing.
    if (!QuitRequested) {
      p.StreamFree(stream);
      p.MusicPlayEx(music, 0, -1, true);
    }
  }

  // 3. Countdown.
  if (!QuitRequested) {
    begin(Phase::Countdown);
    while (!QuitRequested && !Restarting() && elapsed(ShowTick()) < CountdownMs) {
      const std::uint32_t now = ShowTick();
      const CountdownStep step = CountdownAt(elapsed(now));
      if (!SkipUnseenFrame()) {
        std::fill(std::begin(frame.pixels), std::end(frame.pixels), 0u);
        scenes.countdown(step.number, step.fraction, frame);
        scenes.badge(static_cast<std::int32_t>((now / 200) % 2), frame);
      }
      Frame();
    }
    if (Restarting()) return;
  }

  // 4. Bridge picture.
  if (!QuitRequested) {
    begin(Phase::Bridge);
    while (!QuitRequested && !Restarting() && elapsed(ShowTick()) < BridgeMs) {
      const BridgeLevels l = BridgeAt(elapsed(ShowTick()));
      if (!SkipUnseenFrame()) {
        if (l.b >= 1) scenes.bridgeFromWhite(l.a, frame);
        else scenes.bridgeDimmed(l.b, frame);
      }
      Frame();
    }
    if (Restarting()) return;
  }

  // 5. Part two, until the viewer quits.
  if (!QuitRequested) {
    begin(Phase::PartTwo);
    while (true) {
      PassUnseenFrames();
      if (!SkipUnseenFrame()) scenes.partTwo(elapsed(ShowTick()), frame);
      Frame();
      if (QuitRequested || Restarting()) break;
    }
    if (Restarting()) return;
  }

  // 6. Closing: always its full length, quit requests ignored.
  begin(Phase::Closing);
  while (elapsed(ShowTick()) < ClosingMs) {
    const std::uint32_t e = elapsed(ShowTick());
    if (!SkipUnseenFrame()) scenes.endCard(EndCardLevel(e), frame);
    Frame();
    const std::int32_t v = ClosingVolumeAt(e);
    if (v >= 0) p.SetVolume(static_cast<std::uint32_t>(v));
  }
}

}  // namespace

int MasterSequence(const SceneTable& scenes) {
  Platform& p = *ActivePlatform;
  if (!CreateMainWindow()) return FatalExit;  // no display: it said why, before any file is read
  if (p.SoundGetVersion() != SoundVersion) return FatalError("Bass versin 0.8 was not loaded");
  if (!p.SoundInit(-1, 44100, 0)) return FatalError("Can't initialize device");
  const MusicHandle music = p.MusicLoad(PresentationPath("tune.it"), MusicRamping | MusicLoop);
  if (music == 0) return FatalError("Can't play the file", true);
  p.MusicSetPositionScaler(music, 64);
  p.SoundStart();
  const StreamHandle stream = p.StreamCreateFile(PresentationPath("intro.mp3"), 0x20000);
  p.SoundStart();
  if (OpenDisplay(ScreenWidth, ScreenHeight) != 0) {
    Teardown();
    return FatalExit;
  }
  p.ShowCursor(false);
  if (!scenes.loadAssets()) {  // it said why
    Teardown();
    return FatalExit;
  }
  Picture& frame = *GetFrameBuffer();
  p.UseFrameBuffer(frame);

  SaveStartState();
  BeginShow(p.TickCount());
  if (StartAtMs > 0) BeginReach(StartAtMs);
  for (;;) {
    RunPhases(scenes, frame, music, stream);
    if (!Restarting()) break;
    BeginReach(ShowClock.restartAt);
  }

  Teardown();
  return 0;
}
