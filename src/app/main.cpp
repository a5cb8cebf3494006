// zintavel: the demo. See --help.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/backend_options.h"
#include "app/check.h"
#include "app/live_reload.h"
#include "app/new_show.h"
#include "app/options.h"
#include "app/presentation_dir.h"
#include "assets/loading.h"
#include "assets/report.h"
#include "display/presenter.h"
#include "os/standard_files.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"
#include "show/master_sequence.h"
#include "show/seek.h"

namespace {

bool IsDirectory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

int Bad(const std::string& message) {
  std::fprintf(stderr, "zintavel: %s (see --help)\n", OneLine(message).c_str());
  return BadCommandLine;
}

}  // namespace

int main(int argc, char** argv) {
  PrepareStandardFiles();
  ProgramOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(ProgramHelpText().c_str(), stdout); return 0;
    case ParseResult::Version: std::printf("zintavel %s\n", ZINTAVEL_VERSION); return 0;
    case ParseResult::Bad: return Bad(error);
    case ParseResult::Run: break;
  }
  std::string dir = options.dir;
  GentleMode = options.gentle;
  StartAtMs = options.startAt.value_or(0);

  if (dir.empty()) {
    std::string tried;
    const std::optional<std::string> found = FindPresentation(ThisProgramsPlaces(), tried);
    if (!found) {
      std::fprintf(stderr, "zintavel: no presentation found; tried %s. `cmake --build build` makes it, "
                   "`cmake --install build` installs it, or give --dir DIR\n", OneLine(tried).c_str());
      return 1;
    }
    dir = *found;
    // A data/ here that is not a whole presentation is passed over: say so,
    // or whoever is editing it wonders why nothing changes.
    if (dir != "." && IsDirectory("data"))
      std::fprintf(stderr, "zintavel: playing the presentation in %s; the data/ here is passed over (%s; "
                   "--dir . plays it anyway)\n", OneLine(dir).c_str(), MissingFromPresentation(".").c_str());
  }
  struct stat st;
  if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    std::fprintf(stderr, "zintavel: %s: %s\n", OneLine(dir).c_str(),
                 ::stat(dir.c_str(), &st) == 0 ? "not a directory" : "no such directory");
    return BadCommandLine;
  }
  PresentationDirectory = dir;
  if (options.check) return CheckPresentation(dir, ProbeMusic, stdout);
  if (!options.newShow.empty()) {
    std::string why;
    if (!MakeNewShow(dir, options.newShow, why)) {
      std::fprintf(stderr, "zintavel: %s\n", OneLine(why).c_str());
      return 1;
    }
    std::printf("zintavel: the presentation in %s is copied to %s; see %s/README.txt, and play it with\n"
                "  zintavel --window --watch --dir %s\n", OneLine(dir).c_str(), OneLine(options.newShow).c_str(),
                OneLine(options.newShow).c_str(), OneLine(options.newShow).c_str());
    return 0;
  }

  std::unique_ptr<EnginePlatform> platform;
  std::unique_ptr<LiveReload> watch;
  RecordingPlatform* recorder = nullptr;
  if (options.recordGiven) {
    std::string why;
    int code = 1;
    const std::optional<RecordingOptions> rec = RecordingOptionsFrom(options, why, code);
    if (!rec) return code == BadCommandLine ? Bad(why) : (std::fprintf(stderr, "zintavel: %s\n", OneLine(why).c_str()), code);
    std::unique_ptr<RecordingPlatform> made = MakeRecordingPlatform(*rec);
    if (!made) return 1;
    recorder = made.get();
    platform = std::move(made);
  } else {
    SdlOptions live = LiveOptionsFrom(options);
    if (options.watch) {
      watch = std::make_unique<LiveReload>(dir);
      live.betweenFrames = [&watch](std::uint32_t ms) { watch->Poll(ms); };
      std::fprintf(stderr, "zintavel: watching %s/data for changes (%s)\n", OneLine(dir).c_str(),
                   watch->way() == DataWatcher::Way::Inotify ? "inotify" : "polling");
    }
    platform = MakeSdlPlatform(live);
  }
  ActivePlatform = platform.get();
  int code = MasterSequence();
  if (recorder) code = recorder->Finish(code);
  ActivePlatform = nullptr;
  return code;
}
