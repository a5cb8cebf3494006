// Re-recording into a PNG directory: an earlier run's frames are refused, or
// with --force removed, and nothing else in the directory is touched; an
// existing video file is replaced, and the start-up line says so.
#include "record/own_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(OwnFilesTest, OnlyTheNamesARecordingWrites) {
  for (const char* ours : {"frame-000000.png", "frame-1234567.png", "audio.wav", ".partial-frame-000012.png"})
    EXPECT_TRUE(IsRecordingFile(ours)) << ours;
  for (const char* theirs : {"frame-00001.png", "frame-00000a.png", "frame-000000.png~", "Frame-000000.png",
                             "audio.wav.bak", ".partial-notes.txt", "notes.txt", "frame-.png", ""})
    EXPECT_FALSE(IsRecordingFile(theirs)) << theirs;
}

TEST(OwnFilesTest, EarlierFramesAreRefusedOrReplacedAndNothingElseGoes) {
  TempDir dir;
  const std::string rec = dir.Path("rec");
  ProgramResult first = RunProgram("--record " + rec + " --fps 10 --quit-at 2000");
  ASSERT_EQ(first.code, 0) << first.output;
  const std::size_t earlier = RecordingFilesIn(rec).size();
  ASSERT_GT(earlier, 100u);  // 2 s then the 10 s closing at 10 a second, and audio.wav
  std::ofstream(rec + "/notes.txt") << "mine";
  fs::create_directory(rec + "/frame-999999.png");  // not a file: left alone too, it cannot be unlinked

  ProgramResult refused = RunProgram("--record " + rec + " --fps 10 --quit-at 100");
  EXPECT_EQ(refused.code, 1);
  EXPECT_EQ(refused.output, "zintavel: " + rec + ": holds an earlier recording (" + std::to_string(earlier + 1) +
                                " frame and sound files); add --force to replace them, or name another directory\n");
  EXPECT_EQ(RecordingFilesIn(rec).size(), earlier + 1);

  fs::remove(rec + "/frame-999999.png");
  ProgramResult replaced = RunProgram("--record " + rec + " --fps 10 --quit-at 100 --every 40 --force");
  EXPECT_EQ(replaced.code, 0) << replaced.output;
  EXPECT_NE(replaced.output.find("removed the " + std::to_string(earlier) + " frame and sound files"),
            std::string::npos)
      << replaced.output;
  // 10.1 s at 10 a second, every 40th: frames 0, 40 and 80, and the sound.
  using V = std::vector<std::string>;
  EXPECT_EQ(RecordingFilesIn(rec), (V{"audio.wav", "frame-000000.png", "frame-000040.png", "frame-000080.png"}));
  EXPECT_TRUE(fs::exists(rec + "/notes.txt"));

  EXPECT_EQ(RunProgram("--force").code, 2);
}

TEST(OwnFilesTest, AnExistingVideoFileIsReplacedAndSaidSo) {
  TempDir dir;
  const std::string file = dir.Path("show.mkv");
  ProgramResult fresh = RunProgram("--record " + file + " --fps 10 --quit-at 100");
  ASSERT_EQ(fresh.code, 0) << fresh.output;
  EXPECT_EQ(fresh.output.find("replacing"), std::string::npos) << fresh.output;
  ProgramResult again = RunProgram("--record " + file + " --fps 10 --quit-at 100");
  ASSERT_EQ(again.code, 0) << again.output;
  EXPECT_NE(again.output.find("recording to " + file + " (replacing the existing file), "), std::string::npos)
      << again.output;
}
