// zintavel: the demo. See --help.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "assets/loading.h"
#include "assets/pages.h"
#include "display/presenter.h"
#include "platform/recording_platform.h"
#include "platform/sdl_platform.h"
#include "platform/watch.h"
#include "shell/check.h"
#include "record/recording_target.h"
#include "record/video_quality.h"
#include "shell/master_sequence.h"
#include "shell/options.h"
#include "shell/presentation_dir.h"
#include "shell/show_length.h"
#include "shell/seek.h"

namespace {

constexpr int BadCommandLine = 2;

bool IsDirectory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

int Bad(const std::string& message) {
  std::fprintf(stderr, "zintavel: %s (see --help)\n", message.c_str());
  return BadCommandLine;
}

}  // namespace

int main(int argc, char** argv) {
  ProgramOptions options;
  std::string error;
  switch (ParseOptions(argc, argv, options, error)) {
    case ParseResult::Help: std::fputs(ProgramHelp, stdout); return 0;
    case ParseResult::Version: std::printf("zintavel %s\n", ZINTAVEL_VERSION); return 0;
    case ParseResult::Bad: return Bad(error);
    case ParseResult::Run: break;
  }
  std::string dir = options.dir;
  const std::string& record = options.record;
  SdlOptions live;
  live.window = options.window;
  live.depth = options.depth;
  live.forceDoubling = options.forceDoubling;
  live.mute = options.mute;
  GentleMode = options.gentle;
  live.pacing = !options.noPacing;
  live.display = options.display;
  live.fit = options.scaleMode == ScaleMode::Fit;
  live.warning = !options.noWarning;
  RecordingOptions rec;
  rec.fps = options.fps;
  rec.every = options.every;
  rec.startTick = options.startTick;
  rec.depth = options.depth;
  rec.forceDoubling = options.forceDoubling;
  rec.startAt = options.startAt.value_or(0);
  rec.stopAt = options.stopAt;
  StartAtMs = rec.startAt;
  rec.replace = options.force;
  const std::optional<std::uint32_t> quitAt = options.quitAt;

  if (dir.empty()) {
    std::string tried;
    const std::optional<std::string> found = FindPresentation(ThisProgramsPlaces(), tried);
    if (!found) {
      std::fprintf(stderr, "zintavel: no presentation found; tried %s. `cmake --build build` makes it, "
                   "`cmake --install build` installs it, or give --dir DIR\n", tried.c_str());
      return 1;
    }
    dir = *found;
  }
  if (!IsDirectory(dir)) {
    std::fprintf(stderr, "zintavel: %s: no such directory\n", dir.c_str());
    return BadCommandLine;
  }
  PresentationDirectory = dir;
  if (options.check) return CheckPresentation(dir, ProbeMusic, stdout);

  std::unique_ptr<EnginePlatform> platform;
  std::unique_ptr<LiveReload> watch;
  RecordingPlatform* recorder = nullptr;
  if (options.recordGiven) {
    std::string why;
    int code = 1;
    const std::optional<RecordingForm> form = RecordingFormOf(record, why, code);
    if (!form) return code == BadCommandLine ? Bad(why) : (std::fprintf(stderr, "zintavel: %s\n", why.c_str()), code);
    const std::string ignored = OptionIgnoredWhenRecording(*form, options.window, options.display.has_value(),
                                                           options.scaleMode == ScaleMode::Fit, options.every);
    if (!ignored.empty()) return Bad(ignored);
    rec.path = record;
    rec.form = *form;
    if ((options.quality || options.sizeMb) && *form != RecordingForm::Mp4 && *form != RecordingForm::Webm)
      return Bad("--quality and --size go with a .mp4 or .webm recording");
    const std::optional<int> crf = CrfFor(*form, options.quality);
    if (!crf) return Bad("--quality " + std::to_string(*options.quality) + ": out of the encoder's CRF range");
    rec.crf = *crf;
    rec.targetBytes = options.sizeMb.value_or(0) * std::uint64_t{1000000};
    rec.quitAt = quitAt;
    rec.scale = options.scaleFactor;
    rec.wholePartTwo = WholePartTwoMs;
    std::unique_ptr<RecordingPlatform> made = MakeRecordingPlatform(rec);
    if (!made) return 1;
    recorder = made.get();
    platform = std::move(made);
  } else {
    live.quitAt = quitAt;
    if (options.watch) {
      watch = std::make_unique<LiveReload>(dir);
      live.betweenFrames = [&watch](std::uint32_t ms) { watch->Poll(ms); };
      std::fprintf(stderr, "zintavel: watching %s/data for changes (%s)\n", dir.c_str(),
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
