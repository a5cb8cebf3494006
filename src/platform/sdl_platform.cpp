#include "platform/sdl_platform.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <optional>
#include <vector>

#include "assets/pcx.h"
#include "assets/report.h"
#include "os/stop_signals.h"
#include "platform/keys.h"
#include "player/player_timing.h"
#include "player/screenshot.h"
#include "player/seek_overlay.h"
#include "player/setup_choices.h"
#include "player/warning_card.h"
#include "player/window_icon.h"

namespace {

// Signals are counted here and turned into quit requests by the event pump.
// While a message box is up the pump does not run, so a signal then ends the
// process at once with the fatal-error exit code.
volatile sig_atomic_t Interrupts = 0;
volatile sig_atomic_t MessageBoxUp = 0;

// SDL shows its X11 box from a forked child and waits for it: the box must go
// with us. Only system calls here, as befits a signal handler. (Windows' box
// is the process's own and goes with it.)
void EndChildren([[maybe_unused]] int sig) {
#ifndef _WIN32
  char path[64] = "/proc/self/task/";
  int at = 16;
  char digits[16];
  int n = 0;
  for (int pid = getpid(); pid > 0; pid /= 10) digits[n++] = static_cast<char>('0' + pid % 10);
  while (n > 0) path[at++] = digits[--n];
  for (const char* c = "/children"; *c; ++c) path[at++] = *c;
  path[at] = '\0';
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  char buffer[256];
  const ssize_t got = read(fd, buffer, sizeof buffer);
  close(fd);
  int pid = 0;
  for (ssize_t i = 0; i < got; ++i) {
    if (buffer[i] >= '0' && buffer[i] <= '9') {
      pid = pid * 10 + (buffer[i] - '0');
    } else {
      if (pid > 0) kill(pid, sig);
      pid = 0;
    }
  }
#endif
}

void OnInterrupt(int sig) {
  if (MessageBoxUp) {
    EndChildren(sig);
    _exit(1);
  }
  Interrupts = Interrupts + 1;
  if (Interrupts >= 2) ArmStopDeadline(0);  // the quit asked for, hurried
}

Uint32 FormatOf(std::int32_t depth) {
  switch (depth) {
    case 32: return SDL_PIXELFORMAT_RGB888;  // XRGB8888
    case 24: return SDL_PIXELFORMAT_RGB24;   // red byte first
    case 16: return SDL_PIXELFORMAT_RGB565;
    case 15: return SDL_PIXELFORMAT_RGB555;
    default: return SDL_PIXELFORMAT_UNKNOWN;
  }
}

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Whether the user chose drivers: a variable set but empty chooses nothing.
bool Chosen(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

// Whether the user named this video driver in SDL_VIDEODRIVER (a comma list).
bool DriverNamed(const char* driver) {
  const char* env = std::getenv("SDL_VIDEODRIVER");
  if (!env) return false;
  std::string list = env;
  std::size_t at = 0;
  while (at <= list.size()) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    if (SDL_strcasecmp(list.substr(at, comma - at).c_str(), driver) == 0) return true;
    at = comma + 1;
  }
  return false;
}

// Sends stderr to /dev/null until Restore: the sound libraries under SDL write
// their own lines while probing for a device; SDL_GetError says what matters.
class QuietStderr {
 public:
  explicit QuietStderr(bool quiet) {
    if (!quiet) return;
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
#ifdef _WIN32
    const int null = open("NUL", O_WRONLY);
#else
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
#endif
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~QuietStderr() { Restore(); }
  void Restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    saved_ = -1;
  }
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

enum class Pacing { Off, Vsync, Sleep };

class SdlPlatform final : public EnginePlatform {
 public:
  explicit SdlPlatform(const SdlOptions& o) : options_(o) {
    SetQuitAt(o.quitAt);
    // Our own handlers, so a signal can be told from the close button.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    InstallStopSignals(OnInterrupt, savedSignals_);
  }
  ~SdlPlatform() override {
    if (frames_ > 1) {
      const double seconds = (lastPresentTick_ - firstPresentTick_) / 1000.0;
      std::fprintf(stderr, "zintavel: %lu frames in %.1f s, %.1f a second\n", frames_, seconds,
                   seconds > 0 ? frames_ / seconds : 0.0);
    }
    CloseDevice();
    CloseSoundDevice();
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
    RestoreStopSignals(savedSignals_);
  }

  std::uint32_t TickCount() override { return clock_.Now(SDL_GetTicks64()); }

