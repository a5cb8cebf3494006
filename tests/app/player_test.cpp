// The live player and the installed program, end to end: pacing and signals
// under SDL's dummy drivers, where the presentation is found, and an install
// into a temporary prefix run from elsewhere.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>

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
    int err[2];
    ASSERT_EQ(pipe(err), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      setenv("SDL_VIDEODRIVER", "dummy", 1);
      setenv("SDL_AUDIODRIVER", "disk", 1);
      setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
      dup2(err[1], 2);
      close(err[0]);
      close(err[1]);
      execl(ZINTAVEL_BINARY, ZINTAVEL_BINARY, "--dir", ZINTAVEL_DEMO_DIR, static_cast<char*>(nullptr));
      _exit(127);
    }
    close(err[1]);
    using namespace std::chrono;
    // Signals only once the show runs (its start-up line is out): on a loaded
    // machine start-up alone can take longer than any fixed wait.
    std::string said;
    const auto giveUp = steady_clock::now() + seconds(60);
    while (said.find("renderer") == std::string::npos && steady_clock::now() < giveUp) {
      pollfd p{err[0], POLLIN, 0};
      if (poll(&p, 1, 1000) <= 0) continue;
      char buffer[512];
      const ssize_t n = read(err[0], buffer, sizeof buffer);
      if (n <= 0) break;
      said.append(buffer, static_cast<std::size_t>(n));
    }
    close(err[0]);  // later lines go nowhere; the program ignores the broken pipe
    ASSERT_NE(said.find("renderer"), std::string::npos) << said;
    // The first asks to quit (the ten-second closing begins), the second ends it.
    std::this_thread::sleep_for(milliseconds(500));
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

