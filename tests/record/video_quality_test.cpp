// --quality and --size: the levels' CRFs per encoder, the bit rates and the
// enlargement a size allows, and real recordings that come out in the order of
// their levels, within the size asked, and spend it on the clip recorded.
#include "record/video_quality.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/options.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(VideoQualityTest, LevelsAndNumbersPerEncoder) {
  EXPECT_EQ(ParseQualityLevel("small"), QualitySmall);
  EXPECT_EQ(ParseQualityLevel("high"), QualityHigh);
  EXPECT_EQ(ParseQualityLevel("23"), 23);
  for (const char* bad : {"", "Small", "-1", "1.5", "100", " 20"}) EXPECT_FALSE(ParseQualityLevel(bad)) << bad;
  // Better levels have lower CRFs on both encoders; the default is medium.
  for (RecordingForm form : {RecordingForm::Mp4, RecordingForm::Webm}) {
    EXPECT_GT(CrfFor(form, QualitySmall).value(), CrfFor(form, QualityMedium).value());
    EXPECT_GT(CrfFor(form, QualityMedium).value(), CrfFor(form, QualityHigh).value());
    EXPECT_EQ(CrfFor(form, std::nullopt), CrfFor(form, QualityMedium));
  }
  EXPECT_EQ(CrfFor(RecordingForm::Mp4, 51), 51);
  EXPECT_FALSE(CrfFor(RecordingForm::Mp4, 52));
  EXPECT_EQ(CrfFor(RecordingForm::Webm, 63), 63);
  EXPECT_FALSE(CrfFor(RecordingForm::Webm, 64));
}

TEST(VideoQualityTest, BitRateForASize) {
  // 100 MB over 400 s with 192 kb/s of sound: 1.92 Mb/s in all, less the margin,
  // the index's room, the sound and the video buffer's second.
  EXPECT_EQ(VideoBitRateFor(100000000, 400, 192000),
            static_cast<std::int64_t>(((100e6 * 0.96 - (65536 + 40.0 * 120 * 400)) * 8 - 192000.0 * 400) / 401));
  EXPECT_EQ(VideoBitRateFor(1000000, 400, 192000), 0);  // not even the sound fits
  EXPECT_EQ(VideoBitRateFor(100000000, 0, 192000), 0);
}

TEST(VideoQualityTest, RecordingsFollowTheirLevelAndFitTheirSize) {
  TempDir dir;
  // A second of the title card and the closing, few frames at 2x: quick to encode.
  const std::string common = " --fps 10 --quit-at 1000 --scale 2 ";
  std::uintmax_t size[3] = {};
  const char* levels[3] = {"small", "medium", "high"};
  for (int i = 0; i < 3; ++i) {
    const std::string file = dir.Path(std::string(levels[i]) + ".mp4");
    ProgramResult r = RunProgram("--record " + file + common + "--quality " + levels[i]);
    ASSERT_EQ(r.code, 0) << r.output;
    size[i] = fs::file_size(file);
  }
  EXPECT_LT(size[0], size[1]);
  EXPECT_LT(size[1], size[2]);

  const std::string fit = dir.Path("fit.mp4");
  ProgramResult r = RunProgram("--record " + fit + common + "--size 1");
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_LE(fs::file_size(fit), 1000000u);
  EXPECT_GE(fs::file_size(fit), 300000u);  // the rate is spent, not wasted

  for (const char* bad : {"--quality 52", "--quality best", "--size 0", "--quality 20 --size 5"})
    EXPECT_EQ(RunProgram("--record " + dir.Path("x.mp4") + " " + bad).code, 2) << bad;
  EXPECT_EQ(RunProgram("--record " + dir.Path("x.mkv") + " --quality high").code, 2);
  EXPECT_EQ(RunProgram("--quality high").code, 2);
  // Told before the show runs when the length is known up front: 40 s planned.
  ProgramResult tiny = RunProgram("--record " + dir.Path("tiny.mp4") + " --fps 30 --quit-at 30000 --size 1");
  EXPECT_EQ(tiny.code, 1);
  EXPECT_NE(tiny.output.find("1 MB cannot hold 40.0 s of picture and sound"), std::string::npos) << tiny.output;
  EXPECT_EQ(tiny.output.find("recording"), std::string::npos) << tiny.output;
  EXPECT_FALSE(fs::exists(dir.Path("tiny.mp4")));
}

TEST(VideoQualityTest, ASizeIsSpentOnWhatIsRecorded) {
  // The sound keeps its rate while the file has room, then steps down.
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 50000000, 245, 60, std::nullopt)->audioBitRate, 128000);
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 100000000, 245, 60, std::nullopt)->audioBitRate, 192000);
  EXPECT_EQ(BudgetFor(RecordingForm::Webm, 100000000, 245, 60, std::nullopt)->audioBitRate, 160000);
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 10000000, 245, 60, std::nullopt)->audioBitRate, 96000);
  // The enlargement follows the bits a frame: few, 1x; some, 2x; plenty, 4x;
  // a scale asked for is kept.
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 10000000, 245, 60, std::nullopt)->scale, 1);
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 50000000, 245, 60, std::nullopt)->scale, 2);
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 10000000, 10, 60, std::nullopt)->scale, 4);
  EXPECT_EQ(BudgetFor(RecordingForm::Mp4, 10000000, 245, 60, 3)->scale, 3);
  EXPECT_FALSE(BudgetFor(RecordingForm::Mp4, 1000000, 100, 60, std::nullopt));
  EXPECT_FALSE(BudgetFor(RecordingForm::Mp4, 1000000, 0, 60, std::nullopt));

  // A 4 s clip from the middle of the show gets the whole size, not 4/245 of it,
  // and says what it chose at its first frame.
  TempDir dir;
  const std::string clip = dir.Path("clip.mp4");
  ProgramResult r = RunProgram("--record " + clip + " --fps 30 --start-at 100 --stop-at 104 --size 2");
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_LE(fs::file_size(clip), 2000000u);
  EXPECT_GE(fs::file_size(clip), 1000000u) << r.output;
  EXPECT_NE(r.output.find("2 MB for 0:04: video at "), std::string::npos) << r.output;
  // Refused at once when it cannot hold the clip, before the unseen run to its start.
  r = RunProgram("--record " + dir.Path("long.mp4") + " --start-at 100 --stop-at 200 --size 1");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("long.mp4: 1 MB cannot hold 100.0 s of picture and sound"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("recording"), std::string::npos) << r.output;
}
