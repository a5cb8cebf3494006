// A platform for tests: a scripted clock, a log of every call in order, and
// switches for what succeeds. The clock moves only at a present, by `step` ms
// (like the recording backend), from `start`.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

class FakePlatform : public Platform {
 public:
  std::uint32_t now = 0;
  std::uint32_t step = 10;
  std::vector<std::string> calls;
  // Which display modes exist: (width, height, depth).
  std::set<std::tuple<int, int, int>> modes = {{320, 240, 32}};
  bool lockWorks = false;  // conversions are tested on their own; skip them here
  std::uint32_t version = SoundVersion;
  bool initWorks = true, musicLoads = true;
  // Raise Escape in the pump after the present at which this returns true.
  std::function<bool(std::uint32_t presents, std::uint32_t now)> quitWhen = [](std::uint32_t, std::uint32_t) { return false; };
  std::uint32_t presents = 0;
  bool prepareSeeks = false;  // checkpoints and the run ahead, as the live players have them
  std::vector<int> phases;
  std::vector<std::uint32_t> volumes;

  std::uint32_t TickCount() override { return now; }
  bool PrepareSeeks() override { return prepareSeeks; }
  bool CreateWindow() override { return Log("CreateWindow"), true; }
  bool NextEvent(WindowEvent& e) override {
    if (!pendingQuit_) return false;
    pendingQuit_ = false;
    e = WindowEvent::EscapeKey;
    return true;
  }
  void ShowCursor(bool show) override { Log(show ? "ShowCursor(1)" : "ShowCursor(0)"); }
  void ShowMessageBox(const char* caption, const char* text) override {
    Log(std::string("MessageBox(") + caption + ", " + text + ")");
  }
  void DebugString(const char* text) override { Log(std::string("Debug(") + text + ")"); }
  bool OpenDevice() override { return Log("OpenDevice"), true; }
  bool SetMode(std::int32_t w, std::int32_t h, std::int32_t d) override {
    Log("SetMode(" + std::to_string(w) + "x" + std::to_string(h) + "x" + std::to_string(d) + ")");
    return modes.count({w, h, d}) > 0;
  }
  bool CreateSurfaces() override { return Log("CreateSurfaces"), true; }
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    if (!lockWorks) return false;
    surface.assign(640 * 4 * 480 + 64, 0);
    pixels = surface.data();
    pitch = 640 * 4;
    return true;
  }
  bool Unlock() override { return true; }
  bool Flip() override {
    ++presents;
    now += step;
    if (quitWhen(presents, now)) pendingQuit_ = true;
    return true;
  }
  void CloseDevice() override { Log("CloseDevice"); }

  std::uint32_t SoundGetVersion() override { return Log("GetVersion"), version; }
  bool SoundInit(std::int32_t d, std::int32_t f, std::uint32_t fl) override {
    Log("Init(" + std::to_string(d) + "," + std::to_string(f) + "," + std::to_string(fl) + ")");
    return initWorks;
  }
  MusicHandle MusicLoad(const std::string& file, std::uint32_t flags) override {
    Log("MusicLoad(" + Tail(file) + "," + std::to_string(flags) + ")");
    return musicLoads ? 1 : 0;
  }
  void MusicSetPositionScaler(MusicHandle m, std::uint32_t s) override {
    Log("PositionScaler(" + std::to_string(m) + "," + std::to_string(s) + ")");
  }
  bool SoundStart() override { return Log("Start"), true; }
  StreamHandle StreamCreateFile(const std::string& file, std::uint32_t flags) override {
    Log("StreamCreate(" + Tail(file) + "," + std::to_string(flags) + ")");
    return 2;
  }
  bool StreamPlay(StreamHandle s, bool flush, std::uint32_t flags) override {
    Log("StreamPlay(" + std::to_string(s) + "," + std::to_string(flush) + "," + std::to_string(flags) + ")");
    return true;
  }
  bool StreamFree(StreamHandle s) override { return Log("StreamFree(" + std::to_string(s) + ")"), true; }
  bool MusicPlayEx(MusicHandle m, std::uint32_t pos, std::int32_t flags, bool reset) override {
    Log("MusicPlayEx(" + std::to_string(m) + "," + std::to_string(pos) + "," + std::to_string(flags) + "," +
        std::to_string(reset) + ")");
    return true;
  }
  bool SetVolume(std::uint32_t v) override {
    volumes.push_back(v);
    return true;
  }
  void SoundFree() override { Log("SoundFree"); }
  void PhaseStarted(Phase phase, const char*) override {
    phases.push_back(static_cast<int>(phase));
    Log("Phase(" + std::to_string(static_cast<int>(phase)) + ")");
  }

  // The calls whose names start with `prefix`.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& c : calls) {
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    }
    return out;
  }
  std::vector<std::uint8_t> surface;

 private:
  void Log(const std::string& c) { calls.push_back(c); }
  static std::string Tail(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
  bool pendingQuit_ = false;
};
