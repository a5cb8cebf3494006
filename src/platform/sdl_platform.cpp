#include "platform/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

namespace {

Uint32 FormatOf(std::int32_t depth) {
  switch (depth) {
    case 32: return SDL_PIXELFORMAT_RGB888;  // XRGB8888
    case 24: return SDL_PIXELFORMAT_RGB24;   // red byte first
    case 16: return SDL_PIXELFORMAT_RGB565;
    case 15: return SDL_PIXELFORMAT_RGB555;
    default: return SDL_PIXELFORMAT_UNKNOWN;
  }
}

class SdlPlatform final : public EnginePlatform {
 public:
  explicit SdlPlatform(const SdlOptions& o) : options_(o) { SetQuitAt(o.quitAt); }
  ~SdlPlatform() override {
    CloseDevice();
    if (window_) SDL_DestroyWindow(window_);
    SDL_Quit();
  }

  std::uint32_t TickCount() override { return static_cast<std::uint32_t>(SDL_GetTicks()); }

  bool CreateWindow() override {
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
      std::fprintf(stderr, "zintavel: no display: %s\n", SDL_GetError());
      return false;
    }
    firstTick_ = TickCount();
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    const Uint32 flags = options_.window ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Full screen starts at the desktop's size too, so the window is right even
    // where no window manager carries out the full-screen request.
    int w = 3 * 320, h = 3 * 240;
    SDL_DisplayMode desktop;
    if (!options_.window && SDL_GetDesktopDisplayMode(0, &desktop) == 0) w = desktop.w, h = desktop.h;
    window_ = SDL_CreateWindow("Zintavel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (!window_) {
      std::fprintf(stderr, "zintavel: cannot create the window: %s\n", SDL_GetError());
      return false;
    }
    SDL_ShowWindow(window_);
    return true;
  }

  bool NextEvent(WindowEvent& event) override {
    if (TakeQuitRequest()) {
      event = WindowEvent::EscapeKey;
      return true;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return false;
    if (e.type == SDL_QUIT || (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
      event = WindowEvent::CloseRequest;
    } else if (e.type == SDL_KEYDOWN) {
      event = e.key.keysym.sym == SDLK_ESCAPE ? WindowEvent::EscapeKey : WindowEvent::OtherKey;
    } else {
      event = WindowEvent::Other;
    }
    return true;
  }

  void ShowCursor(bool show) override { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); }

  void ShowMessageBox(const char* caption, const char* text) override {
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, window_);
  }

  void DebugString(const char* text) override { std::fprintf(stderr, "zintavel: %s\n", text); }

  bool OpenDevice() override {
    if (!window_) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE | SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) {
      std::fprintf(stderr, "zintavel: no renderer: %s\n", SDL_GetError());
      return false;
    }
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
    std::fprintf(stderr, "zintavel: renderer %s, mode %dx%d at %d bits%s, vsync %s\n", info.name, width_, height_,
                 depth_, width_ > 320 ? " (doubled)" : "", (info.flags & SDL_RENDERER_PRESENTVSYNC) ? "on" : "off");
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
    int ow = 0, oh = 0;
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    const int scale = std::max(1, std::min(ow / width_, oh / height_));
    const SDL_Rect dest{(ow - width_ * scale) / 2, (oh - height_ * scale) / 2, width_ * scale, height_ * scale};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    const bool ok = SDL_RenderCopy(renderer_, texture_, nullptr, &dest) == 0;
    SDL_RenderPresent(renderer_);
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
    if (options_.mute) return true;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      std::fprintf(stderr, "zintavel: no sound: %s (--mute runs without it)\n", SDL_GetError());
      return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = AudioEngine::Rate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = [](void* user, Uint8* stream, int len) {
      static_cast<AudioEngine*>(user)->Render(reinterpret_cast<float*>(stream),
                                              static_cast<std::size_t>(len) / (2 * sizeof(float)));
    };
    want.userdata = &engine_;
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
      std::fprintf(stderr, "zintavel: no sound device: %s (--mute runs without it)\n", SDL_GetError());
      return false;
    }
    return true;
  }
  void StartSoundDevice() override {
    if (device_) SDL_PauseAudioDevice(device_, 0);
  }
  void CloseSoundDevice() override {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
  }
  void LockSound() override {
    if (device_) SDL_LockAudioDevice(device_);
  }
  void UnlockSound() override {
    if (device_) SDL_UnlockAudioDevice(device_);
  }

 private:
  SdlOptions options_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int width_ = 0, height_ = 0, depth_ = 0;
  SDL_AudioDeviceID device_ = 0;
  std::uint32_t firstTick_ = 0;
};

}  // namespace

std::unique_ptr<EnginePlatform> MakeSdlPlatform(const SdlOptions& options) {
  return std::make_unique<SdlPlatform>(options);
}
