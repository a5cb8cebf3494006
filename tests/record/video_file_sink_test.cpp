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

TEST(VideoFileSinkTest, SoundTheAacEncoderOnceAbortedOn) {
  // Frames and sound blocks made of one short run of bytes, over and over, as
  // a fuzzer once gave them: the AAC encoder's default search failed an
  // assertion on that sound and took the program down with it. Each three
  // bytes are a step: an even first byte a frame, an odd one a sound block of
  // the next two bytes' length.
  const std::uint8_t bytes[] = {
      0x74, 0x20, 0x20, 0x64, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0xdf, 0x02, 0x00, 0x01, 0x00, 0x01,
      0xdf, 0x02, 0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x07,
      0x0e, 0x0f, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x1b, 0x1c, 0x1d,
      0x1e, 0x1f, 0x20, 0x21, 0x22, 0x23, 0xff, 0xff, 0x24, 0x25, 0x26, 0x27, 0x2f, 0x30, 0x31, 0x32};
  constexpr std::size_t Size = sizeof bytes;
  TempDir dir;
  SinkSettings settings;
  settings.threads = 1;
  settings.fps = 10;
  settings.crf = 40;
  settings.form = RecordingForm::Mp4;
  settings.path = dir.Path("pattern.mp4");
  std::unique_ptr<RecordingSink> sink = MakeVideoFileSink(settings);
  ASSERT_TRUE(sink->Prepare() && sink->Begin(16, 12)) << sink->Error();
  std::vector<std::uint32_t> frame(16 * 12);
  std::vector<std::int16_t> sound;
  std::size_t cursor = 0;
  auto fill = [&](void* out, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) static_cast<std::uint8_t*>(out)[i] = bytes[cursor++ % Size];
  };
  std::uint32_t index = 0;
  for (std::size_t at = 0; at + 2 < Size; at += 3) {
    if (bytes[at] % 2 == 0) {
      fill(frame.data(), frame.size() * 4);
      ASSERT_TRUE(sink->WriteFrame(index++, frame.data())) << sink->Error();
    } else {
      const std::size_t n = (bytes[at + 1] | bytes[at + 2] << 8) % 8000;
      sound.resize(n * 2);
      fill(sound.data(), n * 4);
      ASSERT_TRUE(sink->WriteSound(sound.data(), n)) << sink->Error();
    }
  }
  EXPECT_TRUE(sink->Finish()) << sink->Error();
}
