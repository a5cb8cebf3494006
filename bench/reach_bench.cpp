// How long reaching a moment of the show takes from its start: the picture
// (frames run unseen on a 60 Hz virtual clock, the phases whose frames depend
// on their time alone skipped), the sound mixed and dropped up to there, and
// both as a ratio to real time and in ms on this machine. Then libopenmpt's own
// seek against rendering the module from its start and dropping it: its cost
// and whether it gives the same samples. First, what keeping seeks costs the
// start-up, up to the first frame.
//   build/bench/zintavel_reach_bench [start|live]
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>
#include <thread>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "choreo/phases.h"
#include "show/master_sequence.h"
#include "show/message_pump.h"
#include "show/seek.h"
#include "sound/audio_engine.h"
#include "platform/engine_platform.h"
#include "sound/module_checkpoints.h"
#include "support/fake_platform.h"

namespace {

// CPU time of this process: the machine is shared, and wall time would count
// the others' work too.
struct CpuClock {
  using time_point = double;
  static double now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
  }
};

double MsSince(double start) { return CpuClock::now() - start; }
using Clock = CpuClock;

// Lands, notes the wall time, then quits and runs the closing out in a frame.
class Reacher : public FakePlatform {
 public:
  Clock::time_point begun;
  double landedMs = -1;
  std::uint32_t quitAt = 0;  // show ms: the recording's own quit
  std::uint32_t frames = 0;
  void ReplayFrame(std::uint32_t tick) override {
    ++frames;
    if (tick - ShowClock.firstTick >= quitAt) quit_ = true;
  }
  void EndReplay(std::uint32_t tick) override {
    landedMs = MsSince(begun);
    now = tick;
    step = 1000000;  // whatever follows ends at once
    quit_ = true;
  }
  bool NextEvent(WindowEvent& e) override {
    if (!quit_ || QuitRequested) return false;
    e = WindowEvent::EscapeKey;
    return true;
  }

 private:
  bool quit_ = false;
};

double ReachMs(std::uint32_t showMs, std::uint32_t quitAt, std::uint32_t& frames) {
  frames = 0;
  if (showMs == 0) return 0;  // no replay: the show is there at once
  Reacher p;
  p.quitAt = quitAt;
  ActivePlatform = &p;
  QuitRequested = 0;
  StartAtMs = showMs;
  SceneTable scenes = DemoScenes();
  scenes.loadAssets = [] { return true; };  // loaded once, before
  p.begun = Clock::now();
  MasterSequence(scenes);
  ActivePlatform = nullptr;
  StartAtMs = 0;
  frames = p.frames;
  return p.landedMs >= 0 ? p.landedMs : MsSince(p.begun);
}

// The sound mixed up to showMs as the recording mixes it (one frame's samples
// at a time at 60 fps), from the MP3 at part one and the module at the countdown.
double MixMs(std::uint32_t showMs, const std::uint32_t starts[]) {
  AudioEngine engine;  // loading is start-up's, not the seek's
  engine.LoadModule(PresentationPath("tune.it"), true, true);
  engine.LoadStream(PresentationPath("intro.mp3"));
  std::vector<float> mix(2 * 800);
  const Clock::time_point mixing = Clock::now();
  std::uint64_t done = 0;
  for (std::uint64_t k = 0; k * 1000 / 60 < showMs; ++k) {
    const std::uint32_t t = static_cast<std::uint32_t>(k * 1000 / 60);
    if (t == starts[1]) engine.PlayStream();
    if (t == starts[2]) engine.FreeStream(), engine.PlayModule();
    const std::uint64_t to = (k + 1) * AudioEngine::Rate / 60;
    engine.Render(mix.data(), static_cast<std::size_t>(to - done));
    done = to;
  }
  return MsSince(mixing);
}

