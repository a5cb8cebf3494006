// The video file sink's handling of frame sizes it is not given by the show,
// and how often each sink makes what it wrote durable.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "record/recording_sink.h"
#include "support/test_support.h"

TEST(VideoFileSinkTest, OddSizesAndEmptyRecordingsFinish) {
  TempDir dir;
  SinkSettings settings;
  settings.threads = 1;
  settings.fps = 10;

  // H.264 in 4:2:0 needs even sizes: a line naming the file, nothing reported written.
  settings.form = RecordingForm::Mp4;
  settings.path = dir.Path("odd.mp4");
  std::unique_ptr<RecordingSink> mp4 = MakeVideoFileSink(settings);
  ASSERT_TRUE(mp4->Prepare());
  EXPECT_FALSE(mp4->Begin(39, 18));
  const std::string error = mp4->Error();
  EXPECT_NE(error.find("odd.mp4: an H.264 video needs an even width and height, not 39x18"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos) << error;

  // A narrow even picture converts inside its buffers (the colour conversion
  // writes whole vectors: the sanitized build catches a row run off the end).
  settings.path = dir.Path("narrow.mp4");
  std::unique_ptr<RecordingSink> narrow = MakeVideoFileSink(settings);
  ASSERT_TRUE(narrow->Prepare());
  ASSERT_TRUE(narrow->Begin(2, 14)) << narrow->Error();
  const std::vector<std::uint32_t> thin(2 * 14, 0x00FF8000u);
  for (std::uint32_t i = 0; i < 3; ++i) EXPECT_TRUE(narrow->WriteFrame(i, thin.data()));
  EXPECT_TRUE(narrow->Finish()) << narrow->Error();

  // The lossless .mkv takes any size.
  settings.form = RecordingForm::Mkv;
  settings.path = dir.Path("odd.mkv");
  std::unique_ptr<RecordingSink> mkv = MakeVideoFileSink(settings);
  ASSERT_TRUE(mkv->Prepare());
  ASSERT_TRUE(mkv->Begin(39, 18)) << mkv->Error();
  const std::vector<std::uint32_t> frame(39 * 18, 0x00336699u);
  EXPECT_TRUE(mkv->WriteFrame(0, frame.data()));
  EXPECT_TRUE(mkv->WriteFrame(1, frame.data()));
  EXPECT_TRUE(mkv->Finish()) << mkv->Error();
  EXPECT_GT(std::filesystem::file_size(dir.Path("odd.mkv")), 0u);

  // An .mp4 stopped before its first frame: its copy with the index first
  // has no duration to size the index by, and is still made.
  settings.form = RecordingForm::Mp4;
  settings.path = dir.Path("empty.mp4");
  std::unique_ptr<RecordingSink> empty = MakeVideoFileSink(settings);
  ASSERT_TRUE(empty->Prepare());
  ASSERT_TRUE(empty->Begin(16, 12)) << empty->Error();
  EXPECT_TRUE(empty->Finish()) << empty->Error();
  EXPECT_EQ(empty->Written().find("fragmented"), std::string::npos) << empty->Written();
}

TEST(VideoFileSinkTest, EachFormSyncsEverySecondItRecords) {
  // Five seconds at 10 frames a second, with their sound: at least one sync a
  // second, each after more of the file was written than at the one before.
  for (RecordingForm form : {RecordingForm::Mp4, RecordingForm::Mkv, RecordingForm::PngDirectory}) {
    TempDir dir;
    SinkSettings settings;
    settings.threads = 1;
    settings.fps = 10;
    settings.form = form;
    settings.path = dir.Path(form == RecordingForm::Mp4 ? "a.mp4" : form == RecordingForm::Mkv ? "a.mkv" : "frames");
    std::vector<long long> sizes;
    int syncs = 0;
    settings.syncFile = [&](int fd) {
      ++syncs;
      struct stat s;
      if (fstat(fd, &s) == 0 && S_ISREG(s.st_mode)) sizes.push_back(s.st_size);
      return 0;
    };
    std::unique_ptr<RecordingSink> sink = form == RecordingForm::PngDirectory ? MakePngDirectorySink(settings)
                                                                              : MakeVideoFileSink(settings);
    ASSERT_TRUE(sink->Prepare()) << sink->Error();
    ASSERT_TRUE(sink->Begin(32, 24)) << sink->Error();
    std::vector<std::uint32_t> frame(32 * 24);
    const std::vector<std::int16_t> sound(2 * 4410, 1000);
    for (std::uint32_t i = 0; i < 50; ++i) {
      for (std::size_t p = 0; p < frame.size(); ++p) frame[p] = (i * 7919u + p * 104729u) & 0xFFFFFF;
      ASSERT_TRUE(sink->WriteFrame(i, frame.data())) << sink->Error();
      ASSERT_TRUE(sink->WriteSound(sound.data(), 4410)) << sink->Error();
    }
    const int before = syncs;
    EXPECT_TRUE(sink->Finish()) << sink->Error();
    EXPECT_GE(before, 4) << static_cast<int>(form);
    EXPECT_GT(syncs, before) << "the end is synced too";
    for (std::size_t i = 1; i < sizes.size(); ++i) EXPECT_GE(sizes[i], sizes[i - 1]);
    if (form != RecordingForm::PngDirectory) {
      EXPECT_GT(sizes.back(), sizes.front());
    }
  }
}
