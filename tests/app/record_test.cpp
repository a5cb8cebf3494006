// Recordings end to end: the program records to each form, and what it wrote
// is read back through libavformat/libavcodec and compared with what was asked
// for and with the PNG form of the same run.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr std::size_t WavHeader = 80;

// Everything of a file's first video and audio streams, decoded: frames as
// packed RGB, sound as 16-bit interleaved stereo (when the codec gives s16).
struct Decoded {
  bool opened = false;
  double duration = 0;  // seconds, from the container
  AVRational frameRate{0, 1};
  int width = 0, height = 0, sampleRate = 0;
  std::vector<std::vector<std::uint8_t>> frames;
  std::int64_t samples = 0;
  std::vector<std::int16_t> pcm;
};

Decoded Decode(const std::string& path, bool keepFrames) {
  Decoded d;
  av_log_set_level(AV_LOG_QUIET);
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return d;
  if (avformat_find_stream_info(format, nullptr) < 0) {
    avformat_close_input(&format);
    return d;
  }
  d.opened = true;
  d.duration = format->duration / double(AV_TIME_BASE);
  AVCodecContext* codecs[2] = {};
  const int streams[2] = {av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0),
                          av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0)};
  for (int i = 0; i < 2; ++i) {
    if (streams[i] < 0) continue;
    const AVCodecParameters* par = format->streams[streams[i]]->codecpar;
    codecs[i] = avcodec_alloc_context3(avcodec_find_decoder(par->codec_id));
    avcodec_parameters_to_context(codecs[i], par);
    avcodec_open2(codecs[i], codecs[i]->codec, nullptr);
  }
  if (streams[0] >= 0) d.frameRate = format->streams[streams[0]]->r_frame_rate;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  SwsContext* toRgb = nullptr;
  auto drain = [&](int i) {
    while (avcodec_receive_frame(codecs[i], frame) == 0) {
      if (i == 0) {
        d.width = frame->width, d.height = frame->height;
        if (keepFrames) {
          toRgb = sws_getCachedContext(toRgb, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                       frame->height, AV_PIX_FMT_RGB24, SWS_POINT, nullptr, nullptr, nullptr);
          std::vector<std::uint8_t> rgb(static_cast<std::size_t>(frame->width) * frame->height * 3);
          std::uint8_t* dst[1] = {rgb.data()};
          const int stride[1] = {frame->width * 3};
          sws_scale(toRgb, frame->data, frame->linesize, 0, frame->height, dst, stride);
          d.frames.push_back(std::move(rgb));
        } else {
          d.frames.emplace_back();
        }
      } else {
        d.sampleRate = frame->sample_rate;
        d.samples += frame->nb_samples;
        if (frame->format == AV_SAMPLE_FMT_S16) {
          const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
          d.pcm.insert(d.pcm.end(), s, s + 2 * frame->nb_samples);
        }
      }
      av_frame_unref(frame);
    }
  };
  while (av_read_frame(format, packet) >= 0) {
    for (int i = 0; i < 2; ++i)
      if (packet->stream_index == streams[i] && codecs[i]) {
        avcodec_send_packet(codecs[i], packet);
        drain(i);
      }
    av_packet_unref(packet);
  }
  for (int i = 0; i < 2; ++i)
    if (codecs[i]) {
      avcodec_send_packet(codecs[i], nullptr);
      drain(i);
      avcodec_free_context(&codecs[i]);
    }
  sws_freeContext(toRgb);
  av_frame_free(&frame);
  av_packet_free(&packet);
  avformat_close_input(&format);
  return d;
}

// The frame count the closing line gives: "... (N frames".
int FramesWritten(const std::string& output) {
  std::smatch m;
  if (!std::regex_search(output, m, std::regex("\\(([0-9]+) frames of"))) return -1;
  return std::stoi(m[1]);
}

int Lines(const std::string& output, const std::string& containing) {
  int n = 0;
  std::size_t at = 0;
  while ((at = output.find(containing, at)) != std::string::npos) ++n, ++at;
  return n;
}

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// The WAV header's sizes agree with the file: RIFF and data, whole sample frames.
void ExpectTruthfulWav(const std::string& path) {
  const std::vector<std::uint8_t> wav = ReadAll(path);
  ASSERT_GE(wav.size(), WavHeader) << path;
  EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8) << path;
  EXPECT_EQ(std::memcmp(wav.data() + 72, "data", 4), 0);
  EXPECT_EQ(Le32(wav, 76), wav.size() - WavHeader) << path;
  EXPECT_EQ((wav.size() - WavHeader) % 4, 0u) << path;
}

}  // namespace