  bool CreateWindow() override {
    QuietStderr quiet(!Chosen("SDL_VIDEODRIVER"));  // the drivers probed on the way talk too
    const bool up = SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
    quiet.Restore();
    if (!up) {
      std::fprintf(stderr, "zintavel: no display: %s (--record DIR plays without one)\n", SDL_GetError());
      noDisplay_ = true;
      return false;
    }
    // Without a display SDL may settle for a driver that shows nothing; only
    // someone who asked for it by name wants a whole show played to no one.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0) &&
        !DriverNamed(driver)) {
      // A display that is named but does not answer is not the same as none.
      const char* x = std::getenv("DISPLAY");
      const char* wayland = std::getenv("WAYLAND_DISPLAY");
      if (x && *x)
        std::fprintf(stderr, "zintavel: cannot open the display DISPLAY=%s (is it running, and may we use it?); "
                     "--record DIR plays without one\n", OneLine(x).c_str());
      else if (wayland && *wayland)
        std::fprintf(stderr, "zintavel: cannot open the display WAYLAND_DISPLAY=%s; --record DIR plays without one\n",
                     OneLine(wayland).c_str());
      else
        std::fprintf(stderr, "zintavel: no display to play on (set DISPLAY, or --record DIR plays without one)\n");
      noDisplay_ = true;
      return false;
    }
    const int displays = SDL_GetNumVideoDisplays();
    if (options_.displayKept && options_.display.value_or(0) >= displays) options_.display.reset();
    const int screen = options_.display.value_or(0);
    if (screen >= displays) {
      if (displays == 1)
        std::fprintf(stderr, "zintavel: --display %d: no such screen (there is only display 0)\n", screen);
      else
        std::fprintf(stderr, "zintavel: --display %d: no such screen (there are %d: 0 to %d)\n", screen, displays,
                     displays - 1);
      noDisplay_ = true;
      return false;
    }
    firstTick_ = TickCount();
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    SDL_DisplayMode desktop{};
    const bool haveDesktop = SDL_GetDesktopDisplayMode(screen, &desktop) == 0;
    windowedScale_ = haveDesktop ? std::clamp(std::min(desktop.w * 9 / 10 / 320, desktop.h * 9 / 10 / 240), 1, 3) : 3;
    Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!options_.window) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Full screen starts at the desktop's size too, so the window is right even
    // where no window manager carries out the full-screen request.
    int w = windowedScale_ * 320, h = windowedScale_ * 240;
    if (!options_.window && haveDesktop) w = desktop.w, h = desktop.h;
    window_ = SDL_CreateWindow("Zintavel", SDL_WINDOWPOS_CENTERED_DISPLAY(screen),
                               SDL_WINDOWPOS_CENTERED_DISPLAY(screen), w, h, flags);
    if (!window_) {
      std::fprintf(stderr, "zintavel: cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    SetIcon();
    SDL_ShowWindow(window_);
    return true;
  }

  // Every quit the show takes comes from here: Escape or a close request.
  bool NextEvent(WindowEvent& event) override {
    if (!NextWindowEvent(event)) return false;
    if (event == WindowEvent::EscapeKey || event == WindowEvent::CloseRequest) quitAsked_ = true;
    return true;
  }

  bool NextWindowEvent(WindowEvent& event) {
    if (Replaying()) {  // frames run unseen: the viewer's keys wait until they are done
      if (!TakeQuitRequest()) return false;
      event = WindowEvent::EscapeKey;
      return true;
    }
    for (;;) {
      if (TakeQuitRequest()) {
        event = WindowEvent::EscapeKey;
        return true;
      }
      if (interruptsSeen_ != Interrupts) {
        // The closing fade always follows a quit request, so a signal during it,
        // or a second one at any time, is the viewer asking again.
        ++interruptsSeen_;
        if (closing_ || interruptsSeen_ >= 2) hurry_ = true;
        Resume();
        event = WindowEvent::CloseRequest;
        return true;
      }
      if (closing_ && hurry_ && !ranOut_) {
        // Far past any phase's end: the closing loop stops before another frame.
        clock_.Skip(1u << 30);
        ranOut_ = true;
      }
      SDL_Event e;
      // While paused the pump waits here, so no frame is drawn and the scenes
      // keep every bit of their state.
      const bool got = clock_.Paused() ? SDL_WaitEventTimeout(&e, 100) != 0 : SDL_PollEvent(&e) != 0;
      if (!got) {
        if (clock_.Paused() && overlayUntil_ && SDL_GetTicks64() >= overlayUntil_) {
          overlayUntil_ = 0;
          Redraw();
        }
        if (clock_.Paused() && !seekTo_) continue;
        if (options_.betweenFrames) options_.betweenFrames(TickCount() - firstTick_);
        return false;
      }
      switch (e.type) {
        case SDL_QUIT:
          AskedAgain();
          Resume();
          event = WindowEvent::CloseRequest;
          return true;
        case SDL_WINDOWEVENT:
          if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
            AskedAgain();
            Resume();
            event = WindowEvent::CloseRequest;
            return true;
          }
          if (e.window.event == SDL_WINDOWEVENT_DISPLAY_CHANGED) ReadRefreshRate();
          if (clock_.Paused()) Redraw();
          event = WindowEvent::Other;
          return true;
        case SDL_KEYDOWN: {
          const std::optional<KeyAction> action = ActionOf(e.key.keysym);
          const bool repeat = e.key.repeat != 0;
          if (!action) {
            event = WindowEvent::OtherKey;
            return true;
          }
          switch (*action) {
            case KeyAction::Quit:
              if (!repeat) AskedAgain();
              Resume();
              event = WindowEvent::EscapeKey;
              return true;
            case KeyAction::FullScreen:
              if (!repeat) ToggleFullScreen();
              continue;
            case KeyAction::Pause:
              if (!repeat) clock_.Paused() ? Resume() : Pause();
              continue;
            case KeyAction::Mute:
            case KeyAction::VolumeDown:
            case KeyAction::VolumeUp:
              if (*action == KeyAction::Mute) {
                if (repeat) continue;
                volume_.muted = !volume_.muted;
              } else {
                volume_.muted = false;
                *action == KeyAction::VolumeUp ? volume_.Up() : volume_.Down();
              }
              gain_.store(volume_.Gain());
              ShowOverlay(volume_.Label());
              continue;
            case KeyAction::Screenshot:
              if (!repeat) Screenshot();
              continue;
            case KeyAction::FrameBack:
            case KeyAction::FrameForward:
              // Frames step only while paused; playing, the keys do nothing.
              if (!clock_.Paused() || closing_ || quitAsked_) continue;
              if (const std::optional<std::uint32_t> to =
                      StepTarget(seekTo_.value_or(ShowTimeNow()), *action == KeyAction::FrameForward))
                seekTo_ = to;
              return false;  // the frame is drawn, then the pause holds
            default: {
              const SeekKey k = SeekKeyOf(*action);
              // A seek replays from the start; after a quit the closing runs on.
              if (!closing_ && !quitAsked_)
                if (const std::optional<std::uint32_t> to = SeekTarget(k, seekTo_.value_or(ShowTimeNow()))) seekTo_ = to;
              if (clock_.Paused()) return false;  // the landing frame is drawn, then the pause holds
              continue;
            }
          }
        }
        default:
          event = WindowEvent::Other;
          return true;
      }
    }
  }

  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  void ShowMessageBox(const char* caption, const char* text) override {
    if (noDisplay_) return;
    std::string body = text;
    MessageBoxUp = 1;
    if (Interrupts == 0) SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, body.c_str(), window_);
    MessageBoxUp = 0;
  }

