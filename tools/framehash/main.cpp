// zintavel-framehash: plays the presentation on a virtual clock with no window
// and no sound device and prints a hash of presented frames, so that two builds
// of the same code (native and WebAssembly, or the page) can be compared frame
// by frame. --start-at TIME starts the show there as the program's --start-at
// does (a replay on the virtual clock, at its frame rate); INDEX, TICK and
// --quit-at then count from the first frame shown.
//   zintavel-framehash frames DIR [--fps N] [--every N] [--quit-at MS] [--start-at TIME] [--kernels NAME]
// Output lines: "frame INDEX TICK HASH", the hash as 16 hex digits (FNV-1a over
// the surface's bytes, the unused top byte of each pixel included). stderr names
// the kernels that drew them; --kernels does what ZINTAVEL_KERNELS does (a
// WebAssembly build under node sees no environment).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/options.h"
#include "assets/loading.h"
#include "pixel/span_kernels.h"
#include "platform/platform.h"
#include "show/master_sequence.h"
#include "show/seek.h"

namespace {

std::uint64_t Fnv1a(const void* data, std::size_t size, std::uint64_t h = 0xcbf29ce484222325ull) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

// A 320x240x32 display whose presents are hashed; the clock moves only at a
// present, to index * 1000 / fps; sound calls succeed and play nothing.
class HashingPlatform : public Platform {
 public:
  HashingPlatform(std::uint32_t fps, std::uint32_t every, std::uint32_t quitAt)
      : fps_(fps), every_(every), quitAt_(quitAt) {}

  std::uint32_t TickCount() override { return now_; }
  bool CreateWindow() override { return true; }
  bool NextEvent(WindowEvent& e) override {
    if (!quitPending_ || quitRaised_) return false;
    quitRaised_ = true;
    e = WindowEvent::EscapeKey;
    return true;
  }
  void ShowCursor(bool) override {}
  void ShowMessageBox(const char* caption, const char* text) override {
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
  void DebugString(const char* text) override { std::fprintf(stderr, "%s\n", text); }
  bool OpenDevice() override { return true; }
  bool SetMode(std::int32_t w, std::int32_t h, std::int32_t d) override { return w == 320 && h == 240 && d == 32; }
  bool CreateSurfaces() override { return surface_.assign(320 * 240 * 4, 0), true; }
  bool Lock(std::uint8_t*& pixels, std::int32_t& pitch) override {
    pixels = surface_.data();
    pitch = 320 * 4;
    return true;
  }
  bool Unlock() override { return true; }
  bool Flip() override {
    if (index_ % every_ == 0) {
      std::printf("frame %u %u %016llx\n", index_, now_,
                  static_cast<unsigned long long>(Fnv1a(surface_.data(), surface_.size())));
    }
    ++index_;
    now_ = static_cast<std::uint32_t>(std::uint64_t{index_} * 1000 / fps_);
    if (now_ >= quitAt_) quitPending_ = true;
    return true;
  }
  void CloseDevice() override {}

  std::uint32_t SoundGetVersion() override { return SoundVersion; }
  bool SoundInit(std::int32_t, std::int32_t, std::uint32_t) override { return true; }
  MusicHandle MusicLoad(const std::string&, std::uint32_t) override { return 1; }
  void MusicSetPositionScaler(MusicHandle, std::uint32_t) override {}
  bool SoundStart() override { return true; }
  StreamHandle StreamCreateFile(const std::string&, std::uint32_t) override { return 2; }
  bool StreamPlay(StreamHandle, bool, std::uint32_t) override { return true; }
  bool StreamFree(StreamHandle) override { return true; }
  bool MusicPlayEx(MusicHandle, std::uint32_t, std::int32_t, bool) override { return true; }
  bool SetVolume(std::uint32_t) override { return true; }
  void SoundFree() override {}
  std::uint32_t ReplayFps() override { return fps_; }

 private:
  std::uint32_t fps_, every_, quitAt_;
  std::uint32_t now_ = 0, index_ = 0;
  bool quitPending_ = false, quitRaised_ = false;
  std::vector<std::uint8_t> surface_;
};

int Usage() {
  std::fputs("usage: zintavel-framehash frames DIR [--fps N] [--every N] [--quit-at MS] [--start-at TIME]"
             " [--kernels NAME]\n",
             stderr);
  return 2;
}

bool Number(const char* text, std::uint32_t& out) {
  char* end = nullptr;
  const unsigned long v = std::strtoul(text, &end, 10);
  if (!*text || *end || v == 0 || v > 100000000ul) return false;
  out = static_cast<std::uint32_t>(v);
  return true;
}

int Frames(int argc, char** argv) {
  std::uint32_t fps = 60, every = 1, quitAt = 120000;
  for (int i = 3; i < argc; i += 2) {
    if (i + 1 >= argc) return Usage();
    if (std::strcmp(argv[i], "--start-at") == 0) {
      const auto ms = ParseShowTime(argv[i + 1]);
      if (!ms) return Usage();
      StartAtMs = *ms;
      continue;
    }
    if (std::strcmp(argv[i], "--kernels") == 0) {
#ifdef _WIN32
      _putenv_s("ZINTAVEL_KERNELS", argv[i + 1]);
#else
      setenv("ZINTAVEL_KERNELS", argv[i + 1], 1);
#endif
      continue;
    }
    std::uint32_t* target = std::strcmp(argv[i], "--fps") == 0       ? &fps
                            : std::strcmp(argv[i], "--every") == 0   ? &every
                            : std::strcmp(argv[i], "--quit-at") == 0 ? &quitAt
                                                                     : nullptr;
    if (!target || !Number(argv[i + 1], *target)) return Usage();
  }
  std::fprintf(stderr, "zintavel-framehash: %s kernels\n", ActiveSpanKernels().name);
  PresentationDirectory = argv[2];
  HashingPlatform platform(fps, every, quitAt);
  ActivePlatform = &platform;
  const int code = MasterSequence();
  ActivePlatform = nullptr;
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "frames") == 0) return Frames(argc, argv);
  return Usage();
}
