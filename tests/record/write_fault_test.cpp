// The sinks when the disk misbehaves: writes that take only part of what they
// are given, and a write that fails (a full disk) at any point of a recording,
// the .mp4's copy with its index first included.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "record/file_writes.h"
#include "record/recording_sink.h"
#include "support/test_support.h"

namespace {

int Writes = 0;
int FailFrom = -1;  // this write and all later ones fail with ENOSPC
bool Short = false;

ssize_t TestWrite(int fd, const void* data, std::size_t size) {
  const int n = Writes++;
  if (FailFrom >= 0 && n >= FailFrom) {
    errno = ENOSPC;
    return -1;
  }
  if (Short && size > 7) size = n % 2 ? 7 : size / 2;
  return ::write(fd, data, size);
}

struct Hooked {
  explicit Hooked(int failFrom, bool cut = false) {
    Writes = 0, FailFrom = failFrom, Short = cut;
    SetRecordingWrite(TestWrite);
  }
  ~Hooked() { SetRecordingWrite(nullptr); }
};

struct Outcome {
  bool ok;
  std::string written, error;
};

// Twelve frames and their sound at 10 frames a second into `path`.
Outcome Record(RecordingForm form, const std::string& path) {
  SinkSettings settings;
  settings.threads = 1;
  settings.fps = 10;
  settings.form = form;
  settings.path = path;
  settings.syncFile = [](int) { return 0; };
  std::unique_ptr<RecordingSink> sink =
      form == RecordingForm::PngDirectory ? MakePngDirectorySink(settings) : MakeVideoFileSink(settings);
  bool ok = sink->Prepare() && sink->Begin(32, 24);
  std::vector<std::uint32_t> frame(32 * 24);
  const std::vector<std::int16_t> sound(2 * 4410, 1000);
  for (std::uint32_t i = 0; ok && i < 12; ++i) {
    for (std::size_t p = 0; p < frame.size(); ++p) frame[p] = (i * 7919u + p * 104729u) & 0xFFFFFF;
    ok = sink->WriteFrame(i, frame.data()) && sink->WriteSound(sound.data(), 4410);
  }
  sink->SetChapters({{"one", 0}}, 1200);
  ok = sink->Finish() && ok;
  return {ok, sink->Written(), ok ? std::string() : sink->Error()};
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Form {
  RecordingForm form;
  const char* name;
  const char* file;  // what is compared: the file, or one in the directory
};
const Form Forms[] = {{RecordingForm::PngDirectory, "frames", "frames/frame-000011.png"},
                      {RecordingForm::PngDirectory, "frames", "frames/audio.wav"},
                      {RecordingForm::Mkv, "a.mkv", "a.mkv"},
                      {RecordingForm::Mp4, "a.mp4", "a.mp4"}};

}  // namespace

TEST(WriteFaultTest, ShortWritesGiveTheSameFiles) {
  for (const Form& f : Forms) {
    TempDir whole, cut;
    ASSERT_TRUE(Record(f.form, whole.Path(f.name)).ok);
    Outcome o;
    {
      Hooked hook(-1, true);
      o = Record(f.form, cut.Path(f.name));
    }
    ASSERT_TRUE(o.ok) << o.error;
    const std::string expected = Bytes(whole.Path(f.file)), got = Bytes(cut.Path(f.file));
    EXPECT_FALSE(expected.empty()) << f.file;
    // Matroska names each file with a random identifier: the same size there.
    if (f.form == RecordingForm::Mkv) EXPECT_EQ(got.size(), expected.size());
    else EXPECT_TRUE(got == expected) << f.file;
  }
}

TEST(WriteFaultTest, AFullDiskAtAnyWriteIsReportedNeverSuccess) {
  for (const Form& f : {Forms[0], Forms[2], Forms[3]}) {
    int total = 0;
    {
      TempDir dir;
      Hooked count(-1);
      ASSERT_TRUE(Record(f.form, dir.Path(f.name)).ok);
      total = Writes;
    }
    ASSERT_GT(total, 3) << f.name;
    // Every write when there are few; else some forty spread over the run,
    // the first and the last among them.
    const int step = total > 40 ? total / 40 : 1;
    std::vector<int> positions;
    for (int at = 0; at < total; at += step) positions.push_back(at);
    if (positions.back() != total - 1) positions.push_back(total - 1);
    for (int at : positions) {
      TempDir dir;
      Outcome o;
      {
        Hooked hook(at);
        o = Record(f.form, dir.Path(f.name));
      }
      SCOPED_TRACE(std::string(f.name) + ", write " + std::to_string(at) + " of " + std::to_string(total));
      EXPECT_EQ(o.written.find('\n'), std::string::npos) << o.written;
      if (o.ok) {
        // Only the .mp4's copy may fail without failing the recording: the
        // fragmented file stays, and the closing line says so.
        EXPECT_EQ(f.form, RecordingForm::Mp4);
        EXPECT_NE(o.written.find("No space left on device; the file is left fragmented"), std::string::npos)
            << o.written;
        EXPECT_FALSE(std::filesystem::exists(dir.Path(".partial-a.mp4")));
      } else {
        EXPECT_NE(o.error.find(dir.Path("")), std::string::npos) << o.error;
        EXPECT_NE(o.error.find("No space left on device"), std::string::npos) << o.error;
        EXPECT_EQ(o.error.find('\n'), std::string::npos) << o.error;
      }
    }
  }
}