  void DebugString(const char* text) override { std::fprintf(stderr, "zintavel: %s\n", text); }

  bool TakeSeek(std::uint32_t& showMs) override {
    if (!seekTo_) return false;
    showMs = *seekTo_;
    seekTo_.reset();
    return true;
  }
  bool PrepareSeeks() override { return true; }
  void BeginReplay(std::uint32_t firstTick, std::uint32_t targetMs) override {
    EnginePlatform::BeginReplay(firstTick, targetMs);
    // A retarget keeps the first key's moment: the progress counts from it.
    if (!replayBegun_) replayBegun_ = SDL_GetTicks64();
    replayPolled_ = SDL_GetTicks64();
    replayTarget_ = targetMs;
  }
  // Between unseen frames, a few times a second: seek keys retarget the seek
  // under way (none queue behind it), and one that takes a while says so.
  void ReplayFrame(std::uint32_t tick) override {
    EnginePlatform::ReplayFrame(tick);
    const std::uint64_t now = SDL_GetTicks64();
    if (now - replayPolled_ < 25) return;
    replayPolled_ = now;
    TakeSeekKeysWhileReplaying();
    if (now - replayBegun_ >= 150) {
      const std::uint32_t at = tick - ReplayFirstTick();
      const int percent = replayTarget_ ? static_cast<int>(std::uint64_t{at} * 100 / replayTarget_) : 100;
      overlayText_ = SeekProgressLabel(seekTo_.value_or(replayTarget_), percent);
      overlayUntil_ = now + 1000;
      Redraw();
    }
  }
  void EndReplay(std::uint32_t tick) override {
    EnginePlatform::EndReplay(tick);
    replayBegun_ = 0;
    overlayText_ = SeekLabel(tick - ReplayFirstTick());
    overlayUntil_ = SDL_GetTicks64() + 1000;
  }