openmpt_module* OpenModule(const std::vector<std::uint8_t>& bytes) {
  openmpt_module* m = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), openmpt_log_func_silent, nullptr,
                                                         openmpt_error_func_ignore, nullptr, nullptr, nullptr, nullptr);
  if (m) {
    openmpt_module_set_repeat_count(m, -1);
    openmpt_module_set_render_param(m, OPENMPT_MODULE_RENDER_VOLUMERAMPING_STRENGTH, -1);
  }
  return m;
}

void CompareModuleSeek(double seconds) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  bool more = false;
  if (!ReadDataFile(PresentationPath("tune.it").c_str(), bytes, 32u << 20, &more, problem)) {
    std::printf("  tune.it: %s\n", problem.c_str());
    return;
  }
  openmpt_module* played = OpenModule(bytes);
  openmpt_module* sought = OpenModule(bytes);
  if (!played || !sought) return;
  constexpr std::size_t Block = 735;
  std::vector<float> a(2 * AudioEngine::Rate), b(2 * AudioEngine::Rate);
  const std::uint64_t target = static_cast<std::uint64_t>(seconds * AudioEngine::Rate);
  Clock::time_point begun = Clock::now();
  for (std::uint64_t done = 0; done < target;) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(Block, target - done));
    openmpt_module_read_interleaved_float_stereo(played, AudioEngine::Rate, n, a.data());
    done += n;
  }
  const double renderMs = MsSince(begun);
  begun = Clock::now();
  openmpt_module_set_position_seconds(sought, seconds);
  const double seekMs = MsSince(begun);
  openmpt_module_read_interleaved_float_stereo(played, AudioEngine::Rate, AudioEngine::Rate, a.data());
  openmpt_module_read_interleaved_float_stereo(sought, AudioEngine::Rate, AudioEngine::Rate, b.data());
  double worst = 0;
  std::size_t differ = 0, first = a.size();
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = std::abs(double(a[i]) - double(b[i]));
    worst = std::max(worst, d);
    if (d > 0) ++differ, first = std::min(first, i);
  }
  std::printf("  module %5.0f s in: render and drop %7.1f ms (%5.0fx real time); libopenmpt's seek %6.2f ms\n",
              seconds, renderMs, seconds * 1000 / renderMs, seekMs);
  if (differ == 0)
    std::printf("    the second after it: the same samples both ways (sample-exact)\n");
  else
    std::printf("    the second after it: %zu of %zu samples differ, the first at sample %zu, by up to %.4f "
                "(%.1f dBFS): the seek is not sample-exact\n",
                differ, a.size(), first / 2, worst, 20 * std::log10(worst));
  openmpt_module_destroy(played);
  openmpt_module_destroy(sought);
}

// CPU time of the calling thread: a seek's own work, apart from the thread
// that parks the module's instances beside the show.
double ThreadMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The live player's seeks on a fake clock, with its sound engine: the show
// plays its title card for a while (time for the run ahead and the parked
// instances), then seeks to each target in turn, three frames apart. Each
// seek's cost runs from the key to the landed frame and its sound.
class LivePlayer : public EnginePlatform {
 public:
  bool checkpoints = true;
  bool refill = true;
  std::vector<std::uint32_t> targets;
  std::vector<double> costs, sound, unseen;
  std::uint32_t now = 0;

