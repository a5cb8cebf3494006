#include "app/presentation_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "assets/loading.h"
#include "os/program_path.h"

namespace {

bool IsDirectory(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat s;
  return ::stat(path.c_str(), &s) == 0 && S_ISREG(s.st_mode);
}

std::string Parent(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& dir, const std::string& name) {
  return dir == "/" ? "/" + name : dir + "/" + name;
}

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

}  // namespace

SearchPlaces ThisProgramsPlaces() {
  SearchPlaces p;
  p.programPath = ProgramPath();
  p.xdgDataHome = Env("XDG_DATA_HOME");
  p.xdgDataDirs = Env("XDG_DATA_DIRS");
  p.home = Env("HOME");
#ifdef ZINTAVEL_INSTALL_PREFIX
  p.installPrefix = ZINTAVEL_INSTALL_PREFIX;
#endif
  return p;
}

std::vector<std::string> PresentationCandidates(const SearchPlaces& places) {
  std::vector<std::string> dirs;
  auto add = [&](const std::string& dir) {
    // XDG wants absolute paths; a relative entry is ignored.
    if (dir.empty() || (dir != "." && dir[0] != '/' && !(dir.size() > 2 && dir[1] == ':' && dir[2] == '/'))) return;
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
  };
  add(".");
  if (!places.programPath.empty()) {
    const std::string bin = Parent(places.programPath);
#ifdef _WIN32
    // A Windows program carries its presentation beside it; the shared
    // folders below are this system's places, not Windows'.
    add(bin);
    return dirs;
#else
    add(Join(Parent(bin), "share/zintavel"));
#endif
    if (BaseName(bin) == "src") add(Join(Parent(bin), "demo"));  // the build tree
  }
  if (!places.xdgDataHome.empty()) add(Join(places.xdgDataHome, "zintavel"));
  else if (!places.home.empty()) add(Join(places.home, ".local/share/zintavel"));
  const std::string dataDirs = places.xdgDataDirs.empty() ? "/usr/local/share:/usr/share" : places.xdgDataDirs;
  std::size_t at = 0;
  while (at <= dataDirs.size()) {
    const std::size_t colon = std::min(dataDirs.find(':', at), dataDirs.size());
    const std::string entry = dataDirs.substr(at, colon - at);
    if (!entry.empty()) add(Join(entry, "zintavel"));
    at = colon + 1;
  }
  if (!places.installPrefix.empty()) add(Join(places.installPrefix, "share/zintavel"));
  return dirs;
}

std::string MissingFromPresentation(const std::string& dir) {
  if (!IsDirectory(dir)) return "no such directory";
  if (!IsDirectory(Join(dir, "data"))) return "no data/";
  for (int i = 0; i < DataFileCount; ++i)
    if (!IsFile(Join(dir, std::string("data/") + DataFiles[i]))) return std::string("no data/") + DataFiles[i];
  if (!IsFile(Join(dir, "tune.it"))) return "no tune.it";
  return "";
}

std::optional<std::string> FindPresentation(const SearchPlaces& places, std::string& tried) {
  tried.clear();
  for (const std::string& dir : PresentationCandidates(places)) {
    const std::string missing = MissingFromPresentation(dir);
    if (missing.empty()) return dir;
    tried += (tried.empty() ? "" : ", ") + (dir == "." ? "the working directory" : dir) + " (" + missing + ")";
  }
  return std::nullopt;
}

