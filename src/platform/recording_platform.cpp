#include "platform/recording_platform.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/png_file.h"

namespace {

class RecordingPlatform final : public EnginePlatform {
 public:
  explicit RecordingPlatform(const RecordingOptions& o) : options_(o) {
    SetQuitAt(o.quitAt);
    wallStart_ = std::chrono::steady_clock::now();
    lastReport_ = wallStart_;
  }

  std::uint32_t TickCount() override {
    const std::uint64_t ms = static_cast<std::uint64_t>(presented_) * 1000 / options_.fps;
    return static_cast<std::uint32_t>(options_.startTick + ms);
  }

  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& event) override {
    if (!TakeQuitRequest()) return false;
    event = WindowEvent::EscapeKey;
    return true;
  }
  void ShowCursor(bool) override {}
  void ShowMessageBox(const char*, const char*) override {}  // the line is on stderr already
  void DebugString(const char* text) override { std::fprintf(stderr, "zintavel: %s\n", text); }

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
    std::fprintf(stderr, "zintavel: recording to %s, mode %dx%d at %d bits%s, %u frames a second\n",
                 options_.directory.c_str(), width_, height_, depth_, width_ > 320 ? " (doubled)" : "", options_.fps);
    return true;
  }
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    pixels = surface_.data();
    pitch = pitch_;
    return true;
  }
  bool Unlock() override { return true; }
  bool Flip() override {
    bool ok = true;
    if (presented_ % options_.every == 0) ok = WriteFrame();
    ++presented_;
    CatchUpSound();
    NotePresent(options_.startTick);
    Report(false);
    return ok;
  }
  void CloseDevice() override { surface_.clear(); }

  void PhaseStarted(int, const char* name) override {
    phaseName_ = name;
    Report(true);
  }

 protected:
  bool OpenSoundDevice() override { return true; }
  void StartSoundDevice() override {
    CatchUpSound();
    started_ = true;
  }
  void CloseSoundDevice() override {
    if (!started_) return;  // a run that failed before its sound started has none to write
    CatchUpSound();
    const std::string path = options_.directory + "/audio.wav";
    if (WriteWavFile(path, mix_)) {
      std::fprintf(stderr, "zintavel: wrote %s (%.1f s of sound)\n", path.c_str(), mix_.size() / 2.0 / AudioEngine::Rate);
    }
  }
  // Mixes up to the sample the virtual clock has reached.
  void CatchUpSound() override {
    const std::uint32_t elapsed = TickCount() - options_.startTick;
    const std::uint64_t target = static_cast<std::uint64_t>(elapsed) * AudioEngine::Rate / 1000;
    const std::uint64_t have = mix_.size() / 2;
    if (target <= have) return;
    const std::size_t frames = static_cast<std::size_t>(target - have);
    const std::size_t at = mix_.size();
    mix_.resize(at + 2 * frames, 0.0f);
    if (started_ && soundOpen_) engine_.Render(mix_.data() + at, frames);
  }

 private:
  bool WriteFrame() {
    std::vector<std::uint32_t> rgb(static_cast<std::size_t>(width_) * height_);
    for (int y = 0; y < height_; ++y) {
      const std::uint8_t* row = surface_.data() + static_cast<std::size_t>(y) * pitch_;
      for (int x = 0; x < width_; ++x) rgb[y * width_ + x] = Decode(row, x);
    }
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06u.png", presented_);
    return WritePngFile(options_.directory + name, width_, height_, rgb.data());
  }

  // The surface pixel back as 0x00RRGGBB, low bits of narrow formats filled.
  std::uint32_t Decode(const std::uint8_t* row, int x) const {
    switch (depth_) {
      case 32: {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v & 0x00FFFFFF;
      }
      case 24: return std::uint32_t{row[3 * x]} << 16 | std::uint32_t{row[3 * x + 1]} << 8 | row[3 * x + 2];
      default: {
        const std::uint32_t w = row[2 * x] | row[2 * x + 1] << 8;
        std::uint32_t r, g, b;
        if (depth_ == 16) r = (w >> 11) & 31, g = (w >> 5) & 63, b = w & 31;
        else r = (w >> 10) & 31, g = ((w >> 5) & 31) << 1, b = w & 31;
        return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
      }
    }
  }

  void Report(bool force) {
    const auto now = std::chrono::steady_clock::now();
    if (!force && now - lastReport_ < std::chrono::seconds(5)) return;
    lastReport_ = now;
    const double wall = std::chrono::duration<double>(now - wallStart_).count();
    const double virtualSeconds = (TickCount() - options_.startTick) / 1000.0;
    std::fprintf(stderr, "zintavel: recording %s, %.1f s, %.1fx real time\n", phaseName_, virtualSeconds,
                 wall > 0 ? virtualSeconds / wall : 0.0);
  }

  RecordingOptions options_;
  std::uint32_t presented_ = 0;
  int width_ = 0, height_ = 0, depth_ = 0, pitch_ = 0;
  std::vector<std::uint8_t> surface_;
  std::vector<float> mix_;
  bool started_ = false;
  const char* phaseName_ = "start-up";
  std::chrono::steady_clock::time_point wallStart_, lastReport_;
};

}  // namespace

std::unique_ptr<EnginePlatform> MakeRecordingPlatform(const RecordingOptions& options) {
  return std::make_unique<RecordingPlatform>(options);
}
