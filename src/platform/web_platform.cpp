#include "platform/web_platform.h"

#include <emscripten.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "choreo/phases.h"
#include "player/seek_overlay.h"

// The page's side of each call; all of them live in web/page.js.
EM_JS(std::uint32_t, zw_tick, (), { return Module.zintavel.tick() >>> 0; });
EM_JS(int, zw_next_event, (), { return Module.zintavel.nextEvent(); });
EM_JS(void, zw_message, (const char* caption, const char* text),
      { Module.zintavel.message(UTF8ToString(caption), UTF8ToString(text)); });
EM_JS(void, zw_cursor, (int show), { Module.zintavel.cursor(show !== 0); });
EM_JS(void, zw_present, (const std::uint8_t* pixels, std::uint32_t showMs),
      { Module.zintavel.present(pixels, showMs >>> 0); });
// A picture for the canvas that is not a frame of the show: no present is counted.
EM_JS(void, zw_poster, (const std::uint8_t* pixels), { Module.zintavel.poster(pixels); });
// Resumes at the next animation frame (and not before a pause ends).
EM_JS(void, zw_wait_frame, (), {
  Asyncify.handleSleep(function(wakeUp) { Module.zintavel.waitFrame(wakeUp); });
});
EM_JS(int, zw_sound_open, (), { return Module.zintavel.soundOpen() ? 1 : 0; });
EM_JS(int, zw_sound, (const char* op, const char* path, int a, int b),
      { return Module.zintavel.sound(UTF8ToString(op), path ? UTF8ToString(path) : "", a, b) ? 1 : 0; });
EM_JS(void, zw_phase, (int phase, const char* name), { Module.zintavel.phase(phase, UTF8ToString(name)); });
// The timeline's marks: `count` phase starts, their names joined by '|', and
// the moment by which the whole show has been seen.
EM_JS(void, zw_timeline, (const std::uint32_t* starts, int count, const char* names, std::uint32_t wholeMs), {
  Module.zintavel.timeline(Array.from(HEAPU32.subarray(starts >> 2, (starts >> 2) + count)),
                           UTF8ToString(names).split('|'), wholeMs >>> 0);
});
// The frame rate of the clock a seek replays on: the page's fake clock in its tests, else 60.
EM_JS(int, zw_replay_fps, (), { return Module.zintavel.replayFps(); });
// A seek has landed at showMs: the page shows where, and holds its clock until
// the sound thread has caught up.
EM_JS(void, zw_landed, (std::uint32_t showMs, const char* label),
      { Module.zintavel.landed(showMs >>> 0, UTF8ToString(label)); });
// Lets the page breathe during a long replay (and paint how far it has come).
EM_JS(void, zw_yield, (std::uint32_t showMs, std::uint32_t targetMs), {
  Asyncify.handleSleep(function(wakeUp) { Module.zintavel.replaying(showMs >>> 0, targetMs >>> 0, wakeUp); });
});

namespace {

constexpr int Width = 320, Height = 240;

bool Readable(const std::string& path) {
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  // The same words as the native sound layer: the page shows stderr.
  std::fprintf(stderr, "zintavel: %s: cannot open: %s\n", path.c_str(), std::strerror(errno));
  return false;
}

class WebPlatform : public Platform {
 public:
  WebPlatform(std::function<std::uint32_t()> wholePartTwo, std::function<const std::uint8_t*()> poster)
      : wholePartTwo_(std::move(wholePartTwo)), poster_(std::move(poster)) {
    Active = this;
  }
  ~WebPlatform() override { Active = nullptr; }
  static WebPlatform* Active;

  std::uint32_t TickCount() override { return zw_tick(); }
  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& event) override {
    if (replaying_) return false;  // frames run unseen: the viewer's keys wait until they are done
    // Every quit the show takes comes from here. One that comes while a scrub
    // holds the sound thread waits for a seek to the moment shown, which
    // lands the sound there: the closing is heard.
    int next = quitWaiting_;
    if (next >= 0) {
      if (soundHeld_) return false;
      quitWaiting_ = -1;
    } else {
      next = zw_next_event();
      if ((next == 0 || next == 1) && soundHeld_) {
        quitWaiting_ = next;
        scrubbing_ = false;
        seekTo_ = ShowTimeNow();
        return false;
      }
    }
    switch (next) {
      case 0: event = WindowEvent::CloseRequest; quitAsked_ = true; return true;
      case 1: event = WindowEvent::EscapeKey; quitAsked_ = true; return true;
      case 2: event = WindowEvent::OtherKey; return true;
      case 3: event = WindowEvent::Other; return true;
      default: return false;
    }
  }
  void ShowCursor(bool show) override { zw_cursor(show ? 1 : 0); }
  void ShowMessageBox(const char* caption, const char* text) override { zw_message(caption, text); }
  void DebugString(const char* text) override { std::fprintf(stderr, "%s\n", text); }

