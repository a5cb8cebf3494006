#include "platform/recording_platform.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/report.h"
#include "choreo/phases.h"
#include "os/stop_signals.h"
#include "record/video_quality.h"

namespace {

// Counted by the handler, read between frames.
volatile std::sig_atomic_t SignalCount = 0;
volatile std::sig_atomic_t LastSignal = 0;

void OnSignal(int signal) {
  LastSignal = signal;
  SignalCount = SignalCount + 1;
  if (SignalCount >= 2) ArmStopDeadline(128 + signal);
}

constexpr std::size_t MixBlock = 4096;
// A clip's sound falls to silence over its last 10 ms, so its end does not click.
constexpr std::uint64_t FadeSamples = AudioEngine::Rate / 100;

std::string Clock(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[32];
  if (s >= 3600) std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

// A time the user gave (--start-at, --stop-at): to the tenth, shown only when
// it is not a whole second, so 2.5 is "0:02.5", not a rounded "0:03".
std::string GivenTime(std::uint32_t ms) {
  const std::uint64_t tenths = (std::uint64_t{ms} + 50) / 100;
  std::string text = Clock(static_cast<double>(tenths / 10));
  if (tenths % 10) {
    text += '.';
    text += static_cast<char>('0' + tenths % 10);
  }
  return text;
}

class Recorder final : public RecordingPlatform {
 public:
  bool replacing = false;  // the video file existed: said in the start-up line

  Recorder(const RecordingOptions& o, std::unique_ptr<RecordingSink> sink, int scale)
      : scale_(scale), options_(o), sink_(std::move(sink)) {
    SetQuitAt(o.quitAt);
    wallStart_ = std::chrono::steady_clock::now();
    lastReport_ = wallStart_;
    terminal_ = ::isatty(2) == 1;
    SignalCount = 0;
    InstallStopSignals(OnSignal, savedSignals_);
  }
  ~Recorder() override { RestoreStopSignals(savedSignals_); }

  std::uint32_t TickCount() override {
    const std::uint64_t ms = static_cast<std::uint64_t>(presented_) * 1000 / options_.sink.fps;
    return static_cast<std::uint32_t>(options_.startTick + ms);
  }

  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& event) override {
    if (SignalCount > 0 && !signalled_) {
      signalled_ = true;
      Say("zintavel: interrupted: finishing with the closing fade (interrupt again to stop at once)");
      return Escape(event);
    }
    if (stopped_ && !stopQuit_) {
      stopQuit_ = true;
      return Escape(event);
    }
    return TakeQuitRequest() && Escape(event);
  }
  void ShowCursor(bool) override {}
  void ShowMessageBox(const char*, const char*) override {}  // the line is on stderr already
  void DebugString(const char* text) override {
    std::string line = std::string("zintavel: ") + text;
    Say(line.c_str());
  }

  bool OpenDevice() override { return true; }
  bool SetMode(std::int32_t width, std::int32_t height, std::int32_t depth) override {
    if (options_.depth && *options_.depth != depth) return false;
    if (options_.forceDoubling && width <= 320) return false;
    width_ = width, height_ = height, depth_ = depth;
    return true;
  }
  bool CreateSurfaces() override {
    const int bytes = depth_ == 32 ? 4 : depth_ == 24 ? 3 : 2;
    pitch_ = (width_ * bytes + 63) / 64 * 64;  // rows padded, as video memory often is
    surface_.assign(static_cast<std::size_t>(pitch_) * height_, 0);
    frame_.assign(static_cast<std::size_t>(width_) * height_, 0);
    std::fprintf(stderr, "zintavel: recording to %s%s, mode %dx%d at %d bits%s, %u frames a second, %dx\n",
                 OneLine(options_.sink.path).c_str(), replacing ? " (replacing the existing file)" : "", width_, height_, depth_,
                 width_ > 320 ? " (doubled)" : "", options_.sink.fps, scale_);
    return true;
  }
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    pixels = surface_.data();
    pitch = pitch_;
    return true;
  }
  bool Unlock() override { return true; }
  bool Flip() override {
    if (SignalCount >= 2 && !stopped_) {
      Say("zintavel: interrupted again: stopping now");
      interrupted_ = true;
      Stop(false);
    }
    if (stopped_) {
      // Nothing more is written: run the remaining phases out in a few frames.
      presented_ += options_.sink.fps * 30;
      return true;
    }
    DecodeSurface();
    if (!began_ && options_.sink.targetBytes) SayBudget();
    bool ok = began_ || (began_ = sink_->Begin(width_, height_));
    ok = ok && sink_->WriteFrame(presented_ - firstFrame_, frame_.data());
    if (!ok) {
      Stop(true);
      return true;
    }
    ++presented_;
    CatchUpSound();
    if (options_.stopAt && Elapsed(presented_) >= *options_.stopAt && !stopped_) {
      Say(("zintavel: clip ends at " + GivenTime(*options_.stopAt) + ", without the closing").c_str());
      Stop(false);
    }
    NotePresent(options_.startTick);
    Report(false);
    return true;  // a failure is told once, at the end, not by the presenter on every frame
  }
  void CloseDevice() override { surface_.clear(); }

