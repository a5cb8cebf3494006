// The live player and the installed program, end to end: pacing and signals
// under SDL's dummy drivers, where the presentation is found, and an install
// into a temporary prefix run from elsewhere.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>

#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* DummyDrivers = "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null";

double FramesPerSecond(const std::string& output) {
  std::smatch m;
  if (!std::regex_search(output, m, std::regex("frames in [0-9.]+ s, ([0-9.]+) a second"))) return -1;
  return std::stod(m[1]);
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(PlayerTest, PacedToTheRefreshRateWithoutVsync) {
  // The dummy driver has no vsync and no refresh rate: 60 Hz by sleeping.
  ProgramResult r = RunProgram("--quit-at 1000", DummyDrivers);
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("no vsync, paced by sleeping to 60 Hz"), std::string::npos) << r.output;
  const double fps = FramesPerSecond(r.output);
  EXPECT_GT(fps, 0) << r.output;
  EXPECT_LE(fps, 61.0) << r.output;  // never faster; a busy machine may be slower

  ProgramResult flat = RunProgram("--quit-at 1000 --no-pacing", DummyDrivers);
  ASSERT_EQ(flat.code, 0) << flat.output;
  EXPECT_NE(flat.output.find("no pacing (--no-pacing)"), std::string::npos) << flat.output;
}

TEST(PlayerTest, NoVisibleDisplayIsAnErrorUnlessTheDriverWasNamed) {
  ProgramResult r = RunProgram("--mute", "env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find("--record"), std::string::npos) << r.output;
  ProgramResult screen = RunProgram("--mute --display 7", DummyDrivers);
  EXPECT_EQ(screen.code, 1);
  EXPECT_NE(screen.output.find("--display 7: no such screen"), std::string::npos) << screen.output;
}

TEST(PlayerTest, PlaysOnSilentlyWhenNoSoundDeviceOpens) {
  // A driver whose device cannot be opened (one run: each plays the ten-second closing).
  for (const char* audio : {"SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/nonexistent/x"}) {
    ProgramResult r = RunProgram("--quit-at 300", std::string("SDL_VIDEODRIVER=dummy ") + audio);
    EXPECT_EQ(r.code, 0) << audio << ": " << r.output;
    EXPECT_NE(r.output.find("zintavel: no sound device ("), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("): playing without sound\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("frames in"), std::string::npos) << r.output;  // the show ran
  }
  // The sound library's own failures stay fatal: no module, no show.
  TempDir dir;
  ProgramResult none = RunProgram("--quit-at 300 --dir " + dir.Path(""), "SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=nosuchdriver");
  EXPECT_EQ(none.code, 1) << none.output;
}

TEST(PlayerTest, SecondSignalDuringTheClosingEndsAtOnce) {
  for (const int sig : {SIGINT, SIGTERM}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
      std::freopen("/dev/null", "w", stderr);
      execl(ZINTAVEL_BINARY, ZINTAVEL_BINARY, "--dir", ZINTAVEL_DEMO_DIR, static_cast<char*>(nullptr));
      _exit(127);
    }
    using namespace std::chrono;
    // The first asks to quit (the ten-second closing begins), the second ends it.
    std::this_thread::sleep_for(milliseconds(1500));
    kill(child, sig);
    std::this_thread::sleep_for(milliseconds(1000));
    const auto second = steady_clock::now();
    kill(child, sig);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    // Well short of the ten seconds the closing would otherwise take.
    EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - second).count(), 9000) << sig;
    ASSERT_TRUE(WIFEXITED(status)) << sig;
    EXPECT_EQ(WEXITSTATUS(status), 0) << sig;
  }
}

TEST(PlayerTest, InstalledProgramFindsItsPresentationFromItsOwnPlace) {
  TempDir dir;
  const std::string prefix = dir.Path("prefix");
  ASSERT_EQ(Shell("cmake --install " ZINTAVEL_BUILD_DIR " --prefix " + prefix + " > /dev/null"), 0);
  for (const char* file : {"bin/zintavel", "share/zintavel/tune.it", "share/zintavel/intro.mp3",
                           "share/zintavel/data/card.pcx", "share/applications/zintavel.desktop",
                           "share/icons/hicolor/256x256/apps/zintavel.png", "share/man/man6/zintavel.6.gz",
                           "share/doc/zintavel/copyright", "share/doc/zintavel/THIRD-PARTY.md"})
    EXPECT_TRUE(fs::exists(prefix + "/" + file)) << file;
  const std::vector<std::uint8_t> icon = ReadAll(prefix + "/share/icons/hicolor/256x256/apps/zintavel.png");
  ASSERT_GT(icon.size(), 24u);
  EXPECT_EQ(icon[1], 'P');
  EXPECT_EQ(icon[19], 0);  // 256 wide: bytes 16..19 of the header, big-endian
  EXPECT_EQ(icon[18], 1);
  EXPECT_EQ(icon[23], 0);
  EXPECT_EQ(icon[22], 1);

  // Moved elsewhere and run from another working directory with no data/.
  const std::string moved = dir.Path("moved");
  fs::rename(prefix, moved);
  const std::string work = dir.Path("work");
  fs::create_directory(work);
  const std::string run = "cd " + work + " && " + moved + "/bin/zintavel --record rec --fps 10 --quit-at 200";
  EXPECT_EQ(Shell(run + " > out.txt 2>&1"), 0);
  EXPECT_TRUE(fs::exists(work + "/rec/frame-000000.png"));
  EXPECT_GT(fs::file_size(work + "/rec/audio.wav"), 44u);

  // Without its presentation: a fatal error naming where it looked.
  fs::remove_all(moved + "/share/zintavel");
  EXPECT_EQ(Shell("cd " + work + " && rm -rf rec && " + moved + "/bin/zintavel --record rec > out.txt 2>&1"), 1);
  const std::vector<std::uint8_t> out = ReadAll(work + "/out.txt");
  const std::string text(out.begin(), out.end());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
  EXPECT_NE(text.find("no presentation found; tried the working directory (no data/), " + moved +
                      "/share/zintavel (no such directory)"), std::string::npos) << text;
  EXPECT_NE(text.find("cmake --install"), std::string::npos) << text;
}