namespace {

// A private X server for the tests that need a real window and real keys;
// nothing when Xvfb, xdotool or ImageMagick's import is not installed.
class XServer {
 public:
  XServer() {
    if (Shell("command -v Xvfb && command -v xdotool && command -v import > /dev/null 2>&1") != 0) return;
    for (int n = 70 + getpid() % 100; n < 300 && pid_ <= 0; n += 7) {
      if (fs::exists("/tmp/.X11-unix/X" + std::to_string(n)) || fs::exists("/tmp/.X" + std::to_string(n) + "-lock"))
        continue;
      const std::string name = ":" + std::to_string(n);
      pid_ = fork();
      if (pid_ == 0) {
        if (!std::freopen("/dev/null", "w", stderr)) _exit(127);  // a child that cannot log is a failed run
        execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
      }
      for (int i = 0; i < 100 && !fs::exists("/tmp/.X11-unix/X" + std::to_string(n)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      display_ = name;
    }
  }
  ~XServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  bool Up() const { return pid_ > 0; }
  // A command run against this display.
  int Run(const std::string& command) const { return Shell("DISPLAY=" + display_ + " " + command); }
  // The program started in a window in the background, its output to log.
  pid_t Start(const std::string& arguments, const std::string& log) const {
    const pid_t child = fork();
    if (child == 0) {
      setenv("DISPLAY", display_.c_str(), 1);
      unsetenv("SDL_VIDEODRIVER");
      // Under the sanitizers: libdbus and the GL driver a real X server brings
      // keep a few allocations to the end; leaks of our own show in the other
      // tests, every other error here too.
      setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
      // The set-up card's choices kept beside the log, never in the user's own settings.
      setenv("XDG_CONFIG_HOME", (log.substr(0, log.find_last_of('/')) + "/config").c_str(), 1);
      if (!std::freopen(log.c_str(), "w", stderr)) _exit(127);  // a child that cannot log is a failed run
      const std::string command = std::string(ZINTAVEL_BINARY " --window --mute ") + arguments;
      execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    return child;
  }
  // How many pixels of the screen are brighter than 200 in every channel.
  long BrightPixels(const std::string& png) const {
    if (Run("import -window root " + png) != 0) return -1;
    const std::string count = png + ".txt";
    Shell("convert " + png + " -colorspace gray -threshold 78% -format '%[fx:mean*w*h]' info: > " + count);
    const std::vector<std::uint8_t> text = ReadAll(count);
    return text.empty() ? -1 : std::lround(std::stod(std::string(text.begin(), text.end())));
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// Waits for the child, at most a minute (then it is killed); its exit code
// and how long that took, in ms.
std::pair<int, long> Wait(pid_t child) {
  const auto from = std::chrono::steady_clock::now();
  auto ms = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from).count();
  };
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (ms() > 60000) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return {-1, ms()};
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ms()};
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The card's text at twice its size on the 1024x768 screen makes some 6,000
// bright pixels; the title card's first seconds none.
constexpr long CardBright = 3000;

// Polls the screen until the program's window shows something bright (the
// card) or `seconds` have passed; the count of bright pixels last seen.
long WaitForBright(const XServer& x, const std::string& png, int seconds) {
  long bright = -1;
  for (int i = 0; i < seconds * 4 && bright < CardBright; ++i) {
    bright = x.BrightPixels(png);
    if (bright < CardBright) Sleep(250);
  }
  return bright;
}

bool WaitForWindow(const XServer& x) {
  for (int i = 0; i < 120; ++i) {
    if (x.Run("xdotool search --name '^Zintavel' > /dev/null 2>&1") == 0) return true;
    Sleep(250);
  }
  return false;
}

// Keys go to the window under the pointer: there is no window manager.
constexpr const char* Key = "xdotool mousemove 512 384 key ";

}  // namespace

TEST(PlayerTest, WarningCardBeforeTheShowAndSecondEscapeEndsTheClosing) {
  XServer x;
  if (!x.Up()) GTEST_SKIP() << "no Xvfb, xdotool or import here";
  TempDir dir;
  // --quit-at: the show ends by itself should a key be lost.
  const std::string safety = "--quit-at 30000 ";
  // The card: bright text over the first (black) frame, held until a key; G
  // switches the gentle mode on and the card stays, Enter starts the show.
  pid_t child = x.Start(safety, dir.Path("card.txt"));
  ASSERT_TRUE(WaitForWindow(x));
  EXPECT_GE(WaitForBright(x, dir.Path("card.png"), 8), CardBright);
  auto log = [&](const std::string& name) {
    const std::vector<std::uint8_t> text = ReadAll(dir.Path(name));
    return std::string(text.begin(), text.end());
  };
  // Polled, and the key sent again while nothing shows it: on a loaded
  // machine a key sent as the window first shows can be lost.
  for (int i = 0; i < 60 && log("card.txt").find("gentle mode on") == std::string::npos; ++i) {
    if (i % 20 == 0) x.Run(std::string(Key) + "g");
    Sleep(250);
  }
  EXPECT_NE(log("card.txt").find("zintavel: gentle mode on"), std::string::npos);
  Sleep(1000);
  EXPECT_GE(x.BrightPixels(dir.Path("chosen.png")), CardBright);  // still the card
  // The card goes when Enter arrives: the title card fades in from black.
  long bright = CardBright;
  for (int i = 0; i < 60 && bright >= 100; ++i) {
    if (i % 20 == 0) x.Run(std::string(Key) + "Return");
    bright = x.BrightPixels(dir.Path("show.png"));
    if (bright >= 100) Sleep(250);
  }
  EXPECT_LT(bright, 100);
  // The choices are kept for next time.
  const std::string kept = log("config/zintavel/settings");
  EXPECT_NE(kept.find("gentle=on"), std::string::npos) << kept;
  EXPECT_NE(kept.find("screen=window"), std::string::npos) << kept;
  // Escape starts the ten-second closing; a second one ends it at once.
  x.Run(std::string(Key) + "Escape");
  Sleep(1500);
  x.Run(std::string(Key) + "Escape");
  auto [code, ms] = Wait(child);
  EXPECT_EQ(code, 0);
  EXPECT_LT(ms, 8000);  // well short of the closing's ten seconds

  // Without the card the title card shows dimly from the start.
  child = x.Start(safety + "--no-warning", dir.Path("none.txt"));
  ASSERT_TRUE(WaitForWindow(x));
  EXPECT_LT(x.BrightPixels(dir.Path("none.png")), CardBright / 10);
  x.Run(std::string(Key) + "Escape");
  Sleep(500);
  x.Run(std::string(Key) + "Escape");
  EXPECT_EQ(Wait(child).first, 0);

  // Escape on the card ends the program at once.
  child = x.Start(safety, dir.Path("quit.txt"));
  ASSERT_TRUE(WaitForWindow(x));
  EXPECT_GE(WaitForBright(x, dir.Path("quit.png"), 8), CardBright);
  x.Run(std::string(Key) + "Escape");
  std::tie(code, ms) = Wait(child);
  EXPECT_EQ(code, 0);
  EXPECT_LT(ms, 10000);  // no closing and no show: the show alone would run to 30 s
}

TEST(PlayerTest, RecordingsHaveNoWarningCard) {
  // The card is drawn by the live player only: a recording's first frame is
  // the title card's black.
  TempDir dir;
  ASSERT_EQ(RunProgram("--record " + dir.Path("rec") + " --fps 10 --quit-at 0 --every 1000").code, 0);
  ASSERT_EQ(Shell("convert " + dir.Path("rec/frame-000000.png") + " -format '%[fx:maxima.r+maxima.g+maxima.b]' info: > " +
                  dir.Path("max.txt")),
            0);
  const std::vector<std::uint8_t> max = ReadAll(dir.Path("max.txt"));
  EXPECT_EQ(std::string(max.begin(), max.end()), "0");
}
