// The recording's sinks when a write fails: the input picks the sink (the WAV
// writer, the PNG directory, the .mkv, the .mp4 with its copy with the index
// first), whether it runs on the worker thread, which write fails and how (a
// full disk, an I/O error, the file size limit, or a short write), and
// whether the failure stays (a disk that is full stays full). Then a few
// frames and sound blocks, as the recording hands them over.
//
// The input: [form][fault write, 2 bytes LE][how][length of a short write],
// then operations as the sink target reads them (an even byte a frame, an odd
// one a sound block, the next two bytes its length).
// What must hold: a sink never reports success once a write failed (an .mp4
// whose copy failed is kept fragmented, and says so); every line is one line;
// short writes alone change nothing; an unfinished WAV never claims sound it
// does not hold.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "record/file_writes.h"
#include "record/recording_sink.h"
#include "record/wav_writer.h"
#include "fuzz_support.h"

namespace {

std::string Root;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}
void CheckLine(const std::string& line) { Check(!line.empty() && line.find('\n') == std::string::npos); }

// The fault: the write numbered `at` (from 0) fails with `error`, or, when
// error is 0, takes at most `shortTo` bytes (at least one, never all);
// `stays` fails every later write too.
struct Fault {
  std::uint32_t at = 0, count = 0;
  int error = 0;
  std::size_t shortTo = 0;
  bool stays = false, failed = false;
} F;

ssize_t FaultyWrite(int fd, const void* data, std::size_t size) {
  const std::uint32_t n = F.count++;
  if (n == F.at || (F.stays && n > F.at && F.error)) {
    if (F.error) {
      F.failed = true;
      errno = F.error;
      return -1;
    }
    if (size > 1) size = std::max<std::size_t>(1, std::min(size - 1, F.shortTo));
  }
  return ::write(fd, data, size);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Root = ScratchPath("write-fault");
  ::mkdir(Root.c_str(), 0755);
  SetRecordingWrite(FaultyWrite);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t Header = 5;
  if (size < Header + 1) return 0;
  const int form = data[0] % 4;
  const bool threaded = data[0] & 4;
  F = Fault{};
  F.at = (data[1] | data[2] << 8) % 1024;
  const int errors[] = {0, ENOSPC, EIO, EFBIG};
  F.error = errors[data[3] % 4];
  F.stays = data[3] & 4;
  F.shortTo = data[4];
  const std::uint8_t* body = data + Header;
  const std::size_t bodySize = size - Header;

  // Frames of a fixed even size: every encoder takes them, so a failure is
  // the fault's alone.
  constexpr int Width = 16, Height = 12;
  std::vector<std::uint32_t> pixels(Width * Height);
  std::vector<std::int16_t> sound;
  std::size_t cursor = 0;
  auto fill = [&](std::uint8_t* out, std::size_t bytes) {
    while (bytes > 0) {
      const std::size_t n = std::min(bytes, bodySize - cursor);
      std::memcpy(out, body + cursor, n);
      out += n, bytes -= n;
      cursor = (cursor + n) % bodySize;
    }
  };

  if (form == 0) {
    WavWriter wav;
    bool ok = wav.Open(Root + "/audio.wav");
    std::uint64_t frames = 0;
    for (std::size_t at = 0; ok && at + 2 < bodySize && at < 3 * 16; at += 3) {
      const std::size_t n = (body[at + 1] | body[at + 2] << 8) % 12000;  // past the WAV's 64 KiB buffer
      sound.resize(n * 2);
      fill(reinterpret_cast<std::uint8_t*>(sound.data()), n * 4);
      ok = wav.Write(sound.data(), n);
      frames += n;
    }
    ok = wav.Close() && ok;
    Check(ok != F.failed);
    if (!ok) CheckLine(wav.Error());
    // The header never claims more than the file holds, and all of it once closed cleanly.
    struct stat s;
    const int fd = ::open((Root + "/audio.wav").c_str(), O_RDONLY);
    std::uint8_t b[4] = {};
    const bool header = fd >= 0 && ::pread(fd, b, 4, 76) == 4 && ::fstat(fd, &s) == 0;
    if (fd >= 0) ::close(fd);
    const std::uint32_t claimed = b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    if (ok) Check(header && static_cast<std::uint64_t>(s.st_size) == WavWriter::HeaderBytes + frames * 4 &&
                  claimed == frames * 4);
    else if (header) Check(claimed <= s.st_size - static_cast<std::int64_t>(WavWriter::HeaderBytes));
    return 0;
  }

  SinkSettings settings;
  settings.replace = true;
  settings.threads = 1;
  settings.crf = 40;
  settings.fps = 10;  // a sync each ten frames
  settings.syncFile = [](int) { return 0; };  // the disk is not this target's
  std::unique_ptr<RecordingSink> sink;
  if (form == 1) {
    settings.path = Root + "/frames";
    settings.form = RecordingForm::PngDirectory;
    sink = MakePngDirectorySink(settings);
  } else {
    settings.form = form == 2 ? RecordingForm::Mkv : RecordingForm::Mp4;
    settings.path = Root + (form == 2 ? "/a.mkv" : "/a.mp4");
    ::unlink(settings.path.c_str());
    sink = MakeVideoFileSink(settings);
  }
  if (threaded) sink = MakeThreadedSink(std::move(sink));
  bool ok = sink->Prepare() && sink->Begin(Width, Height);
  std::uint32_t index = 0;
  for (std::size_t at = 0; ok && at + 2 < bodySize && at < 3 * 24; at += 3) {
    if (body[at] % 2 == 0) {
      fill(reinterpret_cast<std::uint8_t*>(pixels.data()), pixels.size() * 4);
      ok = sink->WriteFrame(index++, pixels.data());
    } else {
      const std::size_t n = (body[at + 1] | body[at + 2] << 8) % 8000;
      sound.resize(n * 2);
      fill(reinterpret_cast<std::uint8_t*>(sound.data()), n * 4);
      ok = sink->WriteSound(sound.data(), n);
    }
  }
  sink->SetChapters({{"one", 0}}, index * 100 + 100);
  ok = sink->Finish() && ok;
  const std::string written = sink->Written();
  CheckLine(written);
  if (!ok) CheckLine(sink->Error());
  // A failed write is never success; in the .mp4's copy it leaves the
  // fragmented file, said in the closing line.
  const bool keptFragmented = written.find("left fragmented") != std::string::npos;
  if (F.failed) Check(!ok || keptFragmented);
  else Check(ok && !keptFragmented);
  return 0;
}