  std::uint32_t TickCount() override { return now; }
  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& e) override {
    if (!quit_ || QuitRequested) return false;
    e = WindowEvent::EscapeKey;
    return true;
  }
  void ShowCursor(bool) override {}
  void ShowMessageBox(const char*, const char*) override {}
  void DebugString(const char*) override {}
  bool OpenDevice() override { return true; }
  bool SetMode(std::int32_t w, std::int32_t h, std::int32_t) override { return w == 320 && h == 240; }
  bool CreateSurfaces() override { return true; }
  bool Lock(std::uint8_t*&, std::int32_t&) override { return false; }
  bool Unlock() override { return true; }
  bool Flip() override {
    NotePresent(0);  // the module's instances are parked from the first frame on
    now += 16;
    ++shown_;
    if (landing_) {  // the landed frame drawn: the seek is done
      costs.push_back(ThreadMs() - began_);
      landing_ = false;
    }
    if (!waited_ && shown_ == 300) WaitForParking(true);
    return true;
  }
  void CloseDevice() override {}
  bool PrepareSeeks() override { return checkpoints; }
  bool TakeSeek(std::uint32_t& to) override {
    if (Replaying() || shown_ < 300 || shown_ - landedAt_ < 3) return false;
    if (next_ == targets.size()) {
      Quit();
      return false;
    }
    // As a viewer's keys come, some time apart: the worker has parked anew
    // what the last seek took.
    if (refill) WaitForParking(false);
    to = targets[next_++];
    began_ = ThreadMs();
    return true;
  }
  void EndReplay(std::uint32_t tick) override {
    const double before = ThreadMs();
    EnginePlatform::EndReplay(tick);  // the sound brought up to the landing
    sound.push_back(ThreadMs() - before);
    unseen.push_back(before - began_);
    landing_ = true;
    landedAt_ = shown_;
  }

 protected:
  bool OpenSoundDevice() override { return true; }
  void StartSoundDevice() override {}
  void CloseSoundDevice() override {}
  bool SeeksLive() override { return checkpoints; }

 protected:
  void Quit() {
    quit_ = true;
    now += 1u << 28;  // the closing runs out at once
  }
  bool quit_ = false;

 private:
  void WaitForParking(bool say) {
    waited_ = true;
    ModuleCheckpoints* points = engine_.Checkpoints();
    // The builder runs behind the show's threads: on a busy machine it waits.
    for (int i = 0; points && i < 12000 && (points->Ready() < points->Points() || !points->LoopChecked()); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (points && say)
      std::printf("  parked: %d module instances %.1f s apart (loop %s), %.1f MB; picture checkpoints %d of %d, %.1f MB\n",
                  points->Ready(), points->Spacing() / 44100.0, points->LoopProven() ? "folded" : "not folded",
                  points->Bytes() / 1048576.0, CheckpointsReady(), CheckpointCount(), CheckpointBytes() / 1048576.0);
  }
  bool waited_ = false, landing_ = false;
  std::uint32_t shown_ = 0, landedAt_ = 0;
  std::size_t next_ = 0;
  double began_ = 0;
};

void LiveSeeks(bool checkpoints, bool refill) {
  LivePlayer p;
  p.checkpoints = checkpoints;
  p.refill = refill;
  // Every 7.5 s of the first ten minutes, in a shuffled order: forward and back.
  for (std::uint32_t t = 0; t <= 600000; t += 7500) p.targets.push_back(t);
  std::shuffle(p.targets.begin(), p.targets.end(), std::mt19937(7));
  ActivePlatform = &p;
  QuitRequested = 0;
  SceneTable scenes = DemoScenes();
  scenes.loadAssets = [] { return true; };  // loaded once, before
  MasterSequence(scenes);
  ActivePlatform = nullptr;
  std::vector<double> c = p.costs;
  std::sort(c.begin(), c.end());
  if (c.empty()) return;
  double worstAt = 0;
  std::size_t worst = 0;
  for (std::size_t i = 0; i < p.costs.size(); ++i)
    if (p.costs[i] == c.back()) worstAt = p.targets[i] / 1000.0, worst = i;
  if (std::getenv("ZINTAVEL_BENCH_DETAIL"))
    for (std::size_t i = 0; i < p.costs.size(); ++i)
      std::printf("    to %6.1f s: %5.1f ms (unseen frames %5.1f, sound %5.1f, landed frame %5.1f)\n",
                  p.targets[i] / 1000.0, p.costs[i], p.unseen[i], p.sound[i], p.costs[i] - p.unseen[i] - p.sound[i]);
  (void)worst;
  std::printf("  checkpoints %-3s %-13s %zu seeks: median %6.1f ms, worst %6.1f ms (to %.1f s)\n",
              checkpoints ? "on," : "off", checkpoints ? (refill ? "keys apart" : "back to back") : "", c.size(),
              c[c.size() / 2], c.back(), worstAt);
}

