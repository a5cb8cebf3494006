// The real program, end to end: under SDL's dummy video and disk audio drivers,
// and recording headless a whole presentation at a low frame rate.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace {

// The recorded WAV's header: RIFF, a JUNK chunk kept for 64-bit sizes, fmt, data.
constexpr std::size_t WavHeader = 80;

// RMS of 16-bit stereo PCM (after the header) over [from, to) seconds.
double WavRms(const std::vector<std::uint8_t>& wav, double from, double to) {
  const std::size_t frames = (wav.size() - WavHeader) / 4;
  const auto a = static_cast<std::size_t>(from * 44100), b = std::min(frames, static_cast<std::size_t>(to * 44100));
  double sum = 0;
  for (std::size_t i = a; i < b; ++i) {
    const auto l = static_cast<std::int16_t>(wav[WavHeader + 4 * i] | wav[WavHeader + 1 + 4 * i] << 8);
    sum += static_cast<double>(l) * l;
  }
  return b > a ? std::sqrt(sum / (b - a)) / 32768.0 : 0;
}

double PhaseStart(const std::string& output, const std::string& phase) {
  std::smatch m;
  if (!std::regex_search(output, m, std::regex("recording " + phase + ", ([0-9.]+) s"))) return -1;
  return std::stod(m[1]);
}

}  // namespace

TEST(ProgramTest, CommandLine) {
  EXPECT_EQ(RunProgram("--help").code, 0);
  ProgramResult v = RunProgram("--version");
  EXPECT_EQ(v.code, 0);
  EXPECT_NE(v.output.find("zintavel "), std::string::npos);
  for (const char* bad : {"--bogus", "--depth 17", "--fps 0", "--quit-at soon", "--record"}) {
    ProgramResult r = RunProgram(bad);
    EXPECT_EQ(r.code, 2) << bad;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << bad << ": " << r.output;
  }
  ProgramResult missing = RunProgram("--dir /nonexistent/zintavel");
  EXPECT_EQ(missing.code, 2);
  EXPECT_NE(missing.output.find("/nonexistent/zintavel: no such directory"), std::string::npos);
  EXPECT_NE(RunProgram("--dir /etc/passwd").output.find("/etc/passwd: not a directory"), std::string::npos);
}

TEST(ProgramTest, EmptyPresentationDirectoryIsAFatalError) {
  TempDir dir;
  ProgramResult r = RunProgram("--record " + dir.Path("out") + " --dir " + dir.Path(""));
  EXPECT_EQ(r.code, 1);
  // One line names the file, says what the bare message means and quotes it.
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find("Can't play the file"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("tune.it: cannot open"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("cannot start without its music"), std::string::npos) << r.output;
  // Live, with no display to play on: that is said first, and alone.
  ProgramResult live = RunProgram("--dir " + dir.Path(""), "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
  EXPECT_EQ(live.code, 1) << live.output;
  EXPECT_EQ(std::count(live.output.begin(), live.output.end(), '\n'), 1) << live.output;
  EXPECT_NE(live.output.find("display"), std::string::npos) << live.output;
}

TEST(ProgramTest, NamesWithALineEndStayOnOneLine) {
  TempDir dir;
  const std::string odd = "\"$(printf '" + dir.Path("a\\nb") + "')\"";
  for (const std::string& args : {"--dir " + odd + "/none", "--dir " + odd + "/x --check",
                                  "--record " + odd + ".mkv --dir " + dir.Path("")}) {
    ProgramResult r = RunProgram(args);
    EXPECT_NE(r.code, 0) << args;
    std::istringstream lines(r.output);
    for (std::string line; std::getline(lines, line);)
      EXPECT_EQ(line.rfind("zintavel: ", 0), 0u) << args << ": " << r.output;
  }
  ProgramResult r = RunProgram("--record " + odd + ".mkv --fps 5 --quit-at 0");
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("a?b.mkv ("), std::string::npos) << r.output;
  std::istringstream lines(r.output);
  for (std::string line; std::getline(lines, line);)
    EXPECT_EQ(line.rfind("zintavel: ", 0), 0u) << r.output;
}

TEST(ProgramTest, CutShortModuleIsNamedAtStartUp) {
  TempDir dir;
  const std::string demo = ZINTAVEL_DEMO_DIR;
  std::filesystem::create_directory(dir.Path("show"));
  std::filesystem::copy(demo + "/data", dir.Path("show/data"), std::filesystem::copy_options::recursive);
  const std::vector<std::uint8_t> tune = ReadAll(demo + "/tune.it");
  std::ofstream(dir.Path("show/tune.it"), std::ios::binary)
      .write(reinterpret_cast<const char*>(tune.data()), static_cast<std::streamsize>(tune.size() * 4 / 10));
  ProgramResult r = RunProgram("--record " + dir.Path("out") + " --dir " + dir.Path("show") +
                               " --fps 2 --every 1000 --quit-at 76000");
  EXPECT_EQ(r.code, 0) << r.output;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.output, m, std::regex("tune.it: cut short or damaged: .*\\n"))) << r.output;
  EXPECT_NE(m.str().find("it plays "), std::string::npos) << m.str();
  EXPECT_EQ(r.output.find("tune.it", m.position() + m.length()), std::string::npos) << "named once: " << r.output;
}

