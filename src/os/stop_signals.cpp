#include "os/stop_signals.h"

#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

volatile sig_atomic_t DeadlineArmed = 0;
volatile sig_atomic_t DeadlineCode = 0;
volatile sig_atomic_t DeadlinePassed = 0;

// Says why, unless stderr itself is what blocks: the line's write gets a fifth
// of a second (the handler runs again, unmasked, and ends at once).
void OnDeadline(int) {
  if (DeadlinePassed) ::_exit(DeadlineCode);
  DeadlinePassed = 1;
  struct itimerval guard {};
  guard.it_value.tv_usec = 200000;
  ::setitimer(ITIMER_REAL, &guard, nullptr);
  static const char line[] = "zintavel: still not done a second after the second signal: ending now\n";
  const ssize_t ignored = ::write(2, line, sizeof line - 1);
  (void)ignored;
  ::_exit(DeadlineCode);
}

}  // namespace

void InstallStopSignals(void (*handler)(int), SavedStopSignals& saved) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked open() or write() gives way
  // A signal ignored when we started stays ignored: nohup's SIGHUP, or the
  // SIGINT of a job a non-interactive shell started in the background.
  for (auto [signal, old] : {std::pair{SIGINT, &saved.interrupt}, std::pair{SIGTERM, &saved.terminate},
                             std::pair{SIGHUP, &saved.hangup}}) {
    ::sigaction(signal, nullptr, old);
    if (old->sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
  }
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  ::sigaction(SIGPIPE, &ignore, &saved.pipe);
}

void RestoreStopSignals(const SavedStopSignals& saved) {
  ::sigaction(SIGINT, &saved.interrupt, nullptr);
  ::sigaction(SIGTERM, &saved.terminate, nullptr);
  ::sigaction(SIGHUP, &saved.hangup, nullptr);
  ::sigaction(SIGPIPE, &saved.pipe, nullptr);
}

void ArmStopDeadline(int code) {
  if (DeadlineArmed) return;
  DeadlineArmed = 1;
  DeadlineCode = code;
  struct sigaction action {};
  action.sa_handler = OnDeadline;
  action.sa_flags = SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGALRM, &action, nullptr);
  ::alarm(1);
}

void QuietIfStderrGone() {
  const int error = errno;  // of the write just made
  if (!std::ferror(stderr)) return;
  std::clearerr(stderr);
  if (error != EPIPE) return;  // a write cut short by a signal: stderr is still there
  const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null >= 0) {
    ::dup2(null, 2);
    ::close(null);
  }
}
