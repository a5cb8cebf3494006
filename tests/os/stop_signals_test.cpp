// Signals against the real program while it records: SIGHUP is a quit like
// SIGTERM, a reader of stderr that goes away does not kill it, and a second
// signal ends it within a second even while it is blocked writing to stderr.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "support/test_support.h"

namespace {

using Clock = std::chrono::steady_clock;

// The program recording `args` with its stderr on `errFd`.
pid_t Start(const std::string& args, int errFd) {
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(errFd, 2);
    execl("/bin/sh", "sh", "-c", (std::string("exec ") + ZINTAVEL_BINARY + " " + args).c_str(), nullptr);
    _exit(127);
  }
  return pid;
}

// Exit code (128 + n for a death by signal n), or -1 when still running after `limit`.
int WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  int status = 0;
  while (Clock::now() < end) {
    if (waitpid(pid, &status, WNOHANG) == pid)
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -1;
}

std::string Text(const std::string& path) {
  const std::vector<std::uint8_t> b = ReadAll(path);
  return {b.begin(), b.end()};
}


bool WaitForText(const std::string& path, const std::string& text) {
  for (int i = 0; i < 600; ++i) {
    if (Text(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

}  // namespace

TEST(StopSignalsTest, HangupAndABrokenStderrPipeEndTheRecordingProperly) {
  TempDir dir;
  {
    const int log = open(dir.Path("hup.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const pid_t pid = Start("--record " + dir.Path("hup.mkv") + " --fps 10", log);
    close(log);
    ASSERT_TRUE(WaitForText(dir.Path("hup.log"), "recording title card"));
    kill(pid, SIGHUP);
    EXPECT_EQ(WaitFor(pid, std::chrono::seconds(60)), 0) << Text(dir.Path("hup.log"));
    EXPECT_NE(Text(dir.Path("hup.log")).find("recording closing"), std::string::npos) << "the closing fade follows";
    EXPECT_GE(DecodedFrames(dir.Path("hup.mkv")), 100);  // at least the ten-second fade at 10 fps
  }
  {
    // `zintavel --record x.mp4 2>&1 | tee log`, and the Ctrl+C ends tee first.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = Start("--record " + dir.Path("pipe.mp4") + " --scale 1 --fps 10", fds[1]);
    close(fds[1]);
    char first[8];
    ASSERT_GT(read(fds[0], first, sizeof first), 0);  // it has started
    close(fds[0]);
    kill(pid, SIGINT);
    EXPECT_EQ(WaitFor(pid, std::chrono::seconds(60)), 0) << "not killed by SIGPIPE";
    EXPECT_GE(DecodedFrames(dir.Path("pipe.mp4")), 100);
  }
}

TEST(StopSignalsTest, SecondSignalEndsWithinASecondWhileStderrIsBlocked) {
  TempDir dir;
  // A stderr nobody reads, already full: the program's first line blocks.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  fcntl(fds[1], F_SETPIPE_SZ, 4096);
  const int flags = fcntl(fds[1], F_GETFL);
  fcntl(fds[1], F_SETFL, flags | O_NONBLOCK);
  const std::string junk(512, 'x');
  while (write(fds[1], junk.data(), junk.size()) > 0) {
  }
  fcntl(fds[1], F_SETFL, flags);
  const pid_t pid = Start("--record " + dir.Path("blocked.mkv") + " --fps 10", fds[1]);
  close(fds[1]);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(pid, SIGTERM);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const auto second = Clock::now();
  kill(pid, SIGTERM);
  // The bound is the one-second deadline plus the program's own fifth of a
  // second to say why; a blocked call that restarted would never end.
  EXPECT_EQ(WaitFor(pid, std::chrono::seconds(10)), 128 + SIGTERM);
  EXPECT_LT(Clock::now() - second, std::chrono::milliseconds(3000));
  close(fds[0]);
}
