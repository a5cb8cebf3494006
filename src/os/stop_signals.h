// The signals that ask the program to stop: SIGINT, SIGTERM and SIGHUP (a
// closed terminal) all mean "quit". They are installed without SA_RESTART, so
// a call blocked in the kernel returns EINTR instead of swallowing the signal,
// and SIGPIPE is ignored: a reader of stderr that goes away (`| tee log`
// killed by the same Ctrl+C) must not kill a recording; the writes then fail
// and stderr is quietly pointed at /dev/null.
//
// A second signal must end the program within a second whatever it waits
// on: ArmStopDeadline, called from the handler, ends the process one second
// later with the exit code it would have given (the recording's 128 + the
// signal, the player's 0) unless it has ended by itself.
#pragma once

#include <signal.h>

// On Windows the same calls take the console's Ctrl+C, Ctrl+Break and close
// (stop_signals_windows.cpp): each calls the handler with SIGINT, or SIGTERM
// for the close, on a thread of the console's.
#ifdef _WIN32
struct SavedStopSignals {
  void (*handler)(int) = nullptr;
};
#else
struct SavedStopSignals {
  struct sigaction interrupt {}, terminate {}, hangup {}, pipe {};
};
#endif

void InstallStopSignals(void (*handler)(int), SavedStopSignals& saved);
void RestoreStopSignals(const SavedStopSignals& saved);

// Async-signal-safe.
void ArmStopDeadline(int code);

// After a failed write to stderr (its reader gone), sends what follows to
// /dev/null so later lines cost nothing and raise nothing.
void QuietIfStderrGone();
