// Linked into every program of the Windows build; runs before main.
//
// Windows opens files in text mode unless told otherwise: every "\n" written
// becomes "\r\n" and a 0x1A byte read ends the file. Binary by default, so the
// data files, the WAV and the PNGs pass through byte for byte as on Linux.
//
// zintavel.exe is a GUI program (no console window of its own when
// double-clicked), so Windows gives it no standard output: started from a
// console, it takes that console's, unless its output was redirected.
#include <windows.h>

#include <fcntl.h>
#include <cstdio>
#include <cstdlib>

namespace {

bool Unset(DWORD which) {
  const HANDLE h = ::GetStdHandle(which);
  return h == nullptr || h == INVALID_HANDLE_VALUE || ::GetFileType(h) == FILE_TYPE_UNKNOWN;
}

int StartUp() {
  _fmode = _O_BINARY;
  const bool out = Unset(STD_OUTPUT_HANDLE), err = Unset(STD_ERROR_HANDLE);
  if ((out || err) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    if (out && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    if (err && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
  return 0;
}

const int kStarted = StartUp();

}  // namespace