TEST(RecordTest, EachVideoFormHoldsWhatWasAsked) {
  struct Form {
    const char* name;
    const char* args;
    int width, sampleRate;
  };
  for (const Form& f : {Form{"a.mp4", "--scale 2", 640, 44100}, Form{"a.mkv", "", 320, 44100},
                        Form{"a.webm", "--scale 1", 320, 48000}}) {
    TempDir dir;
    const std::string path = dir.Path(f.name);
    ProgramResult r = RunProgram("--record " + path + " --fps 12 --quit-at 500 " + f.args);
    ASSERT_EQ(r.code, 0) << r.output;
    const int frames = FramesWritten(r.output);
    ASSERT_GT(frames, 120) << r.output;  // the closing's ten seconds at least
    const double seconds = frames / 12.0;
    Decoded d = Decode(path, false);
    ASSERT_TRUE(d.opened) << f.name;
    EXPECT_EQ(static_cast<int>(d.frames.size()), frames) << f.name;
    EXPECT_EQ(d.frameRate.num, 12 * d.frameRate.den) << f.name;
    EXPECT_EQ(d.width, f.width) << f.name;
    EXPECT_EQ(d.height, f.width * 3 / 4) << f.name;
    EXPECT_NEAR(d.duration, seconds, 1 / 12.0) << f.name;
    EXPECT_EQ(d.sampleRate, f.sampleRate) << f.name;
    EXPECT_NEAR(d.samples / double(f.sampleRate), seconds, 1 / 12.0) << f.name;
  }
}

TEST(RecordTest, LosslessFileEqualsThePngFramesAndTheWav) {
  TempDir dir;
  const std::string args = " --fps 11 --quit-at 21000 --start-tick 5";  // into part one, whose sound begins at 20 s
  ProgramResult mkv = RunProgram("--record " + dir.Path("a.mkv") + args);
  ProgramResult png = RunProgram("--record " + dir.Path("png") + args);
  ASSERT_EQ(mkv.code, 0) << mkv.output;
  ASSERT_EQ(png.code, 0) << png.output;
  const int frames = FramesWritten(mkv.output);
  Decoded d = Decode(dir.Path("a.mkv"), true);
  ASSERT_EQ(static_cast<int>(d.frames.size()), frames);
  // Every frame: a run of equal frames is written as one packet repeated.
  int repeats = 0;
  for (int k = 1; k < frames; ++k) repeats += d.frames[k] == d.frames[k - 1];
  EXPECT_GT(repeats, 0);
  for (int k = 0; k < frames; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "png/frame-%06d.png", k);
    Decoded p = Decode(dir.Path(name), true);
    ASSERT_EQ(p.frames.size(), 1u) << name;
    ASSERT_TRUE(p.frames[0] == d.frames[k]) << "frame " << k << " differs from " << name;
  }
  // The sound: every sample the same, exactly frames * 44100 / fps of them.
  const std::vector<std::uint8_t> wav = ReadAll(dir.Path("png/audio.wav"));
  ASSERT_GT(wav.size(), WavHeader);
  const std::size_t samples = (wav.size() - WavHeader) / 2;
  EXPECT_EQ(samples / 2, static_cast<std::size_t>(frames) * 44100 / 11);
  ASSERT_EQ(d.pcm.size(), samples);
  EXPECT_EQ(std::memcmp(d.pcm.data(), wav.data() + WavHeader, samples * 2), 0);
  // Silent under the title; the MP3 starts on the first sample of part one,
  // frame 220 at 11 frames a second, sample 220 * 44100 / 11.
  const std::size_t partOne = 220ull * 44100 / 11;
  std::size_t first = 0;
  while (first < d.pcm.size() / 2 && d.pcm[2 * first] == 0 && d.pcm[2 * first + 1] == 0) ++first;
  EXPECT_GE(first, partOne);
  EXPECT_LT(first, partOne + 2000);
}

