#include "app/backend_options.h"

#include <cstdio>

#include "assets/inventory.h"
#include "assets/loading.h"
#include "display/presenter.h"
#include "player/setup_choices.h"
#include "record/recording_target.h"
#include "record/video_quality.h"
#include "show/show_length.h"

SdlOptions LiveOptionsFrom(const ProgramOptions& options, const std::string& choicesPath) {
  SdlOptions live;
  live.window = options.window;
  live.depth = options.depth;
  live.forceDoubling = options.forceDoubling;
  live.mute = options.mute;
  live.pacing = !options.noPacing;
  live.display = options.display;
  live.fit = options.scaleMode == ScaleMode::Fit;
  live.warning = !options.noWarning;
  live.quitAt = options.quitAt;
  live.cardFont = &PageFont;
  live.cardPicture = PresentationPath("data/card.pcx");
  live.gentle = options.gentle;
  live.gentleSet = [](bool on) { GentleMode = on; };
  // The set-up card's choices from last time, where the command line says
  // nothing; only with the card, which shows them and lets them be changed.
  if (live.warning && !choicesPath.empty()) {
    SetupChoices kept;
    std::string warning;
    ReadSetupChoices(choicesPath, kept, warning);
    if (!warning.empty()) std::fprintf(stderr, "zintavel: %s\n", warning.c_str());
    if (!options.window) live.window = !kept.fullScreen;
    if (!options.display && kept.display > 0) live.display = kept.display, live.displayKept = true;
    live.gentle = options.gentle || kept.gentle;
    live.startMuted = !kept.sound;
    live.choicesPath = choicesPath;
  }
  return live;
}

std::optional<RecordingOptions> RecordingOptionsFrom(const ProgramOptions& options, std::string& error, int& code) {
  const std::optional<RecordingForm> form = RecordingFormOf(options.record, error, code);
  if (!form) return std::nullopt;
  code = BadCommandLine;
  error = OptionIgnoredWhenRecording(*form, options.window, options.display.has_value(),
                                     options.scaleMode == ScaleMode::Fit, options.every);
  if (!error.empty()) return std::nullopt;
  if ((options.quality || options.sizeMb) && *form != RecordingForm::Mp4 && *form != RecordingForm::Webm) {
    error = "--quality and --size go with a .mp4 or .webm recording";
    return std::nullopt;
  }
  const std::optional<int> crf = CrfFor(*form, options.quality);
  if (!crf) {
    error = "--quality " + std::to_string(*options.quality) + ": out of the encoder's CRF range";
    return std::nullopt;
  }
  RecordingOptions rec;
  rec.sink.path = options.record;
  rec.sink.form = *form;
  rec.sink.fps = options.fps;
  rec.sink.every = options.every;
  rec.sink.replace = options.force;
  rec.sink.crf = *crf;
  rec.sink.targetBytes = options.sizeMb.value_or(0) * std::uint64_t{1000000};
  rec.startTick = options.startTick;
  rec.depth = options.depth;
  rec.forceDoubling = options.forceDoubling;
  rec.quitAt = options.quitAt;
  rec.startAt = options.startAt.value_or(0);
  rec.stopAt = options.stopAt;
  rec.scale = options.scaleFactor;
  rec.wholePartTwo = WholePartTwoMs;
  return rec;
}
