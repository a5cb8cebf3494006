// Windows has no SIGTERM or SIGHUP to catch and no sigaction: the console
// tells a program it should stop through a control handler, run on a thread
// of its own. Ctrl+C and Ctrl+Break mean SIGINT; closing the console window
// (or logging off) means SIGTERM, and Windows ends the process a few seconds
// after the handler returns, so the handler waits for the show to wind down.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "os/stop_signals.h"

namespace {

std::atomic<void (*)(int)> Handler{nullptr};
std::atomic<bool> DeadlineArmed{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  void (*handler)(int) = Handler.load();
  if (!handler) return FALSE;
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      handler(SIGINT);
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      handler(SIGTERM);
      // Returning lets Windows end the process at once: the closing fade and
      // the recording's last writes get the time Windows allows.
      ::Sleep(4000);
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void InstallStopSignals(void (*handler)(int), SavedStopSignals& saved) {
  saved.handler = Handler.exchange(handler);
  ::SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RestoreStopSignals(const SavedStopSignals& saved) {
  Handler.store(saved.handler);
  if (!saved.handler) ::SetConsoleCtrlHandler(OnConsoleControl, FALSE);
}

void ArmStopDeadline(int code) {
  if (DeadlineArmed.exchange(true)) return;
  std::thread([code] {
    ::Sleep(1000);
    static const char line[] = "zintavel: still not done a second after the second signal: ending now\n";
    std::fputs(line, stderr);
    std::fflush(stderr);
    ::_exit(code);
  }).detach();
}

// A console that went away takes its writes with it; nothing to redirect.
void QuietIfStderrGone() { std::clearerr(stderr); }
