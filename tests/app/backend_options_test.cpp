// The command line as the backends receive it: every recording option arrives
// where the recording reads it, and the refusals keep their exit codes.
#include "app/backend_options.h"

#include <gtest/gtest.h>

#include "player/setup_choices.h"
#include "support/test_support.h"

#include <string>
#include <vector>

namespace {

ProgramOptions Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "zintavel");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  ProgramOptions options;
  std::string error;
  EXPECT_EQ(ParseOptions(static_cast<int>(argv.size()), argv.data(), options, error), ParseResult::Run) << error;
  return options;
}

TEST(BackendOptionsTest, EveryRecordingOptionArrives) {
  std::string error;
  int code = 0;
  const std::optional<RecordingOptions> rec =
      RecordingOptionsFrom(Parse({"--record", "/tmp/zintavel-unused.mp4", "--fps", "30", "--size", "7", "--depth",
                                  "16", "--double", "--start-tick", "99", "--quit-at", "5000", "--start-at", "1:02",
                                  "--stop-at", "70", "--scale", "2"}),
                           error, code);
  ASSERT_TRUE(rec) << error;
  EXPECT_EQ(rec->sink.path, "/tmp/zintavel-unused.mp4");
  EXPECT_EQ(rec->sink.form, RecordingForm::Mp4);
  EXPECT_EQ(rec->sink.fps, 30u);
  EXPECT_EQ(rec->sink.targetBytes, 7000000u);
  EXPECT_EQ(rec->depth, 16);
  EXPECT_TRUE(rec->forceDoubling);
  EXPECT_EQ(rec->startTick, 99u);
  EXPECT_EQ(rec->quitAt, 5000u);
  EXPECT_EQ(rec->startAt, 62000u);
  EXPECT_EQ(rec->stopAt, 70000u);
  EXPECT_EQ(rec->scale, 2);
  EXPECT_TRUE(rec->wholePartTwo);

  const std::optional<RecordingOptions> png =
      RecordingOptionsFrom(Parse({"--record", "/tmp/zintavel-unused-dir", "--every", "3", "--force"}), error, code);
  ASSERT_TRUE(png) << error;
  EXPECT_EQ(png->sink.form, RecordingForm::PngDirectory);
  EXPECT_EQ(png->sink.every, 3u);
  EXPECT_TRUE(png->sink.replace);
}

TEST(BackendOptionsTest, RefusalsNameTheOptionWithTheirCode) {
  const struct {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{"--record", "/tmp/zintavel-unused.mp4", "--every", "2"}, 2, "--every"},
      {{"--record", "/tmp/zintavel-unused.mkv", "--window"}, 2, "--window"},
      {{"--record", "/tmp/zintavel-unused-dir", "--quality", "high"}, 2, "--quality and --size"},
      {{"--record", "/tmp/zintavel-unused.mp4", "--quality", "52"}, 2, "out of the encoder's CRF range"},
      {{"--record", "/tmp/zintavel-unused.avi"}, 1, "'.avi'"},
      {{"--record", "-"}, 2, "standard output"},
  };
  for (const auto& c : cases) {
    std::string error;
    int code = 0;
    EXPECT_FALSE(RecordingOptionsFrom(Parse(c.args), error, code)) << c.args[1];
    EXPECT_EQ(code, c.code) << c.args[1];
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(BackendOptionsTest, LiveOptionsCarryTheWindowAndTheCard) {
  const SdlOptions live = LiveOptionsFrom(Parse({"-w", "--scale", "fit", "--gentle", "--no-warning", "-m"}));
  EXPECT_TRUE(live.window);
  EXPECT_TRUE(live.fit);
  EXPECT_TRUE(live.gentle);
  EXPECT_FALSE(live.warning);
  EXPECT_TRUE(live.mute);
  EXPECT_NE(live.cardFont, nullptr);
  EXPECT_NE(live.cardPicture.find("data/card.pcx"), std::string::npos);
  ASSERT_TRUE(live.gentleSet);
  EXPECT_TRUE(live.choicesPath.empty());
}

TEST(BackendOptionsTest, KeptChoicesFillWhatTheCommandLineLeavesOpen) {
  TempDir dir;
  const std::string path = dir.Path("settings");
  SetupChoices kept;
  kept.fullScreen = false, kept.display = 1, kept.gentle = true, kept.sound = false;
  std::string error;
  ASSERT_TRUE(WriteSetupChoices(path, kept, error)) << error;
  // With the card, the kept choices apply; the display is passed over if it is gone.
  SdlOptions live = LiveOptionsFrom(Parse({}), path);
  EXPECT_TRUE(live.window);
  EXPECT_EQ(live.display, 1);
  EXPECT_TRUE(live.displayKept);
  EXPECT_TRUE(live.gentle);
  EXPECT_TRUE(live.startMuted);
  EXPECT_EQ(live.choicesPath, path);
  // The command line wins where it speaks.
  live = LiveOptionsFrom(Parse({"--display", "0"}), path);
  EXPECT_EQ(live.display, 0);
  EXPECT_FALSE(live.displayKept);
  // Without the card nothing kept applies, and nothing is kept.
  live = LiveOptionsFrom(Parse({"--no-warning"}), path);
  EXPECT_FALSE(live.window);
  EXPECT_FALSE(live.gentle);
  EXPECT_FALSE(live.startMuted);
  EXPECT_FALSE(live.display);
  EXPECT_TRUE(live.choicesPath.empty());
}

}  // namespace