  // The canvas is 32 bits at the show's own size; the page scales it.
  bool OpenDevice() override { return true; }
  bool SetMode(std::int32_t w, std::int32_t h, std::int32_t d) override {
    return w == Width && h == Height && d == 32;
  }
  bool CreateSurfaces() override { return surface_.assign(Width * Height * 4, 0), true; }
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    if (surface_.empty()) return false;
    pixels = surface_.data();
    pitch = Width * 4;
    return true;
  }
  bool Unlock() override { return true; }
  bool Flip() override {
    zw_present(surface_.data(), ShowTimeNow());
    presented_ = true;
    zw_wait_frame();
    return true;
  }
  void CloseDevice() override { surface_.clear(); }

  std::uint32_t SoundGetVersion() override { return SoundVersion; }
  bool SoundInit(std::int32_t, std::int32_t frequency, std::uint32_t) override {
    soundOpen_ = frequency == 44100 && zw_sound_open() != 0;
    return soundOpen_;
  }
  MusicHandle MusicLoad(const std::string& file, std::uint32_t flags) override {
    if (!Readable(file)) return 0;
    const int loop = (flags & MusicLoop) != 0, ramping = (flags & MusicRamping) != 0;
    return Sound("loadModule", file.c_str(), loop, ramping) ? TheMusic : 0;
  }
  void MusicSetPositionScaler(MusicHandle, std::uint32_t) override {}
  bool SoundStart() override { return true; }
  StreamHandle StreamCreateFile(const std::string& file, std::uint32_t) override {
    if (!Readable(file)) return 0;
    return Sound("loadStream", file.c_str(), 0, 0) ? TheStream : 0;
  }
  bool StreamPlay(StreamHandle stream, bool, std::uint32_t) override {
    return stream == TheStream && Sound("playStream", nullptr, 0, 0);
  }
  bool StreamFree(StreamHandle stream) override {
    return stream == TheStream && Sound("freeStream", nullptr, 0, 0);
  }
  bool MusicPlayEx(MusicHandle music, std::uint32_t, std::int32_t, bool) override {
    return music == TheMusic && Sound("playModule", nullptr, 0, 0);
  }
  bool SetVolume(std::uint32_t volume) override {
    return volume <= 100 && Sound("volume", nullptr, static_cast<int>(volume), 0);
  }
  void SoundFree() override { zw_sound("free", nullptr, 0, 0); }
  void PhaseStarted(Phase phase, const char* name) override {
    // The first phase begins once the pages are loaded, which the show's length needs.
    if (phase == Phase::TitleCard && !timelineSent_) SendTimeline();
    closing_ = phase == Phase::Closing;
    zw_phase(static_cast<int>(phase), name);
  }
  void ShowTimeBase(std::uint32_t base) override { showBase_ = base; }

  // Seeking. The sound thread goes back to the show's start, skips what the
  // unseen frames would have played, each sound call at the sample where the
  // picture makes it, and plays on from the landing. While the timeline is
  // scrubbed the sound thread is held and hears nothing: the seek made when
  // the pointer lets go rewinds it and lands it where the picture lands.
  std::uint32_t ReplayFps() override { return static_cast<std::uint32_t>(zw_replay_fps()); }
  void BeginReplay(std::uint32_t firstTick, std::uint32_t targetMs) override {
    replayFirstTick_ = firstTick;
    replayTarget_ = targetMs;
    replayFps_ = std::max(1u, ReplayFps());
    replaying_ = true;
    replayFrames_ = 0;
    lastYield_ = emscripten_get_now();
    // A seek from the first moment (?t=) would run under a black canvas: the
    // title card stands there instead; a later one keeps the frame last shown.
    if (!presented_ && poster_) {
      if (const std::uint8_t* pixels = poster_()) zw_poster(pixels);
    }
    if (soundOpen_ && !scrubbing_) {
      zw_sound("rewind", nullptr, 0, 0);
      soundHeld_ = false;
    }
  }
  bool PrepareSeeks() override { return true; }
  void ReplayFrom(std::uint32_t frames) override { replayFrames_ = frames; }
  void ReplayFrame(std::uint32_t tick) override {
    ++replayFrames_;
    // About ten times a second the page gets the thread back: it paints its
    // progress and takes the viewer's input (a newer seek waits for this one).
    const double now = emscripten_get_now();
    if (now - lastYield_ >= 100) {
      zw_yield(tick - replayFirstTick_, replayTarget_);
      lastYield_ = emscripten_get_now();
    }
  }
  void EndReplay(std::uint32_t tick) override {
    if (soundOpen_ && !soundHeld_) zw_sound("land", nullptr, ReplaySample(), 0);
    replaying_ = false;
    const std::uint32_t at = tick - replayFirstTick_;
    zw_landed(at, SeekLabel(at).c_str());
  }
  bool TakeSeek(std::uint32_t& showMs) override {
    if (!seekTo_) return false;
    showMs = *seekTo_;
    seekTo_.reset();
    return true;
  }

  // From the page: a seek key (in SeekKey's order) or a moment on the timeline.
  // Returns the show time asked for, or -1 where there is no seeking (before
  // the first phase, after a quit, in the closing) or the key leads nowhere.
  double SeekKeyPressed(int key) {
    if (!Seekable() || key < 0 || key > static_cast<int>(SeekKey::NextPhase)) return -1;
    // Keys pressed during a replay count from where it goes.
    const std::uint32_t from = seekTo_.value_or(replaying_ ? replayTarget_ : ShowTimeNow());
    const std::optional<std::uint32_t> to = SeekTarget(static_cast<SeekKey>(key), from);
    if (!to) return -1;
    seekTo_ = to;
    return *to;
  }
  void Scrub(bool on) {
    if (on && !Seekable()) return;  // nothing to scrub: the closing is heard as it is
    scrubbing_ = on;
    if (on && soundOpen_ && !soundHeld_) {
      zw_sound("hold", nullptr, 0, 0);
      soundHeld_ = true;
    }
  }
  double SeekTo(double showMs) {
    if (!Seekable() || !(showMs >= 0)) return -1;
    seekTo_ = static_cast<std::uint32_t>(std::min(showMs, 4294967295.0));
    return *seekTo_;
  }

 private:
  static constexpr MusicHandle TheMusic = 1;
  static constexpr StreamHandle TheStream = 2;

  bool Seekable() const { return timelineSent_ && !closing_ && !quitAsked_ && quitWaiting_ < 0; }
  std::uint32_t ShowTimeNow() { return TickCount() - showBase_; }

  // The first sample of the frame the replay has reached.
  int ReplaySample() const {
    return static_cast<int>(std::uint64_t{replayFrames_} * 44100 / replayFps_);
  }
  // A sound call; in a replay the sound thread first skips up to the frame it
  // belongs to. A held sound thread takes none: the next seek's replay makes
  // them again.
  bool Sound(const char* op, const char* path, int a, int b) {
    if (soundHeld_) return true;
    if (replaying_ && soundOpen_) zw_sound("drop", nullptr, ReplaySample(), 0);
    return zw_sound(op, path, a, b) != 0;
  }

  void SendTimeline() {
    timelineSent_ = true;
    std::uint32_t starts[ShowMarks];
    PhaseStartsOnGrid(60, starts);
    std::string names;
    // The closing's name last: it has no mark, yet the page names it as the show does.
    for (int i = 0; i <= ShowMarks; ++i) (names += i ? "|" : "") += ShowMarkNames[i];
    zw_timeline(starts, ShowMarks, names.c_str(), starts[4] + (wholePartTwo_ ? wholePartTwo_() : 0));
  }

  std::vector<std::uint8_t> surface_;
  bool soundOpen_ = false;
  bool timelineSent_ = false, closing_ = false;
  bool replaying_ = false;
  bool scrubbing_ = false;
  bool soundHeld_ = false;  // since a scrub began, until a seek's replay rewinds the sound thread
  std::uint32_t replayFrames_ = 0;
  double lastYield_ = 0;
  std::optional<std::uint32_t> seekTo_;
  std::function<std::uint32_t()> wholePartTwo_;
  std::function<const std::uint8_t*()> poster_;
  bool presented_ = false;
  bool quitAsked_ = false;  // an Escape or close request went to the show
  int quitWaiting_ = -1;    // the page's quit event, held until the sound lands
  std::uint32_t showBase_ = 0, replayFirstTick_ = 0, replayTarget_ = 0, replayFps_ = 60;
};

WebPlatform* WebPlatform::Active = nullptr;

}  // namespace

std::unique_ptr<Platform> MakeWebPlatform(std::function<std::uint32_t()> wholePartTwo,
                                          std::function<const std::uint8_t*()> poster) {
  return std::make_unique<WebPlatform>(std::move(wholePartTwo), std::move(poster));
}

extern "C" {
EMSCRIPTEN_KEEPALIVE double zw_seek_key(int key) {
  return WebPlatform::Active ? WebPlatform::Active->SeekKeyPressed(key) : -1;
}
EMSCRIPTEN_KEEPALIVE double zw_seek_to(double showMs) {
  return WebPlatform::Active ? WebPlatform::Active->SeekTo(showMs) : -1;
}
// The timeline is being dragged (1) or was let go (0); the page seeks on letting go.
EMSCRIPTEN_KEEPALIVE void zw_scrub(int on) {
  if (WebPlatform::Active) WebPlatform::Active->Scrub(on != 0);
}
}
