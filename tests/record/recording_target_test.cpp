// Targets and options --record refuses before anything starts: one line, exit 2.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/test_support.h"

TEST(RecordingTargetTest, RefusedTargetsAndWindowOptionsAreOneLine) {
  TempDir dir;
  ASSERT_EQ(mkfifo(dir.Path("pipe.mkv").c_str(), 0644), 0);
  std::filesystem::create_symlink("/dev/full", dir.Path("full.mkv"));
  const std::string frames = dir.Path("frames");
  struct Case {
    std::string args, says;
  } cases[] = {
      {"--record -", "standard output"},
      {"--record " + dir.Path(".mp4"), "a name is missing before '.mp4'"},
      {"--record " + dir.Path("pipe.mkv"), "pipe.mkv: is a fifo"},  // would block in open() until a reader came
      {"--record " + dir.Path("full.mkv"), "full.mkv: is not a regular file"},
      {"--record " + dir.Path("a.mp4") + " --window", "--window applies to the window"},
      {"--record " + frames + " --display 1", "--display applies to the window"},
      {"--record " + frames + " --scale fit", "--scale fit applies to the window"},
      {"--record " + dir.Path("a.webm") + " --every 2", "--every applies to PNG frames only"},
  };
  for (const Case& c : cases) {
    const ProgramResult r = RunProgram(c.args);
    EXPECT_EQ(r.code, 2) << c.args << ": " << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << c.args << ": " << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << c.args << ": " << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path(".mp4")));
  EXPECT_FALSE(std::filesystem::exists(frames));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("a.mp4")));
  // --every still thins PNG frames.
  const ProgramResult png = RunProgram("--record " + frames + " --every 2 --fps 10 --quit-at 100");
  EXPECT_EQ(png.code, 0) << png.output;
}