  // Takes the seek keys at the head of the queue and leaves every other event
  // where it is: a key before them (a pause, a quit) must still come first.
  void TakeSeekKeysWhileReplaying() {
    SDL_PumpEvents();
    SDL_Event events[64];
    const int n = SDL_PeepEvents(events, 64, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    int seeks = 0;
    for (int i = 0; i < n; ++i) {
      if (events[i].type == SDL_KEYUP) continue;
      if (events[i].type != SDL_KEYDOWN) break;
      const std::optional<KeyAction> action = ActionOf(events[i].key.keysym);
      if (!action || !IsSeekAction(*action)) break;
      ++seeks;
    }
    SDL_Event keys[64];
    const int taken = SDL_PeepEvents(keys, seeks, SDL_GETEVENT, SDL_KEYDOWN, SDL_KEYDOWN);
    for (int i = 0; i < taken; ++i) {
      const std::optional<KeyAction> action = ActionOf(keys[i].key.keysym);
      if (!action || closing_ || quitAsked_) continue;
      if (const std::optional<std::uint32_t> to = SeekTarget(SeekKeyOf(*action), seekTo_.value_or(replayTarget_)))
        seekTo_ = to;
    }
  }

  void PhaseStarted(Phase phase, const char*) override { closing_ = phase == Phase::Closing; }
  void UseFrameBuffer(const Picture& frame) override { frame_ = &frame; }

  bool OpenDevice() override {
    if (!window_) return false;
    const Uint32 vsync = options_.pacing ? SDL_RENDERER_PRESENTVSYNC : 0;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | vsync);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) {
      std::fprintf(stderr, "zintavel: no renderer: %s\n", SDL_GetError());
      return false;
    }
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    if (std::strcmp(info.name, "software") == 0 && (info.flags & SDL_RENDERER_PRESENTVSYNC)) {
      // SDL only imitates vsync here, in whole milliseconds; we sleep more precisely.
      SDL_RenderSetVSync(renderer_, 0);
      SDL_GetRendererInfo(renderer_, &info);
    }
    if (!options_.pacing) pacing_ = Pacing::Off;
    else if (info.flags & SDL_RENDERER_PRESENTVSYNC) pacing_ = Pacing::Vsync;
    else pacing_ = Pacing::Sleep;
    ReadRefreshRate();
    return true;
  }

  bool SetMode(std::int32_t width, std::int32_t height, std::int32_t depth) override {
    if (options_.depth && *options_.depth != depth) return false;
    if (options_.forceDoubling && width <= 320) return false;
    SDL_Texture* texture = SDL_CreateTexture(renderer_, FormatOf(depth), SDL_TEXTUREACCESS_STREAMING, width, height);
    if (!texture) return false;
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = texture;
    width_ = width, height_ = height, depth_ = depth;
    return true;
  }

  bool CreateSurfaces() override {
    if (!texture_) return false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_, &info);
    std::string pacing;
    switch (pacing_) {
      case Pacing::Off: pacing = "no pacing (--no-pacing)"; break;
      case Pacing::Vsync: pacing = "vsync at " + std::to_string(refreshHz_) + " Hz"; break;
      case Pacing::Sleep: pacing = "no vsync, paced by sleeping to " + std::to_string(refreshHz_) + " Hz"; break;
    }
    std::fprintf(stderr, "zintavel: renderer %s, mode %dx%d at %d bits%s, %s\n", info.name, width_, height_, depth_,
                 width_ > 320 ? " (doubled)" : "", pacing.c_str());
    return true;
  }

  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    void* p = nullptr;
    int bytes = 0;
    if (!texture_ || SDL_LockTexture(texture_, nullptr, &p, &bytes) != 0) return false;
    pixels = static_cast<std::uint8_t*>(p);
    pitch = bytes;
    return true;
  }

  bool Unlock() override {
    if (!texture_) return false;
    SDL_UnlockTexture(texture_);
    return true;
  }

  bool Flip() override {
    NotePresent(firstTick_);
    if (!renderer_ || !texture_) return false;
    if (!warned_) {
      warned_ = true;
      if (options_.warning && !InvisibleDriver()) ShowWarningCard();
    }
    const bool ok = Draw();
    if (pacing_ == Pacing::Sleep) {
      const std::int64_t at = pacer_.PresentAt(NowNs());
      std::this_thread::sleep_until(std::chrono::steady_clock::time_point(std::chrono::nanoseconds(at)));
    }
    SDL_RenderPresent(renderer_);
    ExpireSilentNotice();
    lastPresentTick_ = TickCount();
    if (frames_++ == 0) firstPresentTick_ = lastPresentTick_;
    if (pacing_ == Pacing::Vsync && vsyncCheck_.Ineffective(NowNs())) {
      std::fprintf(stderr, "zintavel: vsync does not hold (%d frames a second at %d Hz), pacing by sleeping\n",
                   vsyncCheck_.LastCount(), refreshHz_);
      pacing_ = Pacing::Sleep;
    }
    return ok;
  }

  void CloseDevice() override {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    texture_ = nullptr;
    renderer_ = nullptr;
  }

 protected:
  bool OpenSoundDevice() override {
    if (options_.mute || noDisplay_) return true;  // without a display the program ends before a sound
    // Probing the drivers in SDL's order makes the sound libraries talk; the
    // user who names a driver sees everything.
    QuietStderr quiet(!Chosen("SDL_AUDIODRIVER"));
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      quiet.Restore();
      return SoundFailed(SDL_GetError());
    }
    SDL_AudioSpec want{}, have{};
    want.freq = AudioEngine::Rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = [](void* user, Uint8* stream, int len) {
      auto* self = static_cast<SdlPlatform*>(user);
      float* out = reinterpret_cast<float*>(stream);
      const std::size_t frames = static_cast<std::size_t>(len) / (2 * sizeof(float));
      self->engine_.Render(out, frames);
      // The viewer's volume, after the mix: the mix runs on as it would, muted or not.
      const float gain = self->gain_.load();
      if (gain != 1.0f)
        for (std::size_t i = 0; i < 2 * frames; ++i) out[i] *= gain;
    };
    want.userdata = this;
    if (options_.startMuted) {
      volume_.muted = true;
      gain_.store(volume_.Gain());
    }
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    quiet.Restore();
    if (device_ == 0) return SoundFailed(SDL_GetError());
    return true;
  }
  bool MixHeard() override { return device_ != 0; }
  bool SeeksLive() override { return device_ != 0; }
  void HoldSoundDevice(bool hold) override {
    if (device_ && soundStarted_) SDL_PauseAudioDevice(device_, hold || clock_.Paused() ? 1 : 0);
  }
  void StartSoundDevice() override {
    soundStarted_ = true;
    if (device_ && !clock_.Paused()) SDL_PauseAudioDevice(device_, 0);
  }
  void CloseSoundDevice() override {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    soundStarted_ = false;
  }
  void LockSound() override {
    if (device_) SDL_LockAudioDevice(device_);
  }
  void UnlockSound() override {
    if (device_) SDL_UnlockAudioDevice(device_);
  }

 private:
  // The closing fade always follows a quit request, so Escape or a close
  // request during it is the viewer asking again: end it at once, as a
  // second signal does.
  void AskedAgain() {
    if (closing_) hurry_ = true;
  }

  // Without a device the show plays on silently, as media players do: the
  // sound calls still succeed and drive the mixer, which nothing listens to.
  bool SoundFailed(const char* why) {
    std::fprintf(stderr, "zintavel: no sound device (%s): playing without sound\n", why);
    silentUntil_ = SDL_GetTicks64() + SilentNoticeMs;
    SetTitle();
    return true;
  }

  // The title says "paused" while paused and "no sound" for a while after a
  // device failed to open.
  void SetTitle() {
    if (!window_) return;
    std::string title = "Zintavel";
    if (silentUntil_ != 0) title += " (no sound device)";
    if (clock_.Paused()) title += " (paused)";
    SDL_SetWindowTitle(window_, title.c_str());
  }

  void ExpireSilentNotice() {
    if (silentUntil_ == 0 || SDL_GetTicks64() < silentUntil_) return;
    silentUntil_ = 0;
    SetTitle();
  }

  // The frame, and over it, where the picture is, the overlay if one is given.
  bool Draw(SDL_Texture* overlay = nullptr) {
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const PictureRect r = PlacePicture(width_, height_, ow, oh, options_.fit);
    const SDL_Rect dest{r.x, r.y, r.w, r.h};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const bool ok = SDL_RenderCopy(renderer_, texture_, nullptr, &dest) == 0;
    if (overlay) SDL_RenderCopy(renderer_, overlay, nullptr, &dest);
    if (overlayUntil_ && SDL_GetTicks64() < overlayUntil_) DrawOverlay(r);
    return ok;
  }

  // The time and phase after a seek, over the picture's top left corner.
  void DrawOverlay(const PictureRect& picture) {
    const int scale = std::max(1, picture.w / 320);
    const int x = picture.x + 6 * scale, y = picture.y + 6 * scale;
    const PictureRect box = TextBox(overlayText_, x, y, scale);
    const SDL_Rect back{box.x, box.y, box.w, box.h};
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 170);
    SDL_RenderFillRect(renderer_, &back);
    SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
    for (const PictureRect& p : TextRects(overlayText_, x, y, scale)) {
      const SDL_Rect lit{p.x, p.y, p.w, p.h};
      SDL_RenderFillRect(renderer_, &lit);
    }
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  }

  static bool IsSeekAction(KeyAction action) {
    switch (action) {
      case KeyAction::Back5: case KeyAction::Forward5: case KeyAction::Back60: case KeyAction::Forward60:
      case KeyAction::Start: case KeyAction::PreviousPhase: case KeyAction::NextPhase: return true;
      default: return false;
    }
  }

  static SeekKey SeekKeyOf(KeyAction action) {
    switch (action) {
      case KeyAction::Back5: return SeekKey::Back5;
      case KeyAction::Forward5: return SeekKey::Forward5;
      case KeyAction::Back60: return SeekKey::Back60;
      case KeyAction::Forward60: return SeekKey::Forward60;
      case KeyAction::Start: return SeekKey::Start;
      case KeyAction::PreviousPhase: return SeekKey::PreviousPhase;
      default: return SeekKey::NextPhase;
    }
  }

  // The key table's names as SDL key codes, once: a binding with Alt is looked
  // for first, so Alt+Enter is not taken for a plain key.
  struct Binding {
    SDL_Keycode key;
    bool alt;
    KeyAction action;
  };
  static std::vector<Binding> MakeBindings() {
    std::vector<Binding> out;
    for (int k = 0; k < PlayerKeyCount; ++k) {
      for (int n = 0; n < 4 && PlayerKeys[k].keys[n]; ++n) {
        const char* name = PlayerKeys[k].keys[n];
        const bool alt = std::strncmp(name, "Alt+", 4) == 0;
        const SDL_Keycode code = SDL_GetKeyFromName(alt ? name + 4 : name);
        if (code == SDLK_UNKNOWN) continue;
        out.push_back({code, alt, PlayerKeys[k].action});
        // Enter on the keypad does what Enter does.
        if (code == SDLK_RETURN) out.push_back({SDLK_KP_ENTER, alt, PlayerKeys[k].action});
      }
    }
    return out;
  }
  std::optional<KeyAction> ActionOf(const SDL_Keysym& sym) const {
    const bool alt = (sym.mod & KMOD_ALT) != 0;
    for (const bool withAlt : {true, false}) {
      if (withAlt && !alt) continue;
      for (const Binding& b : bindings_)
        if (b.key == sym.sym && b.alt == withAlt) return b.action;
    }
    return std::nullopt;
  }

  // A line over the picture for a second, like the seek label.
  void ShowOverlay(const std::string& text) {
    overlayText_ = text;
    overlayUntil_ = SDL_GetTicks64() + 1000;
    if (clock_.Paused()) Redraw();
  }

  void Screenshot() {
    const Picture* frame = frame_;
    if (!frame || !renderer_) return;
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const PictureRect r = PlacePicture(320, 240, ow, oh, options_.fit);
    std::string written, error;
    const std::uint32_t at = ShowTimeNow();
    if (SaveScreenshot(*frame, r.w, r.h, at, ScreenshotDirectories(), written, error)) {
      std::fprintf(stderr, "zintavel: the frame at %s saved as %s\n", SeekLabel(at).c_str(), written.c_str());
      ShowOverlay("SAVED " + ScreenshotShownName(written));
    } else {
      std::fprintf(stderr, "zintavel: %s\n", error.c_str());
      ShowOverlay("FRAME NOT SAVED");
    }
  }

  bool InvisibleDriver() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && (SDL_strcasecmp(driver, "offscreen") == 0 || SDL_strcasecmp(driver, "dummy") == 0);
  }

  // The desktop entry's icon, made the same way from the presentation's title
  // card; none when the card is missing (loading says so later).
  void SetIcon() {
    struct stat s;
    const std::string& card = options_.cardPicture;
    if (card.empty()) return;
    if (::stat(card.c_str(), &s) != 0) return;
    auto picture = std::make_unique<Picture>();
    SpriteBox box;
    QuietStderr quiet(true);  // a broken card is told once, by loading
    const bool loaded = LoadPcxPicture(card.c_str(), *picture, box, ScreenWidth, ScreenHeight);
    quiet.Restore();
    if (!loaded) return;
    constexpr int Size = 64;
    std::vector<Pixel> icon = MakeIcon(*picture, Size);
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(icon.data(), Size, Size, 32, Size * 4, SDL_PIXELFORMAT_RGB888);
    if (!surface) return;
    SDL_SetWindowIcon(window_, surface);
    SDL_FreeSurface(surface);
  }

  // The card's own keys first (they mean other things during the show), then
  // the show's bindings for full screen, mute and quit.
  static CardKey CardKeyOf(const SDL_Keysym& sym, std::optional<KeyAction> action) {
    switch (sym.sym) {
      case SDLK_UP: return CardKey::Up;
      case SDLK_DOWN: case SDLK_TAB: return CardKey::Down;
      case SDLK_LEFT: return CardKey::ChangeBack;
      case SDLK_RIGHT: case SDLK_SPACE: return CardKey::Change;
      case SDLK_f: return CardKey::ScreenKey;
      case SDLK_d: return CardKey::DisplayKey;
      case SDLK_g: return CardKey::GentleKey;
      case SDLK_s: return CardKey::SoundKey;
      default: break;
    }
    if (action == KeyAction::FullScreen) return CardKey::ScreenKey;
    if (action == KeyAction::Mute) return CardKey::SoundKey;
    if (action == KeyAction::Quit) return CardKey::Quit;
    if (sym.sym == SDLK_RETURN || sym.sym == SDLK_KP_ENTER) return CardKey::Start;
    return CardKey::Other;
  }

  // The card's row under a point of the window, or -1.
  int CardRowAt(int wx, int wy) {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (ww <= 0 || wh <= 0) return -1;
    const PictureRect r = PlacePicture(width_, height_, ow, oh, options_.fit);
    const long px = static_cast<long>(wx) * ow / ww, py = static_cast<long>(wy) * oh / wh;
    if (r.w <= 0 || r.h <= 0 || px < r.x || px >= r.x + r.w || py < r.y || py >= r.y + r.h) return -1;
    return static_cast<int>((py - r.y) * ScreenHeight / r.h);
  }

  // A choice made on the card, carried out at once.
  void ApplyCardChoice(CardLine line, const SetupChoices& c) {
    switch (line) {
      case CardLine::Screen:
        if (FullScreenNow() != c.fullScreen) ToggleFullScreen();
        break;
      case CardLine::Display: MoveToDisplay(c.display); break;
      case CardLine::Gentle:
        gentle_ = c.gentle;
        if (options_.gentleSet) options_.gentleSet(c.gentle);
        std::fprintf(stderr, "zintavel: gentle mode %s (the set-up card)\n", c.gentle ? "on" : "off");
        break;
      case CardLine::Sound:
        volume_.muted = !c.sound;
        gain_.store(volume_.Gain());
        break;
      case CardLine::Start: break;
    }
  }

  // Holds the clock and shows the card over the first frame until the show
  // is started (a key, a click on Start, or the card's time while nothing was
  // changed), a close request or a signal. Escape or a close request ends the
  // program at once. What was chosen is kept for next time.
  void ShowWarningCard() {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(ScreenWidth) * ScreenHeight);
    SDL_Texture* overlay =
        SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, ScreenWidth, ScreenHeight);
    if (!overlay) return;
    SDL_SetTextureBlendMode(overlay, SDL_BLENDMODE_BLEND);
    CardState card;
    card.choices.fullScreen = FullScreenNow();
    card.displays = std::max(1, SDL_GetNumVideoDisplays());
    card.choices.display = std::max(0, SDL_GetWindowDisplayIndex(window_));
    card.choices.gentle = gentle_;
    card.soundAvailable = device_ != 0;
    card.choices.sound = device_ != 0 && !volume_.muted;
    const SetupChoices before = card.choices;
    CardLayout layout;
    clock_.Pause(SDL_GetTicks64());
    const Uint64 end = SDL_GetTicks64() + WarningCardSeconds * 1000;
    bool dirty = true;
    for (bool done = false; !done && Interrupts == interruptsSeen_;) {
      const Uint64 now = SDL_GetTicks64();
      if (card.counting) {
        if (now >= end) break;
        const int left = static_cast<int>((end - now + 999) / 1000);
        dirty = dirty || left != card.secondsLeft;
        card.secondsLeft = left;
      }
      if (dirty) {
        if (!options_.cardFont || !DrawWarningCard(*options_.cardFont, card, pixels.data(), &layout)) break;
        SDL_UpdateTexture(overlay, nullptr, pixels.data(), ScreenWidth * 4);
        dirty = false;
      }
      Draw(overlay);
      SDL_RenderPresent(renderer_);
      SDL_Event e;
      if (!SDL_WaitEventTimeout(&e, 100)) continue;
      CardResult result;
      if (e.type == SDL_KEYDOWN) {
        const std::optional<KeyAction> action = ActionOf(e.key.keysym);
        const CardKey key = CardKeyOf(e.key.keysym, action);
        // Held keys repeat only to move between lines.
        if (e.key.repeat && key != CardKey::Up && key != CardKey::Down) continue;
        result = PressOnCard(card, key);
        if (result.outcome == CardOutcome::Quit) {
          hurry_ = true;  // the closing that follows ends at once
          SDL_PushEvent(&e);
        }
      } else if (e.type == SDL_MOUSEBUTTONDOWN && e.button.button == SDL_BUTTON_LEFT) {
        const int row = CardRowAt(e.button.x, e.button.y);
        if (row >= 0) result = ClickOnCard(card, layout, row);
      } else if (e.type == SDL_MOUSEMOTION) {
        const int row = CardRowAt(e.motion.x, e.motion.y);
        for (int i = 0; row >= 0 && i < CardLineCount; ++i)
          if (row >= layout.top[i] && row < layout.bottom[i] && card.selected != static_cast<CardLine>(i))
            card.selected = static_cast<CardLine>(i), dirty = true;
      } else if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
        hurry_ = true;
        SDL_PushEvent(&e);
        result.outcome = CardOutcome::Quit;
      }
      switch (result.outcome) {
        case CardOutcome::Nothing: break;
        case CardOutcome::Moved: dirty = true; break;
        case CardOutcome::Changed:
          ApplyCardChoice(result.line, card.choices);
          dirty = true;
          break;
        case CardOutcome::Start:
        case CardOutcome::Quit: done = true; break;
      }
    }
    SDL_DestroyTexture(overlay);
    KeepChoices(before, card);
    clock_.Resume(SDL_GetTicks64());
  }

  // The card's choices written for next time, when they changed or were never kept.
  void KeepChoices(const SetupChoices& before, const CardState& card) {
    if (options_.choicesPath.empty()) return;
    SetupChoices kept = card.choices;
    if (!card.soundAvailable) kept.sound = !options_.startMuted;  // not chosen here: keep what was kept
    struct stat st;
    if (kept == before && ::stat(options_.choicesPath.c_str(), &st) == 0) return;
    std::string error;
    if (!WriteSetupChoices(options_.choicesPath, kept, error)) std::fprintf(stderr, "zintavel: %s\n", error.c_str());
  }

  // The window onto another display, keeping full screen or window.
  void MoveToDisplay(int screen) {
    if (!window_ || screen < 0 || screen >= SDL_GetNumVideoDisplays()) return;
    const bool full = FullScreenNow();
    if (full) SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(screen), SDL_WINDOWPOS_CENTERED_DISPLAY(screen));
    if (full) FullScreenOn(screen);
    ReadRefreshRate();
  }

  // The last frame again, for a paused window that was exposed or resized.
  void Redraw() {
    if (!renderer_ || !texture_) return;
    Draw();
    SDL_RenderPresent(renderer_);
  }

  void Pause() {
    if (clock_.Paused()) return;
    clock_.Pause(SDL_GetTicks64());
    if (device_ && soundStarted_) SDL_PauseAudioDevice(device_, 1);
    SetTitle();
  }

  void Resume() {
    if (!clock_.Paused()) return;
    clock_.Resume(SDL_GetTicks64());
    if (device_ && soundStarted_) SDL_PauseAudioDevice(device_, 0);
    SetTitle();
  }

  void ToggleFullScreen() {
    if (!window_) return;
    if (FullScreenNow()) {
      SDL_SetWindowFullscreen(window_, 0);
      // A window begun full screen would come back at the desktop's size.
      SDL_SetWindowSize(window_, windowedScale_ * 320, windowedScale_ * 240);
      const int screen = std::max(0, SDL_GetWindowDisplayIndex(window_));
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(screen), SDL_WINDOWPOS_CENTERED_DISPLAY(screen));
    } else {
      FullScreenOn(std::max(0, SDL_GetWindowDisplayIndex(window_)));
    }
    if (clock_.Paused()) Redraw();
  }

  bool FullScreenNow() const { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0; }

  // Full screen on a display: sized and placed first, as at start-up, for
  // want of a window manager.
  void FullScreenOn(int screen) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(screen, &bounds) == 0) {
      SDL_SetWindowPosition(window_, bounds.x, bounds.y);
      SDL_SetWindowSize(window_, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }

  void ReadRefreshRate() {
    SDL_DisplayMode mode{};
    const int screen = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
    refreshHz_ = SDL_GetCurrentDisplayMode(screen, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
    pacer_ = FramePacer(RefreshPeriodNs(refreshHz_));
    vsyncCheck_ = VsyncCheck(refreshHz_);
  }

  SdlOptions options_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int width_ = 0, height_ = 0, depth_ = 0;
  int windowedScale_ = 3;
  SDL_AudioDeviceID device_ = 0;
  static constexpr Uint64 SilentNoticeMs = 8000;
  bool soundStarted_ = false, noDisplay_ = false;
  Uint64 silentUntil_ = 0;
  std::uint32_t firstTick_ = 0;
  unsigned long frames_ = 0;
  std::uint32_t firstPresentTick_ = 0, lastPresentTick_ = 0;
  PlayerClock clock_;
  Pacing pacing_ = Pacing::Sleep;
  int refreshHz_ = 60;
  FramePacer pacer_{RefreshPeriodNs(60)};
  VsyncCheck vsyncCheck_{60};
  sig_atomic_t interruptsSeen_ = 0;
  bool closing_ = false, hurry_ = false, ranOut_ = false;
  SavedStopSignals savedSignals_;
  std::optional<std::uint32_t> seekTo_;  // asked, not yet taken by the show
  std::string overlayText_;
  std::uint64_t replayBegun_ = 0, replayPolled_ = 0;  // SDL ticks of the seek under way
  std::uint32_t replayTarget_ = 0;
  std::uint64_t overlayUntil_ = 0;       // SDL ticks; 0: no overlay
  bool warned_ = false;
  bool gentle_ = options_.gentle;
  bool quitAsked_ = false;                // an Escape or close request went to the show
  const Picture* frame_ = nullptr;        // the FrameBuffer, as the scenes drew it
  std::vector<Binding> bindings_ = MakeBindings();
  Volume volume_;
  std::atomic<float> gain_{1.0f};         // volume_'s gain, read by the sound thread
};

}  // namespace

std::unique_ptr<EnginePlatform> MakeSdlPlatform(const SdlOptions& options) {
  return std::make_unique<SdlPlatform>(options);
}

bool ShowErrorBox(const std::string& text) {
  return SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Zintavel", text.c_str(), nullptr) == 0;
}