// From the show's start (the sound device, the music and the stream loaded,
// the start state saved) to its first frame shown, CPU ms of the show's
// thread: what keeping seeks costs before the first frame.
class FirstFrame : public LivePlayer {
 public:
  double began = 0, firstMs = -1;
  bool Flip() override {
    if (firstMs < 0) firstMs = ThreadMs() - began;
    NotePresent(0);
    Quit();  // and every later frame runs the closing out at once
    return true;
  }
  bool TakeSeek(std::uint32_t&) override { return false; }
};

void StartUp() {
  std::vector<double> on, off;
  for (int run = 0; run < 7; ++run) {
    for (const bool checkpoints : {true, false}) {
      FirstFrame p;
      p.checkpoints = checkpoints;
      ActivePlatform = &p;
      QuitRequested = 0;
      SceneTable scenes = DemoScenes();
      scenes.loadAssets = [] { return true; };
      p.began = ThreadMs();
      MasterSequence(scenes);
      ActivePlatform = nullptr;
      (checkpoints ? on : off).push_back(p.firstMs);
    }
  }
  if (std::getenv("ZINTAVEL_BENCH_DETAIL"))
    for (std::size_t i = 0; i < on.size(); ++i) std::printf("    %.1f ms keeping seeks, %.1f ms without\n", on[i], off[i]);
  std::sort(on.begin(), on.end());
  std::sort(off.begin(), off.end());
  std::printf("Start-up to the first frame (the music and stream loaded, the start state saved), CPU ms of the\n"
              "show's thread, median of %zu: %.1f ms keeping seeks, %.1f ms without\n\n",
              on.size(), on[on.size() / 2], off[off.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  PresentationDirectory = ZINTAVEL_DEMO_DIR;
  if (!LoadAssets()) return 1;
  if (argc > 1 && std::string(argv[1]) == "live") {  // the live seeks alone
    LiveSeeks(true, true);
    return 0;
  }
  StartUp();
  if (argc > 1 && std::string(argv[1]) == "start") return 0;  // the start-up alone
  std::uint32_t starts[ShowMarks];
  PhaseStartsOnGrid(60, starts);
  // The recording's own end: part two shows every text page, then the closing.
  const std::uint32_t quitAt =
      starts[4] + 76220 + 1920 + 15000 * static_cast<std::uint32_t>(3 * PagesOneCount + PagesTwoCount);
  const std::uint32_t end = quitAt + 9999;
  std::printf("Reaching a moment from the start, 60 Hz virtual clock (picture; sound as the recording mixes it),\n"
              "CPU ms of this process:\n");
  std::printf("  %-12s %9s %8s %9s %9s %9s %10s\n", "moment", "show", "frames", "picture", "sound", "both",
              "real time");
  std::uint32_t frames = 0;
  ReachMs(starts[2], quitAt, frames);  // warm the caches
  for (int i = 0; i <= ShowMarks; ++i) {
    const std::uint32_t t = i < ShowMarks ? starts[i] : end;
    const char* name = i < ShowMarks ? ShowMarkNames[i] : "show's end";
    const double picture = ReachMs(t, quitAt, frames);
    const double sound = MixMs(t, starts);
    const double both = picture + sound;
    std::printf("  %-12s %8.1fs %8u %7.1fms %7.1fms %7.1fms %9.0fx\n", name, t / 1000.0, frames, picture, sound, both,
                both > 0 ? t / both : 0.0);
  }
  std::printf("  target: the show's end in under 1000 ms (picture and sound)\n\n");
  std::printf("Live seeks over the first ten minutes, every 7.5 s in a shuffled order, CPU ms of the seeking thread\n"
              "from the key to the landed frame and its sound:\n");
  LiveSeeks(true, true);
  LiveSeeks(true, false);
  LiveSeeks(false, false);
  std::printf("  target: at most 50 ms each with checkpoints\n\n");
  std::printf("libopenmpt's seek against rendering the module from its start:\n");
  for (const double s : {30.0, 120.0}) CompareModuleSeek(s);
  return 0;
}
