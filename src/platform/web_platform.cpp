#include "platform/web_platform.h"

#include <emscripten.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

// The page's side of each call; all of them live in web/page.js.
EM_JS(std::uint32_t, zw_tick, (), { return Module.zintavel.tick() >>> 0; });
EM_JS(int, zw_next_event, (), { return Module.zintavel.nextEvent(); });
EM_JS(void, zw_message, (const char* caption, const char* text),
      { Module.zintavel.message(UTF8ToString(caption), UTF8ToString(text)); });
EM_JS(void, zw_cursor, (int show), { Module.zintavel.cursor(show !== 0); });
EM_JS(void, zw_present, (const std::uint8_t* pixels), { Module.zintavel.present(pixels); });
// Resumes at the next animation frame (and not before a pause ends).
EM_JS(void, zw_wait_frame, (), {
  Asyncify.handleSleep(function(wakeUp) { Module.zintavel.waitFrame(wakeUp); });
});
EM_JS(int, zw_sound_open, (), { return Module.zintavel.soundOpen() ? 1 : 0; });
EM_JS(int, zw_sound, (const char* op, const char* path, int a, int b),
      { return Module.zintavel.sound(UTF8ToString(op), path ? UTF8ToString(path) : "", a, b) ? 1 : 0; });
EM_JS(void, zw_phase, (int phase, const char* name), { Module.zintavel.phase(phase, UTF8ToString(name)); });

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
  std::uint32_t TickCount() override { return zw_tick(); }
  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& event) override {
    switch (zw_next_event()) {
      case 0: event = WindowEvent::CloseRequest; return true;
      case 1: event = WindowEvent::EscapeKey; return true;
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
    zw_present(surface_.data());
    zw_wait_frame();
    return true;
  }
  void CloseDevice() override { surface_.clear(); }

  std::uint32_t SoundGetVersion() override { return SoundVersion; }
  bool SoundInit(std::int32_t, std::int32_t frequency, std::uint32_t) override {
    return frequency == 44100 && zw_sound_open() != 0;
  }
  MusicHandle MusicLoad(const std::string& file, std::uint32_t flags) override {
    if (!Readable(file)) return 0;
    const int loop = (flags & MusicLoop) != 0, ramping = (flags & MusicRamping) != 0;
    return zw_sound("loadModule", file.c_str(), loop, ramping) ? TheMusic : 0;
  }
  void MusicSetPositionScaler(MusicHandle, std::uint32_t) override {}
  bool SoundStart() override { return true; }
  StreamHandle StreamCreateFile(const std::string& file, std::uint32_t) override {
    if (!Readable(file)) return 0;
    return zw_sound("loadStream", file.c_str(), 0, 0) ? TheStream : 0;
  }
  bool StreamPlay(StreamHandle stream, bool, std::uint32_t) override {
    return stream == TheStream && zw_sound("playStream", nullptr, 0, 0);
  }
  bool StreamFree(StreamHandle stream) override {
    return stream == TheStream && zw_sound("freeStream", nullptr, 0, 0);
  }
  bool MusicPlayEx(MusicHandle music, std::uint32_t, std::int32_t, bool) override {
    return music == TheMusic && zw_sound("playModule", nullptr, 0, 0);
  }
  bool SetVolume(std::uint32_t volume) override {
    return volume <= 100 && zw_sound("volume", nullptr, static_cast<int>(volume), 0);
  }
  void SoundFree() override { zw_sound("free", nullptr, 0, 0); }
  void PhaseStarted(int phase, const char* name) override { zw_phase(phase, name); }

 private:
  static constexpr MusicHandle TheMusic = 1;
  static constexpr StreamHandle TheStream = 2;
  std::vector<std::uint8_t> surface_;
};

}  // namespace

std::unique_ptr<Platform> MakeWebPlatform() { return std::make_unique<WebPlatform>(); }
