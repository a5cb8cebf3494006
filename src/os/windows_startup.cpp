// Linked into every program of the Windows build; runs before main.
//
// Windows opens files in text mode unless told otherwise: every "\n" written
// becomes "\r\n" and a 0x1A byte read ends the file. Binary by default, so the
// data files, the WAV and the PNGs pass through byte for byte as on Linux.
//
// zintavel.exe is a GUI program (no console window of its own when
// double-clicked), so Windows gives it no standard output: started from a
// console, it takes that console's, unless its output was redirected. Started
// without one, what it writes to stderr is kept for a message box.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/standard_files.h"

namespace {

bool Unset(DWORD which) {
  const HANDLE h = ::GetStdHandle(which);
  return h == nullptr || h == INVALID_HANDLE_VALUE || ::GetFileType(h) == FILE_TYPE_UNKNOWN;
}

// Where stderr goes when no one would see it, for the message box.
std::wstring KeptPath;

// stderr into a file of its own in the temporary folder, removed at exit.
void KeepErrors() {
  wchar_t dir[MAX_PATH + 1], name[MAX_PATH + 1];
  if (!::GetTempPathW(MAX_PATH + 1, dir) || !::GetTempFileNameW(dir, L"zin", 0, name)) return;
  // Started with no handles, descriptor 2 is not open and the stream stderr
  // is tied to none (-2), which freopen refuses: the file goes onto 2 first,
  // the stream is tied to it, and then reopened as a proper stream.
  const int fd = ::_wopen(name, _O_RDWR | _O_BINARY | _O_TRUNC);
  if (fd < 0 || ::_dup2(fd, 2) != 0) {
    if (fd >= 0) ::_close(fd);
    ::DeleteFileW(name);
    return;
  }
  ::_close(fd);
#ifndef _UCRT
  if (stderr->_file < 0) stderr->_file = 2;
#endif
  if (!::_wfreopen(name, L"wb", stderr)) {
    ::DeleteFileW(name);
    return;
  }
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  KeptPath = name;
  std::atexit([] {
    std::fclose(stderr);
    ::DeleteFileW(KeptPath.c_str());
  });
}

int StartUp() {
  _fmode = _O_BINARY;
  const bool out = Unset(STD_OUTPUT_HANDLE), err = Unset(STD_ERROR_HANDLE);
  bool console = false;
  if ((out || err) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    console = true;
    if (out && std::freopen("CONOUT$", "w", stdout)) std::setvbuf(stdout, nullptr, _IOLBF, 4096);
    if (err && std::freopen("CONOUT$", "w", stderr)) std::setvbuf(stderr, nullptr, _IONBF, 0);
  }
  if (err && !console) KeepErrors();
  return 0;
}

const int kStarted = StartUp();

}  // namespace

bool ErrorsUnseen() { return !KeptPath.empty(); }

std::string KeptErrors() {
  if (KeptPath.empty()) return "";
  std::fflush(stderr);
  std::string text;
  if (FILE* f = ::_wfopen(KeptPath.c_str(), L"rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < (1u << 20);)
      text.append(buffer, n);
    std::fclose(f);
  }
  return text;
}
