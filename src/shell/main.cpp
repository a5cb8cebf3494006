// zintavel: the demo. See --help.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "assets/loading.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"
#include "shell/master_sequence.h"

namespace {

constexpr int BadCommandLine = 2;

const char* const Help =
    "usage: zintavel [options]\n"
    "Plays the Zintavel demo full screen with its music; Escape or closing the window\n"
    "ends it after a ten-second closing fade. Warning: it flashes.\n"
    "\n"
    "  --dir DIR         run in the presentation directory DIR (holding data/, tune.it and\n"
    "                    intro.mp3); default: the working directory when it holds data/,\n"
    "                    else the one the build generated\n"
    "  --window          a resizable window instead of full screen\n"
    "  --depth N         use only display depth N (32, 24, 16 or 15)\n"
    "  --double          use only the doubled 640x480 mode\n"
    "  --mute            open no sound device\n"
    "  --record DIR      no window, no sound device: a virtual clock, every frame to\n"
    "                    DIR/frame-NNNNNN.png and the sound to DIR/audio.wav\n"
    "  --fps N           frames a second of the virtual clock (default 60)\n"
    "  --every N         write only every Nth frame (default 1)\n"
    "  --quit-at MS      ask to quit once the clock has run MS ms\n"
    "  --start-tick T    the virtual clock's first value (default 0)\n"
    "  --help, --version\n";

bool IsDirectory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

// A whole number in [low, high], or nothing.
std::optional<std::uint32_t> Number(const char* text, std::uint64_t low, std::uint64_t high) {
  if (!text || !*text) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (errno || *end || text[0] == '-' || v < low || v > high) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

int Bad(const std::string& message) {
  std::fprintf(stderr, "zintavel: %s (see --help)\n", message.c_str());
  return BadCommandLine;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir, record;
  SdlOptions live;
  RecordingOptions rec;
  std::optional<std::uint32_t> quitAt;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (arg == "--help" || arg == "-h") {
      std::fputs(Help, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("zintavel %s\n", ZINTAVEL_VERSION);
      return 0;
    } else if (arg == "--dir") {
      const char* v = value();
      if (!v) return Bad("--dir needs a directory");
      dir = v;
    } else if (arg == "--window") {
      live.window = true;
    } else if (arg == "--depth") {
      const auto d = Number(value(), 15, 32);
      if (!d || (*d != 32 && *d != 24 && *d != 16 && *d != 15)) return Bad("--depth takes 32, 24, 16 or 15");
      live.depth = rec.depth = static_cast<int>(*d);
    } else if (arg == "--double") {
      live.forceDoubling = rec.forceDoubling = true;
    } else if (arg == "--mute") {
      live.mute = true;
    } else if (arg == "--record") {
      const char* v = value();
      if (!v) return Bad("--record needs a directory");
      record = v;
    } else if (arg == "--fps") {
      const auto n = Number(value(), 1, 1000);
      if (!n) return Bad("--fps takes a whole number from 1 to 1000");
      rec.fps = *n;
    } else if (arg == "--every") {
      const auto n = Number(value(), 1, 1000000);
      if (!n) return Bad("--every takes a whole number from 1 up");
      rec.every = *n;
    } else if (arg == "--quit-at") {
      quitAt = Number(value(), 0, 0xFFFFFFFFull);
      if (!quitAt) return Bad("--quit-at takes milliseconds");
    } else if (arg == "--start-tick") {
      const auto n = Number(value(), 0, 0xFFFFFFFFull);
      if (!n) return Bad("--start-tick takes a whole number below 2^32");
      rec.startTick = *n;
    } else {
      return Bad("unknown option '" + arg + "'");
    }
  }

  if (dir.empty()) dir = IsDirectory("data") ? "." : ZINTAVEL_DEFAULT_DIR;
  if (!IsDirectory(dir)) {
    std::fprintf(stderr, "zintavel: %s: no such directory\n", dir.c_str());
    return BadCommandLine;
  }
  PresentationDirectory = dir;

  std::unique_ptr<EnginePlatform> platform;
  if (!record.empty()) {
    if (::mkdir(record.c_str(), 0755) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "zintavel: %s: cannot create: %s\n", record.c_str(), std::strerror(errno));
      return 1;
    }
    rec.directory = record;
    rec.quitAt = quitAt;
    platform = MakeRecordingPlatform(rec);
  } else {
    live.quitAt = quitAt;
    platform = MakeSdlPlatform(live);
  }
  ActivePlatform = platform.get();
  const int code = MasterSequence();
  ActivePlatform = nullptr;
  return code;
}
