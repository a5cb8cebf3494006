// Memory of a long recording: the video sink (on its worker thread, as the
// program runs it) fed synthetic frames and sound at the show's sizes (320x240
// at 60 fps, 735 sample frames of stereo a frame) for 10 and 60 minutes, into
// .mp4 (at 1x and at 4x, the size it records by default) and .mkv. Each run is a child process of its own; it prints the peak
// resident memory while recording and, separately, the peak over the whole run
// with the clean end (for .mp4, the copy with its index first).
//   zintavel_sink_memory_bench [--only TEXT] [MINUTES...]   (default: 10 60)
// --only runs the forms whose label holds TEXT (e.g. "4x"). The peak half-way
// through is printed too: a muxer that keeps something per packet or per
// fragment shows as the difference.
// The frames are mostly flat with a patch of noise, its height changing every
// second, so the .mp4's fragments vary in size about as the show's do (none
// to a few Mb/s at 4x): the muxer holds a whole fragment in memory before it
// goes out, and how the allocator reuses those buffers is part of what grows.
// Half an hour runs in minutes.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "record/recording_sink.h"

namespace {

constexpr int Width = 320, Height = 240, Fps = 60, SamplesPerFrame = 44100 / Fps;
constexpr int PatchWidth = 48, PatchHeight = 36;  // the noise in the corner, on average

double PeakMb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Runs in the child: records, then writes "<half-way peak> <recording peak> <frames>" to fd.
int Record(RecordingForm form, int scale, const std::string& path, int minutes, int fd) {
  SinkSettings settings;
  settings.path = path;
  settings.form = form;
  settings.fps = Fps;
  settings.crf = 24;
  settings.scale = scale;
  std::unique_ptr<RecordingSink> sink = MakeThreadedSink(MakeVideoFileSink(settings));
  if (!sink->Prepare() || !sink->Begin(Width, Height)) {
    std::fprintf(stderr, "%s\n", sink->Error().c_str());
    return 1;
  }
  std::vector<std::uint32_t> frame(Width * Height);
  std::vector<std::int16_t> sound(2 * SamplesPerFrame);
  const std::uint32_t frames = static_cast<std::uint32_t>(minutes) * 60 * Fps;
  std::uint32_t phase = 0, noise = 2463534242u;
  double halfWay = 0;
  for (std::uint32_t i = 0; i < frames; ++i) {
    if (i == frames / 2) halfWay = PeakMb();
    // A flat picture that changes colour once a second, and a corner of new
    // noise in every frame: the encoders have little to do, but the packets
    // are of a real recording's size.
    if (i % Fps == 0) std::fill(frame.begin(), frame.end(), (i / Fps * 0x010305u) & 0x00FFFFFFu);
    const int rows = PatchHeight * static_cast<int>(i / Fps * 5 % 13) / 6;  // 0 to twice the mean, by the second
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < PatchWidth; ++x) {
        noise ^= noise << 13, noise ^= noise >> 17, noise ^= noise << 5;
        frame[static_cast<std::size_t>(y) * Width + x] = noise & 0x00FFFFFFu;
      }
    for (int s = 0; s < SamplesPerFrame; ++s, phase += 1000) {
      const auto v = static_cast<std::int16_t>(((phase >> 8) & 0x3FF) - 512);  // a quiet saw
      sound[2 * s] = sound[2 * s + 1] = v;
    }
    if (!sink->WriteFrame(i, frame.data()) || !sink->WriteSound(sound.data(), SamplesPerFrame)) {
      std::fprintf(stderr, "%s\n", sink->Error().c_str());
      return 1;
    }
  }
  const double recording = PeakMb();
  sink->SetChapters({{"Start", 0}}, static_cast<std::uint64_t>(minutes) * 60000);
  if (!sink->Finish()) {
    std::fprintf(stderr, "%s\n", sink->Error().c_str());
    return 1;
  }
  const std::string line = std::to_string(halfWay) + " " + std::to_string(recording) + " " + std::to_string(frames) + "\n";
  return ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : 1;
}

bool Run(const char* label, RecordingForm form, int scale, const std::string& path, int minutes) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    std::_Exit(Record(form, scale, path, minutes, pipeFds[1]));
  }
  ::close(pipeFds[1]);
  char text[128] = {};
  const ssize_t got = ::read(pipeFds[0], text, sizeof text - 1);
  ::close(pipeFds[0]);
  int status = 0;
  rusage usage{};
  if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      got <= 0) {
    std::fprintf(stderr, "%s, %d minutes: the recording failed\n", label, minutes);
    return false;
  }
  double halfWay = 0, recording = 0;
  unsigned frames = 0;
  std::sscanf(text, "%lf %lf %u", &halfWay, &recording, &frames);
  const long long bytes = [&] {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1LL;
    std::fseek(f, 0, SEEK_END);
    const long long n = std::ftell(f);
    std::fclose(f);
    return n;
  }();
  std::printf("%-20s %3d min  %7u frames  %8.1f MB file  %7.1f MB half-way  %7.1f MB recording  %7.1f MB with the end\n",
              label, minutes, frames, bytes / 1e6, halfWay, recording, usage.ru_maxrss / 1024.0);
  std::fflush(stdout);
  ::unlink(path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> minutes;
  std::string only;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
      only = argv[++i];
      continue;
    }
    const int m = std::atoi(argv[i]);
    if (m <= 0 || m > 600) {
      std::fprintf(stderr, "usage: zintavel_sink_memory_bench [--only TEXT] [MINUTES...]   (each 1 to 600; default 10 60)\n");
      return 2;
    }
    minutes.push_back(m);
  }
  if (minutes.empty()) minutes = {10, 60};
  char dir[] = "/tmp/zintavel-memory-XXXXXX";
  if (!::mkdtemp(dir)) {
    std::perror("zintavel_sink_memory_bench: cannot make a temporary directory");
    return 1;
  }
  std::printf("form                 show     frames       file            peak memory\n");
  struct Form {
    const char* label;
    RecordingForm form;
    int scale;
    const char* file;
  };
  const Form forms[] = {{".mp4 H.264+AAC, 1x", RecordingForm::Mp4, 1, "/a.mp4"},
                        {".mp4 H.264+AAC, 4x", RecordingForm::Mp4, 4, "/a.mp4"},
                        {".mkv FFV1+FLAC, 1x", RecordingForm::Mkv, 1, "/a.mkv"}};
  bool ok = true;
  for (const Form& f : forms)
    if (std::strstr(f.label, only.c_str()))
      for (int m : minutes) ok = Run(f.label, f.form, f.scale, std::string(dir) + f.file, m) && ok;
  ::rmdir(dir);
  return ok ? 0 : 1;
}
