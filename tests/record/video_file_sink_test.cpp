// The video file sink's handling of frame sizes it is not given by the show.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "record/recording_sink.h"
#include "support/test_support.h"

TEST(VideoFileSinkTest, OddSizesAreRefusedForH264AndTakenLosslessly) {
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
}
