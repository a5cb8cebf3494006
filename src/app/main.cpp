// zintavel: the demo. See --help.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

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
#include "player/setup_choices.h"
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

// The lines kept for a viewer without a console, as a message box says them:
// without the program's name, the last few.
std::string ForTheViewer(const std::string& kept) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < kept.size()) {
    std::size_t end = kept.find('\n', at);
    if (end == std::string::npos) end = kept.size();
    std::string line = kept.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("zintavel: ", 0) == 0) line.erase(0, 10);
    const std::string help = " (see --help)";  // there is no command line to give it
    if (line.size() > help.size() && line.compare(line.size() - help.size(), help.size(), help) == 0)
      line.resize(line.size() - help.size());
    if (!line.empty()) lines.push_back(line);
  }
  constexpr std::size_t Shown = 8;
  std::string text;
  for (std::size_t i = lines.size() > Shown ? lines.size() - Shown : 0; i < lines.size(); ++i)
    text += (text.empty() ? "" : "\n") + lines[i];
  return text;
}

int Run(int argc, char** argv);

}  // namespace

int main(int argc, char** argv) {
  PrepareStandardFiles();
  const int code = Run(argc, argv);
  // Started without a console, a fatal error would go unseen.
  if (code != 0 && ErrorsUnseen()) {
    const std::string text = ForTheViewer(KeptErrors());
    if (!text.empty()) ShowErrorBox(text);
  }
  return code;
}

namespace {

int Run(int argc, char** argv) {
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
#ifdef _WIN32
      std::fprintf(stderr, "zintavel: Zintavel could not find its data folder next to zintavel.exe. Unpack the whole "
                   "zip and start it from there (or give --dir DIR; tried %s).\n", OneLine(tried).c_str());
#else
      std::fprintf(stderr, "zintavel: no presentation found; tried %s. `cmake --build build` makes it, "
                   "`cmake --install build` installs it, or give --dir DIR\n", OneLine(tried).c_str());
#endif
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
    SdlOptions live = LiveOptionsFrom(options, SetupChoicesPath());
    GentleMode = live.gentle;
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

}  // namespace
