#include "shell/presentation_dir.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsDirectory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

std::string Parent(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

}  // namespace

std::string InstalledPresentation(const std::string& programPath) {
  return Join(Parent(Parent(programPath)), "share/zintavel");
}

std::vector<std::string> PresentationCandidates(const std::string& programPath) {
  std::vector<std::string> dirs = {"."};
  if (programPath.empty()) return dirs;
  dirs.push_back(InstalledPresentation(programPath));
  dirs.push_back(Join(Parent(Parent(programPath)), "demo"));
  return dirs;
}

std::optional<std::string> FindPresentation() {
  for (const std::string& dir : PresentationCandidates(ProgramPath()))
    if (IsDirectory(dir == "." ? "data" : dir)) return dir;
  return std::nullopt;
}

std::string ProgramPath() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return "";
  path.resize(static_cast<std::size_t>(n));
  return path;
}
