#include "record/own_files.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>

namespace {

bool IsFrameName(const std::string& name) {
  // frame-, at least six digits (the index may outgrow them), .png
  constexpr std::size_t Prefix = 6, Suffix = 4;
  if (name.size() < Prefix + 6 + Suffix || name.compare(0, Prefix, "frame-") != 0 ||
      name.compare(name.size() - Suffix, Suffix, ".png") != 0)
    return false;
  return std::all_of(name.begin() + Prefix, name.end() - Suffix, [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool IsRecordingFile(const std::string& name) {
  if (name == "audio.wav") return true;
  if (name.compare(0, 9, ".partial-") == 0) return IsFrameName(name.substr(9));
  return IsFrameName(name);
}

std::vector<std::string> RecordingFilesIn(const std::string& dir) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) return names;
  while (const dirent* entry = ::readdir(d))
    if (IsRecordingFile(entry->d_name)) names.emplace_back(entry->d_name);
  ::closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

bool RemoveRecordingFiles(const std::string& dir, const std::vector<std::string>& names, std::string& error) {
  for (const std::string& name : names) {
    const std::string path = dir + "/" + name;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
      error = path + ": cannot remove: " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

int OtherFilesIn(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  if (!d) return -1;
  int count = 0;
  while (const dirent* entry = ::readdir(d))
    if (entry->d_name[0] != '.' && !IsRecordingFile(entry->d_name)) ++count;
  ::closedir(d);
  return count;
}

bool IsSystemDirectory(const std::string& resolved) {
  static const char* const system[] = {
      "/",         "/bin",      "/boot",    "/dev",     "/etc",      "/home",     "/lib",  "/lib32",
      "/lib64",    "/libx32",   "/media",   "/mnt",     "/opt",      "/proc",     "/root", "/run",
      "/sbin",     "/srv",      "/sys",     "/usr",     "/usr/bin",  "/usr/lib",  "/usr/local",
      "/usr/sbin", "/usr/share", "/var",    "/var/lib", "/var/log",  "/var/cache"};
  std::string path = resolved;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return std::any_of(std::begin(system), std::end(system), [&](const char* s) { return path == s; });
}
