// Memory of a long recording: the video sink (on its worker thread, as the
// program runs it) fed synthetic frames and sound at the show's sizes (320x240
// at 60 fps, 735 sample frames of stereo a frame) for 10 and 60 minutes, into
// .mp4 and .mkv. Each run is a child process of its own; it prints the peak
// resident memory while recording and, separately, the peak over the whole run
// with the clean end (for .mp4, the copy with its index first).
//   zintavel_sink_memory_bench [MINUTES...]   (default: 10 60)
// The frames are cheap to encode (flat, a new colour every second), so the
// hour runs in a few minutes; what grows with the length is the muxers'
// bookkeeping per packet, which does not depend on the pictures.
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

double PeakMb() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;
}

// Runs in the child: records, then writes "<recording peak> <frames>" to fd.
int Record(RecordingForm form, const std::string& path, int minutes, int fd) {
  SinkSettings settings;
  settings.path = path;
  settings.form = form;
  settings.fps = Fps;
  settings.crf = 24;
  std::unique_ptr<RecordingSink> sink = MakeThreadedSink(MakeVideoFileSink(settings));
  if (!sink->Prepare() || !sink->Begin(Width, Height)) {
    std::fprintf(stderr, "%s\n", sink->Error().c_str());
    return 1;
  }
  std::vector<std::uint32_t> frame(Width * Height);
  std::vector<std::int16_t> sound(2 * SamplesPerFrame);
  const std::uint32_t frames = static_cast<std::uint32_t>(minutes) * 60 * Fps;
  std::uint32_t phase = 0;
  for (std::uint32_t i = 0; i < frames; ++i) {
    // A flat picture that changes colour once a second: every frame still
    // makes a packet (the .mkv writes an unchanged frame's packet again), and
    // the encoders have almost nothing to do.
    if (i % Fps == 0) std::fill(frame.begin(), frame.end(), (i / Fps * 0x010305u) & 0x00FFFFFFu);
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
  const std::string line = std::to_string(recording) + " " + std::to_string(frames) + "\n";
  return ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size()) ? 0 : 1;
}

bool Run(const char* label, RecordingForm form, const std::string& path, int minutes) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipeFds[0]);
    std::_Exit(Record(form, path, minutes, pipeFds[1]));
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
  double recording = 0;
  unsigned frames = 0;
  std::sscanf(text, "%lf %u", &recording, &frames);
  const long long bytes = [&] {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1LL;
    std::fseek(f, 0, SEEK_END);
    const long long n = std::ftell(f);
    std::fclose(f);
    return n;
  }();
  std::printf("%-24s %3d min  %7u frames  %8.1f MB file  %7.1f MB peak recording  %7.1f MB peak with the end\n",
              label, minutes, frames, bytes / 1e6, recording, usage.ru_maxrss / 1024.0);
  std::fflush(stdout);
  ::unlink(path.c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> minutes;
  for (int i = 1; i < argc; ++i) {
    const int m = std::atoi(argv[i]);
    if (m <= 0 || m > 600) {
      std::fprintf(stderr, "usage: zintavel_sink_memory_bench [MINUTES...]   (each 1 to 600; default 10 60)\n");
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
  std::printf("form                     show     frames       file            memory\n");
  bool ok = true;
  for (int m : minutes) ok = Run(".mp4 H.264+AAC, 1x", RecordingForm::Mp4, std::string(dir) + "/a.mp4", m) && ok;
  for (int m : minutes) ok = Run(".mkv FFV1+FLAC, 1x", RecordingForm::Mkv, std::string(dir) + "/a.mkv", m) && ok;
  ::rmdir(dir);
  return ok ? 0 : 1;
}
