// What a recording leaves when it ends well and when it is cut: an .mp4 with
// its index first after a clean end; after a kill, every form plays up to
// about a second before the cut; after a full disk the closing line says what
// plays, as read back, and a file that holds nothing is removed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace {


std::string Text(const std::string& path) {
  const std::vector<std::uint8_t> b = ReadAll(path);
  return {b.begin(), b.end()};
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return std::uint32_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
}
std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

// The top-level boxes of an MP4 file, in order.
std::string TopBoxes(const std::vector<std::uint8_t>& b) {
  std::string boxes;
  for (std::size_t at = 0; at + 8 <= b.size();) {
    const std::uint32_t size = Be32(b, at);
    boxes += std::string(reinterpret_cast<const char*>(&b[at + 4]), 4) + " ";
    if (size < 8) break;
    at += size;
  }
  return boxes;
}

}  // namespace

TEST(FastStartTest, CleanMp4EndHasOneIndexFirst) {
  TempDir dir;
  const ProgramResult r = RunProgram("--record " + dir.Path("a.mp4") + " --scale 1 --fps 10 --quit-at 3000");
  ASSERT_EQ(r.code, 0) << r.output;
  const std::string boxes = TopBoxes(ReadAll(dir.Path("a.mp4")));
  EXPECT_EQ(boxes.rfind("ftyp moov ", 0), 0u) << boxes;
  EXPECT_EQ(boxes.find("moof"), std::string::npos) << "not fragmented any more: " << boxes;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.output, m, std::regex("\\(([0-9]+) frames of"))) << r.output;
  EXPECT_EQ(DecodedFrames(dir.Path("a.mp4")), std::stol(m[1]));
  for (const auto& e : std::filesystem::directory_iterator(dir.Path("")))
    EXPECT_EQ(e.path().filename().string().rfind(".partial", 0), std::string::npos) << e.path();
}

TEST(FastStartTest, EveryFormPlaysUpToAKill) {
  TempDir dir;
  constexpr int Fps = 30;
  for (const char* target : {"k.mp4", "k.webm", "k.mkv", "frames"}) {
    const std::string log = dir.Path(std::string(target) + ".log");
    const pid_t pid = fork();
    if (pid == 0) {
      if (!std::freopen(log.c_str(), "w", stderr)) _exit(127);  // a child that cannot log is a failed run
      const std::string command = std::string("exec ") + ZINTAVEL_BINARY + " --record " + dir.Path(target) +
                                  " --scale 1 --fps " + std::to_string(Fps);
      execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
      _exit(127);
    }
    // Part one starts 20 s into the show; the kill comes as it is announced.
    bool reached = false;
    for (int i = 0; i < 1200 && !reached; ++i) {
      reached = Text(log).find("recording part one") != std::string::npos;
      if (!reached) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(reached) << target << ": " << Text(log);
    // Up to about a second before the cut: the encoder's delay and the last
    // unfinished fragment or cluster.
    const long least = (20 - 2) * Fps;
    if (std::string(target) != "frames") {
      EXPECT_GE(DecodedFrames(dir.Path(target)), least) << target;
      continue;
    }
    long pngs = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path(target)))
      pngs += e.path().extension() == ".png";
    EXPECT_GE(pngs, least);
    // The WAV header lags the data by at most a second of sound.
    const std::vector<std::uint8_t> wav = ReadAll(dir.Path("frames/audio.wav"));
    ASSERT_GE(wav.size(), 80u);
    const std::uint64_t data = wav.size() - 80, said = Le32(wav, 76);
    EXPECT_LE(said, data);
    EXPECT_LE(data - said, 44100u * 4 + 65536) << "a second of sound, and the write buffer";
  }
}

TEST(FastStartTest, FullDiskLineSaysWhatPlays) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a small tmpfs needs root";
  TempDir dir;
  const std::string mnt = dir.Path("small");
  std::filesystem::create_directory(mnt);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=1m") != 0)
    GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
  for (const char* target : {"a.mp4", "a.webm"}) {
    const std::string path = mnt + "/" + target;
    const ProgramResult r = RunProgram("--record " + path + " --fps 30 --quit-at 60000");
    EXPECT_EQ(r.code, 1) << r.output;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.output, m, std::regex("holding ([0-9]+) frames of [0-9x]+ \\(([0-9.]+) s\\) that play")))
        << r.output;
    EXPECT_EQ(DecodedFrames(path), std::stol(m[1])) << r.output;
    EXPECT_GT(std::stol(m[1]), 0);
    std::filesystem::remove(path);
  }
  // A disk already full: nothing plays, and no empty file is left.
  {
    std::FILE* fill = std::fopen((mnt + "/fill").c_str(), "wb");
    const std::vector<char> block(4096, 1);
    while (std::fwrite(block.data(), 1, block.size(), fill) == block.size()) {
    }
    std::fclose(fill);
    const ProgramResult r = RunProgram("--record " + mnt + "/b.mkv --fps 30 --quit-at 60000");
    EXPECT_EQ(r.code, 1) << r.output;
    EXPECT_NE(r.output.find("nothing that plays (" + mnt + "/b.mkv removed)"), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(mnt + "/b.mkv"));
  }
  umount(mnt.c_str());
}
