// The recording's sinks fed odd frames and sound blocks, in the order the
// recording backend calls them: a frame size from 1x1 up, every Nth frame,
// enlarged N times, frame indices with gaps, sound blocks from none to a few
// seconds long, chapters past the end. The input: [form][width][height][scale]
// [every], then operations: an even byte is a frame (the next byte is the gap
// to its index), an odd one a sound block (the next two bytes its length); the
// pixels and samples are the input's bytes over and over.
//
// Forms: the WAV writer alone (its header must never claim more sound than
// reached the file, and must be exact once closed), the PNG directory, the
// .mkv and the .mp4. Every failure must leave one line naming the problem.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "record/recording_sink.h"
#include "record/wav_writer.h"
#include "fuzz_support.h"

namespace {

std::string Root;

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

std::uint32_t Read32(int fd, off_t at) {
  std::uint8_t b[4] = {};
  if (::pread(fd, b, 4, at) != 4) return 0xFFFFFFFFu;
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::int64_t FileSize(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 ? s.st_size : -1;
}

// The WAV header's data size never runs ahead of the bytes in the file.
void CheckWavHeader(const std::string& path, bool closed, std::uint64_t frames) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  Check(fd >= 0);
  const std::int64_t size = FileSize(path);
  const std::uint32_t data = Read32(fd, 76), riff = Read32(fd, 4);
  ::close(fd);
  Check(size >= static_cast<std::int64_t>(WavWriter::HeaderBytes));
  Check(data <= size - static_cast<std::int64_t>(WavWriter::HeaderBytes) && riff == data + WavWriter::HeaderBytes - 8);
  if (closed) Check(data == frames * 4 && size == static_cast<std::int64_t>(data + WavWriter::HeaderBytes));
}

void CheckLine(const std::string& line) { Check(!line.empty() && line.find('\n') == std::string::npos); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Root = ScratchPath("sink");
  ::mkdir(Root.c_str(), 0755);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t Header = 5;
  if (size < Header + 1) return 0;
  const int form = data[0] % 4;
  const int width = 1 + data[1] % 64, height = 1 + data[2] % 48;
  const int scale = 1 + data[3] % 3;
  const std::uint32_t every = 1 + data[4] % 4;
  const std::uint8_t* body = data + Header;
  const std::size_t bodySize = size - Header;

  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  std::vector<std::int16_t> sound;
  std::size_t cursor = 0;  // where the next pixels or samples are taken from
  auto fill = [&](std::uint8_t* out, std::size_t bytes) {
    while (bytes > 0) {
      const std::size_t n = std::min(bytes, bodySize - cursor);
      std::memcpy(out, body + cursor, n);
      out += n, bytes -= n;
      cursor = (cursor + n) % bodySize;
    }
  };
  // Past a second of sound (when the WAV header is rewritten), but not much
  // further: the time goes to more inputs instead.
  constexpr std::uint64_t MostSound = 3 * 44100;
  std::uint64_t soundLeft = MostSound;

  if (form == 0) {
    const std::string path = Root + "/audio.wav";
    WavWriter wav;
    if (!wav.Open(path)) {
      CheckLine(wav.Error());
      return 0;
    }
    std::uint64_t frames = 0;
    for (std::size_t at = 0; at + 2 < bodySize; at += 3) {
      const std::size_t n = std::min<std::uint64_t>((body[at + 1] | body[at + 2] << 8) * (body[at] % 4), soundLeft);
      soundLeft -= n;
      sound.resize(n * 2);
      fill(reinterpret_cast<std::uint8_t*>(sound.data()), n * 4);
      Check(wav.Write(sound.data(), n));
      frames += n;
      CheckWavHeader(path, false, frames);
    }
    Check(wav.Close() && wav.FramesWritten() == frames);
    CheckWavHeader(path, true, frames);
    return 0;
  }

  SinkSettings settings;
  settings.every = every;
  settings.scale = scale;
  settings.replace = true;
  settings.threads = 1;
  settings.crf = 40;
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
  bool ok = sink->Prepare() && sink->Begin(width, height);
  std::uint32_t index = 0;
  std::uint64_t ms = 0;
  for (std::size_t at = 0; ok && at + 2 < bodySize && at < 3 * 48; at += 3) {
    if (body[at] % 2 == 0) {
      index += body[at + 1] % 8 + (at == 0 ? 0 : 1);  // a gap, never back
      fill(reinterpret_cast<std::uint8_t*>(pixels.data()), pixels.size() * 4);
      ok = sink->WriteFrame(index, pixels.data());
    } else {
      const std::size_t n = std::min<std::uint64_t>((body[at + 1] | body[at + 2] << 8) % 12000, soundLeft);
      soundLeft -= n;
      sound.resize(n * 2);
      fill(reinterpret_cast<std::uint8_t*>(sound.data()), n * 4);
      ok = sink->WriteSound(sound.data(), n);
      ms += n * 1000 / 44100;
    }
  }
  sink->SetChapters({{"one", 0}, {"past the end", ms + 5000}}, ms + 1000);
  ok = sink->Finish() && ok;
  if (!ok) CheckLine(sink->Error());
  CheckLine(sink->Written());
  // Odd sizes may be refused by an encoder, but the PNG directory takes any.
  if (form == 1) Check(ok);
  return 0;
}