TEST(RecordTest, BadTargetsAreOneLineAndLeaveNothing) {
  TempDir dir;
  struct Case {
    std::string path;
    int code;
    const char* says;
  };
  for (const Case& c : {Case{"/etc/passwd", 2, "not a directory"}, Case{dir.Path("a.avi"), 1, "'.avi'"},
                        Case{dir.Path("none/a.mp4"), 1, "cannot create"},
                        Case{"/etc/passwd/frames", 1, "cannot create"}}) {
    ProgramResult r = RunProgram("--record " + c.path + " --quit-at 0");
    EXPECT_EQ(r.code, c.code) << c.path << ": " << r.output;
    EXPECT_EQ(Lines(r.output, "\n"), 1) << r.output;
    EXPECT_NE(r.output.find(c.path), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(c.says), std::string::npos) << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("a.avi")));
  // A run that fails before its first frame writes neither a video nor a sound file.
  for (const char* target : {"v.mkv", "frames"}) {
    ProgramResult r = RunProgram("--record " + dir.Path(target) + " --dir " + dir.Path("") + " --quit-at 0");
    EXPECT_EQ(r.code, 1) << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path("v.mkv")));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("frames/audio.wav")));
  // Nor, through a dangling link, the file it points to.
  std::filesystem::create_symlink(dir.Path("missing.mkv"), dir.Path("link.mkv"));
  EXPECT_EQ(RunProgram("--record " + dir.Path("link.mkv") + " --dir " + dir.Path("") + " --quit-at 0").code, 1);
  EXPECT_FALSE(std::filesystem::exists(dir.Path("missing.mkv")));
  // System directories take no frames, whatever root may write.
  for (const char* system : {"/", "/etc/", "/usr/../usr"}) {
    ProgramResult r = RunProgram(std::string("--record ") + system + " --quit-at 0");
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_EQ(Lines(r.output, "\n"), 1) << r.output;
    EXPECT_NE(r.output.find("a system directory"), std::string::npos) << r.output;
  }
}

TEST(RecordTest, LinesSayWhatHappenedToTheTarget) {
  TempDir dir;
  // A directory of other files: said, and recorded into.
  std::filesystem::create_directory(dir.Path("shared"));
  std::ofstream(dir.Path("shared/notes.txt")) << "mine";
  ProgramResult shared = RunProgram("--record " + dir.Path("shared") + " --fps 2 --every 1000 --quit-at 0");
  EXPECT_EQ(shared.code, 0) << shared.output;
  EXPECT_EQ(Lines(shared.output, "already holds 1 other file;"), 1) << shared.output;
  // A clip's end as given, to the tenth.
  ProgramResult clip = RunProgram("--record " + dir.Path("clip") + " --fps 2 --every 1000 --stop-at 2.5");
  EXPECT_EQ(clip.code, 0) << clip.output;
  EXPECT_EQ(Lines(clip.output, "clip ends at 0:02.5,"), 1) << clip.output;
  // Failed before the first frame: the earlier file of that name is not called the recording.
  std::ofstream(dir.Path("old.mp4")) << "an earlier recording";
  ProgramResult early = RunProgram("--record " + dir.Path("old.mp4") + " --size 1");
  EXPECT_EQ(early.code, 1) << early.output;
  EXPECT_EQ(Lines(early.output, "nothing written to " + dir.Path("old.mp4")), 1) << early.output;
  EXPECT_EQ(Lines(early.output, "(0 frames"), 0) << early.output;
}

TEST(RecordTest, FullDiskStopsAtTheFirstFailedWrite) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  TempDir dir;
  const std::string mnt = dir.Path("small");
  std::filesystem::create_directory(mnt);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=3m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  for (const char* target : {"frames", "a.mkv"}) {
    ProgramResult r = RunProgram("--record " + mnt + "/" + target + " --fps 30 --quit-at 60000");
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_EQ(Lines(r.output, "No space left on device"), 1) << r.output;
    EXPECT_EQ(Lines(r.output, "zintavel: " + mnt), 1) << r.output;
    if (std::string(target) == "frames") {
      ExpectTruthfulWav(mnt + "/frames/audio.wav");
      for (const auto& e : std::filesystem::directory_iterator(mnt + "/frames"))
        EXPECT_EQ(e.path().filename().string().rfind(".partial", 0), std::string::npos) << e.path();
      std::filesystem::remove_all(mnt + "/frames");
    } else {
      // Matroska plays up to where the disk filled.
      Decoded d = Decode(mnt + "/a.mkv", false);
      EXPECT_TRUE(d.opened);
      EXPECT_GT(d.frames.size(), 0u);
    }
  }
  umount(mnt.c_str());
}

TEST(RecordTest, ClosedStandardFilesAndTheFileSizeLimit) {
  TempDir dir;
  // Started with 0, 1 and 2 closed, the recording is not opened on one of
  // them: its lines would be written into it.
  {
    const std::string path = dir.Path("closed.mkv");
    ProgramResult r = RunCommand("sh -c 'exec " + std::string(ZINTAVEL_BINARY) + " --record " + path +
                                 " --fps 5 --quit-at 0 <&- >&- 2>&-'");
    EXPECT_EQ(r.code, 0) << r.output;
    Decoded d = Decode(path, false);
    ASSERT_TRUE(d.opened);
    EXPECT_GE(d.frames.size(), 50u);  // the closing's ten seconds at 5 a second
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()).find("zintavel:"), std::string::npos);
  }
  // Past `ulimit -f` (512-byte blocks: 1 MB), writes fail and the recording
  // ends as on a full disk: finalised, one line, exit code 1.
  for (const char* target : {"limit.mkv", "limit"}) {
    const std::string path = dir.Path(target);
    ProgramResult r = RunCommand("ulimit -f 2000; exec " + std::string(ZINTAVEL_BINARY) + " --record " + path +
                                 " --fps 10 --quit-at 60000");
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_EQ(Lines(r.output, "file size limit"), 1) << r.output;
    EXPECT_EQ(Lines(r.output, "zintavel: " + path), 1) << r.output;
    if (std::string(target) == "limit") {
      ExpectTruthfulWav(path + "/audio.wav");
    } else {
      Decoded d = Decode(path, false);
      EXPECT_TRUE(d.opened);
      EXPECT_GT(d.frames.size(), 0u);
    }
  }
}