  std::uint32_t ReplayFps() override { return options_.sink.fps; }
  void BeginReplay(std::uint32_t, std::uint32_t) override { replaying_ = true; }
  void ReplayFrame(std::uint32_t) override {
    ++presented_;
    CatchUpSound();
    NotePresent(options_.startTick);
    Report(false);
  }
  void EndReplay(std::uint32_t) override {
    replaying_ = false;
    firstFrame_ = presented_;
  }

  void PhaseStarted(Phase phase, const char* name) override {
    phaseName_ = name;
    const std::uint32_t now = TickCount() - options_.startTick;
    if (phase == Phase::Closing)  // a quit before the text pages: they never came
      marks_.erase(std::remove_if(marks_.begin(), marks_.end(), [&](const Mark& m) { return m.at >= now; }),
                   marks_.end());
    if (!stopped_) {
      marks_.push_back({PhaseName(phase), now});
      if (phase == Phase::PartTwo) marks_.push_back({ShowMarkNames[5], TextPagesStart(now, options_.sink.fps)});
    }
    if (phase == Phase::TitleCard) {
      wholePartTwo_ = options_.wholePartTwo ? options_.wholePartTwo() : 0;
      plannedMs_ = options_.quitAt ? std::uint64_t{*options_.quitAt} + ClosingMs
                                   : std::uint64_t{BeforePartTwoMs} + wholePartTwo_ + ClosingMs;
    }
    if (phase == Phase::PartTwo && !options_.quitAt) {
      SetQuitAt(now + wholePartTwo_);
      plannedMs_ = std::uint64_t{now} + wholePartTwo_ + ClosingMs;
    }
    if (phase == Phase::Closing) plannedMs_ = std::uint64_t{now} + ClosingMs;
    if (options_.stopAt) plannedMs_ = std::min<std::uint64_t>(plannedMs_, *options_.stopAt);
    Report(true);
  }

  int Finish(int code) override {
    if (!began_ && !failed_ && options_.startAt > 0 && presented_ > 0) {
      sink_->Finish();
      EndBar();
      if (signalled_) {
        std::fprintf(stderr, "zintavel: interrupted before --start-at %s was reached; nothing written\n",
                     GivenTime(options_.startAt).c_str());
        return 128 + LastSignal;
      }
      std::fprintf(stderr, "zintavel: --start-at %s is past the end of the recording (%s); nothing written\n",
                   GivenTime(options_.startAt).c_str(), Clock(Elapsed(presented_) / 1000.0).c_str());
      return 1;
    }
    SetChapters();
    const bool ok = sink_->Finish() && !failed_;
    interrupted_ = interrupted_ || SignalCount >= 2;  // also when it came as the file was being finalised
    EndBar();
    if (!ok) {
      std::fprintf(stderr, "zintavel: %s; the recording stopped at %.2f s, with %s\n", OneLine(sink_->Error()).c_str(),
                   Recorded(), OneLine(sink_->Written()).c_str());
      return 1;
    }
    if (interrupted_ && !began_) {
      std::fprintf(stderr, "zintavel: stopped by a signal before the first frame; nothing was recorded to %s\n",
                   OneLine(options_.sink.path).c_str());
      return 128 + LastSignal;
    }
    if (interrupted_) {
      std::fprintf(stderr, "zintavel: stopped by a signal at %.2f s; wrote %s\n", Recorded(),
                   OneLine(sink_->Written()).c_str());
      return 128 + LastSignal;
    }
    if (began_) std::fprintf(stderr, "zintavel: wrote %s\n", OneLine(sink_->Written()).c_str());
    return code;
  }