TEST(ProgramTest, LiveUnderDummyDrivers) {
  TempDir dir;
  const std::string raw = dir.Path("sound.raw");
  ProgramResult r = RunProgram("--quit-at 1500", "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=" + raw);
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("zintavel: renderer "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("mode 320x240 at 32 bits"), std::string::npos) << r.output;
  // The MP3 starts when the title ends (here by the quit) and plays under the closing.
  const std::vector<std::uint8_t> bytes = ReadAll(raw);
  ASSERT_GT(bytes.size(), 44100u * 8 * 5);
  double sum = 0;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    float f;
    std::memcpy(&f, &bytes[i], 4);
    sum += f * f;
  }
  EXPECT_GT(std::sqrt(sum / (bytes.size() / 4)), 0.01);
}

TEST(ProgramTest, RecordsAWholePresentation) {
  TempDir dir;
  const std::string out = dir.Path("rec");
  ProgramResult r = RunProgram("--record " + out + " --fps 5 --every 25 --quit-at 100000");
  ASSERT_EQ(r.code, 0) << r.output;
  // Phases at 200 ms frames: part one from 20 s; it ends on its first frame at
  // 54 s or more; the countdown's 9.6 s, the bridge's 5.76 s, the closing's 10 s.
  EXPECT_DOUBLE_EQ(PhaseStart(r.output, "part one"), 20.0);
  EXPECT_NEAR(PhaseStart(r.output, "countdown"), 74.2, 0.05);
  EXPECT_NEAR(PhaseStart(r.output, "bridge"), 83.8, 0.05);
  EXPECT_NEAR(PhaseStart(r.output, "part two"), 89.6, 0.05);
  EXPECT_NEAR(PhaseStart(r.output, "closing"), 100.0, 0.25);
  // Every 25th frame written, named by its index.
  int frames = 0;
  for (const auto& e : std::filesystem::directory_iterator(out)) frames += e.path().extension() == ".png";
  const double seconds = PhaseStart(r.output, "closing") + 10.0;
  const int presented = static_cast<int>(std::lround(seconds * 5));  // frames 0 .. presented - 1
  EXPECT_EQ(frames, (presented - 1) / 25 + 1);
  EXPECT_TRUE(std::filesystem::exists(out + "/frame-000025.png"));
  // Sound where each piece plays: none under the title, the MP3 in part one,
  // the module from the countdown on, fading out in the closing.
  const std::vector<std::uint8_t> wav = ReadAll(out + "/audio.wav");
  ASSERT_GT(wav.size(), WavHeader);
  EXPECT_NEAR((wav.size() - WavHeader) / 4 / 44100.0, seconds, 0.05);
  EXPECT_EQ(WavRms(wav, 0, 19.9), 0.0);
  EXPECT_GT(WavRms(wav, 21, 70), 0.02);
  EXPECT_LT(WavRms(wav, 73.6, 74.1), 0.01);  // part one faded to silence
  EXPECT_GT(WavRms(wav, 75, 100), 0.02);
  EXPECT_LT(WavRms(wav, seconds - 0.5, seconds), WavRms(wav, seconds - 9, seconds - 6) / 4);
}

TEST(ProgramTest, RecordsEveryDepthDoubled) {
  for (const char* depth : {"16", "15", "24"}) {
    TempDir dir;
    ProgramResult r = RunProgram("--record " + dir.Path("rec") + " --fps 2 --every 1000 --quit-at 0 --depth " + depth + " --double");
    ASSERT_EQ(r.code, 0) << r.output;
    EXPECT_NE(r.output.find("mode 640x480 at " + std::string(depth) + " bits (doubled)"), std::string::npos) << r.output;
    const std::vector<std::uint8_t> png = ReadAll(dir.Path("rec/frame-000000.png"));
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png[16] << 24 | png[17] << 16 | png[18] << 8 | png[19], 640);
    EXPECT_EQ(png[20] << 24 | png[21] << 16 | png[22] << 8 | png[23], 480);
  }
}

TEST(ProgramTest, RunsAcrossTheTickCounterWrap) {
  TempDir dir;
  ProgramResult r = RunProgram("--record " + dir.Path("rec") + " --fps 4 --every 10000 --start-tick 4294950000 --quit-at 30000");
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_DOUBLE_EQ(PhaseStart(r.output, "part one"), 20.0);
  EXPECT_NEAR(PhaseStart(r.output, "closing"), 30.0, 0.3);
}
