#include "player/setup_choices.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "assets/report.h"

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool MakeDirectory(const std::string& path) { return ::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }

std::string Trim(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

}  // namespace

std::string SetupChoicesPath() {
#ifdef _WIN32
  const std::string appData = Env("APPDATA");
  return appData.empty() ? "" : appData + "\\Zintavel\\settings.txt";
#else
  std::string config = Env("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is to be ignored, as XDG says.
  if (config.empty() || config[0] != '/') {
    const std::string home = Env("HOME");
    if (home.empty()) return "";
    config = home + "/.config";
  }
  return config + "/zintavel/settings";
#endif
}

bool ReadSetupChoices(const std::string& path, SetupChoices& choices, std::string& warning) {
  warning.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line, bad;
  int number = 0, badCount = 0;
  // A hand-edited file may be anything: only the first 64 lines are looked at.
  while (number < 64 && std::getline(in, line)) {
    ++number;
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    const std::size_t eq = line.find('=');
    const std::string name = eq == std::string::npos ? line : Trim(line.substr(0, eq));
    const std::string value = eq == std::string::npos ? "" : Trim(line.substr(eq + 1));
    bool ok = true;
    auto onOff = [&](bool& to) {
      if (value == "on") to = true;
      else if (value == "off") to = false;
      else ok = false;
    };
    if (name == "screen") {
      if (value == "full") choices.fullScreen = true;
      else if (value == "window") choices.fullScreen = false;
      else ok = false;
    } else if (name == "display") {
      char* end = nullptr;
      const long n = std::strtol(value.c_str(), &end, 10);
      if (value.empty() || *end || n < 0 || n > 63) ok = false;
      else choices.display = static_cast<int>(n);
    } else if (name == "gentle") {
      onOff(choices.gentle);
    } else if (name == "sound") {
      onOff(choices.sound);
    } else {
      ok = false;
    }
    if (!ok && badCount++ == 0) bad = "line " + std::to_string(number) + " (\"" + line.substr(0, 40) + "\")";
  }
  if (badCount > 0)
    warning = path + ": " + bad + (badCount > 1 ? " and " + std::to_string(badCount - 1) + " more" : "") +
              " not understood, passed over";
  warning = OneLine(warning);
  return true;
}

bool WriteSetupChoices(const std::string& path, const SetupChoices& choices, std::string& error) {
  error.clear();
  // The folder and, where it is new, the one above it (~/.config on a new account).
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos && slash > 0) {
    const std::string dir = path.substr(0, slash);
    const std::size_t up = dir.find_last_of("/\\");
    if (up != std::string::npos && up > 0) MakeDirectory(dir.substr(0, up));
    if (!MakeDirectory(dir)) {
      error = OneLine(dir + ": cannot make the settings folder: " + std::strerror(errno));
      return false;
    }
  }
  std::ostringstream text;
  text << "# The set-up card's choices, kept for next time.\n"
       << "screen=" << (choices.fullScreen ? "full" : "window") << "\n"
       << "display=" << choices.display << "\n"
       << "gentle=" << (choices.gentle ? "on" : "off") << "\n"
       << "sound=" << (choices.sound ? "on" : "off") << "\n";
  const std::string body = text.str(), fresh = path + ".new";
  std::FILE* f = std::fopen(fresh.c_str(), "wb");
  bool ok = f && std::fwrite(body.data(), 1, body.size(), f) == body.size();
  const int writeErrno = errno;
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) {
    error = OneLine(path + ": cannot keep the choices: " + std::strerror(f ? writeErrno : errno));
    std::remove(fresh.c_str());
    return false;
  }
#ifdef _WIN32
  std::remove(path.c_str());  // rename does not replace a file here
#endif
  if (std::rename(fresh.c_str(), path.c_str()) != 0) {
    error = OneLine(path + ": cannot keep the choices: " + std::strerror(errno));
    std::remove(fresh.c_str());
    return false;
  }
  return true;
}