 protected:
  bool OpenSoundDevice() override { return true; }
  void StartSoundDevice() override {
    CatchUpSound();
    started_ = true;
  }
  void CloseSoundDevice() override { CatchUpSound(); }
  // Mixes up to the first sample of the frame the clock has reached and hands
  // it on; nothing is written before the first frame.
  void CatchUpSound() override {
    if (stopped_) return;
    const std::uint64_t target = static_cast<std::uint64_t>(presented_) * AudioEngine::Rate / options_.sink.fps;
    while (mixed_ < target) {
      const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(target - mixed_, MixBlock));
      if (replaying_) {  // run unseen: the music goes on, unmixed
        if (started_ && soundOpen_) engine_.Skip(n);
        mixed_ += n;
        continue;
      }
      mix_.assign(2 * n, 0.0f);
      if (started_ && soundOpen_) engine_.Render(mix_.data(), n);
      if (options_.stopAt) FadeOut(n);
      pcm_.resize(2 * n);
      for (std::size_t i = 0; i < 2 * n; ++i)
        pcm_[i] = static_cast<std::int16_t>(std::lround(std::clamp(mix_[i], -1.0f, 1.0f) * 32767.0f));
      if (!sink_->WriteSound(pcm_.data(), n)) {
        Stop(true);
        return;
      }
      mixed_ += n;
    }
  }

 private:
  // Show ms at the frame of this index.
  std::uint32_t Elapsed(std::uint32_t frames) const {
    return static_cast<std::uint32_t>(std::uint64_t{frames} * 1000 / options_.sink.fps);
  }
  // The last FadeSamples before the clip's end, faded down to silence.
  void FadeOut(std::size_t n) {
    const std::uint64_t lastFrame = (std::uint64_t{*options_.stopAt} * options_.sink.fps + 999) / 1000;
    const std::uint64_t end = lastFrame * AudioEngine::Rate / options_.sink.fps;
    const std::uint64_t from = end > FadeSamples ? end - FadeSamples : 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::uint64_t at = mixed_ + i;
      if (at < from) continue;
      const float left = at >= end ? 0.0f : static_cast<float>(end - at - 1) / FadeSamples;
      const float gain = left * left;  // quadratic: the last samples are well below hearing
      mix_[2 * i] *= gain;
      mix_[2 * i + 1] *= gain;
    }
  }
  // --size's plan, as the encoder takes it when it opens at this first frame.
  void SayBudget() {
    const double seconds = options_.sink.plannedSeconds ? options_.sink.plannedSeconds() : 0;
    const std::optional<SizeBudget> b =
        BudgetFor(options_.sink.form, options_.sink.targetBytes, seconds, options_.sink.fps, scale_);
    if (!b) return;  // the encoder says why
    char line[160];
    std::snprintf(line, sizeof line, "zintavel: %llu MB for %s: video at %lld kb/s, sound at %lld kb/s, %dx",
                  static_cast<unsigned long long>(options_.sink.targetBytes / 1000000), Clock(seconds).c_str(),
                  static_cast<long long>(b->videoBitRate / 1000), static_cast<long long>(b->audioBitRate / 1000),
                  scale_);
    Say(line);
  }

  // One chapter a phase, in ms from the first frame written; the phase under
  // way at that frame opens the clip. A phase that held the screen for less
  // than a frame is no chapter: the one after it takes its place.
  void SetChapters() {
    if (!began_) return;
    const std::uint32_t first = Elapsed(firstFrame_);
    const std::uint32_t last = Elapsed(stopped_ ? stoppedAt_ : presented_);
    const std::uint64_t frameMs = (1000 + options_.sink.fps - 1) / options_.sink.fps;
    std::vector<RecordingSink::Chapter> chapters;
    for (const Mark& m : marks_) {
      if (m.at >= last) break;
      const std::uint64_t at = m.at > first ? m.at - first : 0;
      if (!chapters.empty() && at < chapters.back().startMs + frameMs) chapters.back().title = m.name;
      else chapters.push_back({m.name, at});
    }
    sink_->SetChapters(chapters, last - first);
  }

  void Stop(bool failed) {
    stopped_ = true;
    failed_ = failed_ || failed;
    stoppedAt_ = presented_;
  }
  double Recorded() const { return (stopped_ ? stoppedAt_ : presented_) * 1.0 / options_.sink.fps; }

  static bool Escape(WindowEvent& event) {
    event = WindowEvent::EscapeKey;
    return true;
  }

  // The surface back as 0x00RRGGBB, low bits of narrow formats filled.
  void DecodeSurface() {
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* row = surface_.data() + static_cast<std::size_t>(y) * pitch_;
      std::uint32_t* out = frame_.data() + static_cast<std::size_t>(y) * width_;
      if (depth_ == 32) {
        std::memcpy(out, row, static_cast<std::size_t>(width_) * 4);
        for (int x = 0; x < width_; ++x) out[x] &= 0x00FFFFFF;
        continue;
      }
      for (int x = 0; x < width_; ++x) out[x] = Decode(row, x);
    }
  }
  std::uint32_t Decode(const std::uint8_t* row, int x) const {
    if (depth_ == 24) return std::uint32_t{row[3 * x]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x + 2];
    const std::uint32_t w = row[2 * x] | row[2 * x + 1] << 8;
    std::uint32_t r, g, b;
    if (depth_ == 16) r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
    else r = (w >> 10) & 31, g = ((w >> 5) & 31) << 1, b = w & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
  }

  // Progress: a bar redrawn in place on a terminal, else a line at each phase
  // and every five seconds.
  void Report(bool phaseStart) {
    const auto now = std::chrono::steady_clock::now();
    const auto every = terminal_ ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000);
    if (!(phaseStart && !terminal_) && now - lastReport_ < every) return;
    lastReport_ = now;
    const double wall = std::chrono::duration<double>(now - wallStart_).count();
    const double done = (TickCount() - options_.startTick) / 1000.0;
    const double speed = wall > 0 ? done / wall : 0.0;
    const double planned = std::max(done, plannedMs_ / 1000.0);
    const double fraction = planned > 0 ? done / planned : 0;
    const std::string left = speed > 0 ? Clock((planned - done) / speed) : "?";
    if (!terminal_) {
      std::fprintf(stderr, "zintavel: recording %s, %.1f s, %.1fx real time, %.0f%% of %s, %s left\n", phaseName_,
                   done, speed, fraction * 100, Clock(planned).c_str(), left.c_str());
      QuietIfStderrGone();
      return;
    }
    char bar[21];
    const int filled = static_cast<int>(fraction * 20);
    for (int i = 0; i < 20; ++i) bar[i] = i < filled ? '#' : '.';
    bar[20] = 0;
    std::fprintf(stderr, "\r\033[Krecording %-10s [%s] %3.0f%%  %s of %s  %.1fx real time  %s left", phaseName_, bar,
                 fraction * 100, Clock(done).c_str(), Clock(planned).c_str(), speed, left.c_str());
    barShown_ = true;
    QuietIfStderrGone();
  }
  void EndBar() {
    if (barShown_) std::fputs("\r\033[K", stderr);
    barShown_ = false;
  }
  void Say(const char* line) {
    EndBar();
    std::fprintf(stderr, "%s\n", OneLine(line).c_str());
    QuietIfStderrGone();
  }

  int scale_ = 1;
  RecordingOptions options_;
  std::unique_ptr<RecordingSink> sink_;
  std::uint32_t presented_ = 0, stoppedAt_ = 0;
  std::uint32_t firstFrame_ = 0;  // the first frame written; those before ran unseen
  bool replaying_ = false;
  struct Mark {
    const char* name;
    std::uint32_t at;  // show ms
  };
  std::vector<Mark> marks_;
  std::uint64_t mixed_ = 0;
  int width_ = 0, height_ = 0, depth_ = 0, pitch_ = 0;
  std::vector<std::uint8_t> surface_;
  std::vector<std::uint32_t> frame_;
  std::vector<float> mix_;
  std::vector<std::int16_t> pcm_;
  bool started_ = false, began_ = false, stopped_ = false, failed_ = false, interrupted_ = false;
  bool signalled_ = false, stopQuit_ = false, terminal_ = false, barShown_ = false;
  std::uint32_t wholePartTwo_ = 0;
  std::uint64_t plannedMs_ = 0;
  const char* phaseName_ = "start-up";
  std::chrono::steady_clock::time_point wallStart_, lastReport_;
  SavedStopSignals savedSignals_;
};

}  // namespace