namespace {

// Starts a recording with its stderr in a file; the caller signals and waits.
pid_t StartRecording(const std::string& args, const std::string& log) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (!freopen(log.c_str(), "w", stderr)) _exit(127);  // a child that cannot log is a failed run
    execl("/bin/sh", "sh", "-c", (std::string("exec ") + ZINTAVEL_BINARY + " " + args).c_str(), nullptr);
    _exit(127);
  }
  return pid;
}

bool WaitForText(const std::string& log, const std::string& text) {
  for (int i = 0; i < 600; ++i) {
    const std::vector<std::uint8_t> b = ReadAll(log);
    if (std::string(b.begin(), b.end()).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

int WaitExit(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(RecordTest, SignalsFinishTheRecording) {
  TempDir dir;
  // One SIGINT: the quit request, so the closing fade is recorded, then exit 0.
  {
    const pid_t pid = StartRecording("--record " + dir.Path("once.mkv") + " --fps 20", dir.Path("once.log"));
    ASSERT_TRUE(WaitForText(dir.Path("once.log"), "recording title card"));
    kill(pid, SIGINT);
    EXPECT_EQ(WaitExit(pid), 0);
    const std::vector<std::uint8_t> log = ReadAll(dir.Path("once.log"));
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("recording closing"), std::string::npos) << text;
    Decoded d = Decode(dir.Path("once.mkv"), false);
    ASSERT_TRUE(d.opened) << text;
    EXPECT_EQ(static_cast<int>(d.frames.size()), FramesWritten(text));
    EXPECT_GE(d.duration, 10.0);
  }
  // Two: stopped at once, 128 + SIGTERM, and still finalised.
  {
    const pid_t pid = StartRecording("--record " + dir.Path("twice") + " --fps 20", dir.Path("twice.log"));
    ASSERT_TRUE(WaitForText(dir.Path("twice.log"), "recording title card"));
    kill(pid, SIGTERM);
    ASSERT_TRUE(WaitForText(dir.Path("twice.log"), "interrupted"));
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid), 128 + SIGTERM);
    const std::vector<std::uint8_t> log = ReadAll(dir.Path("twice.log"));
    const std::string text(log.begin(), log.end());
    EXPECT_NE(text.find("stopped by a signal"), std::string::npos) << text;
    ExpectTruthfulWav(dir.Path("twice/audio.wav"));
  }
}

TEST(RecordTest, SecondSignalKeepsTheFragmentedFileAndNoHiddenCopy) {
  TempDir dir;
  const std::string path = dir.Path("twice.mp4");
  // Hidden half-written files of a killed run go when the next recording to
  // the same target starts.
  std::ofstream(dir.Path(".partial-twice.mp4")) << "left by a killed run";
  std::filesystem::create_directory(dir.Path("frames"));
  std::ofstream(dir.Path("frames/.partial-frame-000007.png")) << "half a frame";
  ProgramResult png = RunProgram("--record " + dir.Path("frames") + " --fps 2 --every 1000 --quit-at 0");
  EXPECT_EQ(png.code, 0) << png.output;
  EXPECT_FALSE(std::filesystem::exists(dir.Path("frames/.partial-frame-000007.png")));

  const pid_t pid = StartRecording("--record " + path + " --fps 20", dir.Path("twice.log"));
  ASSERT_TRUE(WaitForText(dir.Path("twice.log"), "recording title card"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path(".partial-twice.mp4")));
  kill(pid, SIGTERM);
  ASSERT_TRUE(WaitForText(dir.Path("twice.log"), "interrupted"));
  kill(pid, SIGTERM);
  EXPECT_EQ(WaitExit(pid), 128 + SIGTERM);
  // Kept as written: still in fragments, no copy with its index first.
  const std::vector<std::uint8_t> bytes = ReadAll(path);
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("moof"), std::string::npos);
  EXPECT_GT(Decode(path, false).frames.size(), 0u);
  for (const auto& e : std::filesystem::directory_iterator(dir.Path("")))
    EXPECT_EQ(e.path().filename().string().rfind(".partial", 0), std::string::npos) << e.path();
}
