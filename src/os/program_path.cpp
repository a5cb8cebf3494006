#include "os/program_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <algorithm>

std::string ProgramPath() {
#ifdef _WIN32
  // In UTF-8 with forward slashes, like every other path the program handles.
  std::wstring wide(32768, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, wide.data(), static_cast<DWORD>(wide.size()));
  if (n == 0 || n >= wide.size()) return "";
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  std::string path(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(n), path.data(), bytes, nullptr, nullptr);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
#else
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return "";
  path.resize(static_cast<std::size_t>(n));
  return path;
#endif
}