std::unique_ptr<RecordingPlatform> MakeRecordingPlatform(const RecordingOptions& options) {
  SinkSettings settings = options.sink;
  settings.stopNow = [] { return SignalCount >= 2; };
  // The length the recording plans, once the pages are loaded (the encoder
  // opens at the first frame): what is written, from the clip's start to its
  // end, or to the end of the closing.
  settings.plannedSeconds = [options] {
    std::uint64_t end = options.quitAt ? std::uint64_t{*options.quitAt} + ClosingMs
                                       : BeforePartTwoMs + (options.wholePartTwo ? options.wholePartTwo() : 0) +
                                             std::uint64_t{ClosingMs};
    if (options.stopAt) end = std::min<std::uint64_t>(end, *options.stopAt);
    return end > options.startAt ? static_cast<double>(end - options.startAt) / 1000 : 0.0;
  };
  const bool shared = settings.form == RecordingForm::Mp4 || settings.form == RecordingForm::Webm;
  const int width = options.forceDoubling ? 640 : 320;
  settings.scale = options.scale.value_or(shared ? std::max(1, 1280 / width) : 1);
  if (settings.targetBytes && (options.stopAt || options.quitAt)) {
    // The length is known before the show runs (at most this long): refuse a
    // size that cannot hold it at once, not after the unseen run to the start,
    // and enlarge as the bits allow.
    const std::uint64_t end = options.stopAt ? *options.stopAt : std::uint64_t{*options.quitAt} + ClosingMs;
    const double seconds = end > options.startAt ? static_cast<double>(end - options.startAt) / 1000 : 0.0;
    const std::optional<SizeBudget> budget = BudgetFor(settings.form, settings.targetBytes, seconds, settings.fps,
                                                       options.scale);
    if (!budget) {
      std::fprintf(stderr, "zintavel: %s: %llu MB cannot hold %.1f s of picture and sound\n", OneLine(settings.path).c_str(),
                   static_cast<unsigned long long>(settings.targetBytes / 1000000), seconds);
      return nullptr;
    }
    settings.scale = budget->scale;
  }
  std::unique_ptr<RecordingSink> sink = settings.form == RecordingForm::PngDirectory ? MakePngDirectorySink(settings)
                                                                                     : MakeVideoFileSink(settings);
  struct stat existing;
  const bool replacing = settings.form != RecordingForm::PngDirectory && ::stat(settings.path.c_str(), &existing) == 0;
  if (!sink->Prepare()) {
    std::fprintf(stderr, "zintavel: %s\n", OneLine(sink->Error()).c_str());
    return nullptr;
  }
  RecordingOptions planned = options;
  planned.sink.plannedSeconds = settings.plannedSeconds;  // for --size's line at the first frame
  auto recorder = std::make_unique<Recorder>(planned, MakeThreadedSink(std::move(sink)), settings.scale);
  recorder->replacing = replacing;
  return recorder;
}
