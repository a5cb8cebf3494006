#include "player/screenshot.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

#include "player/seek_overlay.h"
#include "record/png_file.h"

namespace {

// XDG_PICTURES_DIR="$HOME/Pictures" from user-dirs.dirs; empty when not set there.
std::string PicturesFromUserDirs(const std::string& home) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string path = (config && *config ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    const std::string key = "XDG_PICTURES_DIR=\"";
    if (line.rfind(key, 0) != 0 || line.back() != '"') continue;
    std::string value = line.substr(key.size(), line.size() - key.size() - 1);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    return value;
  }
  return "";
}

bool WriteBoth(const std::string& dir, const Picture& frame, int shownWidth, int shownHeight, std::uint32_t showMs,
               std::string& written, std::string& error) {
  const std::string base = (dir == "." ? "" : dir + "/") + "zintavel-" + TimeForFileName(showMs);
  const std::string one = base + ".png";
  if (!WritePngFile(one, ScreenWidth, ScreenHeight, frame.pixels, &error)) return false;
  written = one;
  if (shownWidth <= 0 || shownHeight <= 0 || (shownWidth == ScreenWidth && shownHeight == ScreenHeight)) return true;
  std::vector<std::uint32_t> shown(static_cast<std::size_t>(shownWidth) * shownHeight);
  for (int y = 0; y < shownHeight; ++y) {
    const int sy = static_cast<int>(std::int64_t{y} * ScreenHeight / shownHeight);
    for (int x = 0; x < shownWidth; ++x) {
      const int sx = static_cast<int>(std::int64_t{x} * ScreenWidth / shownWidth);
      shown[static_cast<std::size_t>(y) * shownWidth + x] = frame.pixels[sy * ScreenWidth + sx];
    }
  }
  const std::string big = base + "-" + std::to_string(shownWidth) + "x" + std::to_string(shownHeight) + ".png";
  if (!WritePngFile(big, shownWidth, shownHeight, shown.data(), &error)) return false;
  written += " and " + big;
  return true;
}

}  // namespace

std::vector<std::string> ScreenshotDirectories() {
  std::vector<std::string> dirs{"."};
  const char* homeVar = std::getenv("HOME");
  const std::string home = homeVar && *homeVar ? homeVar : "";
  const char* pictures = std::getenv("XDG_PICTURES_DIR");
  std::string p = pictures && *pictures ? pictures : home.empty() ? "" : PicturesFromUserDirs(home);
  if (!p.empty()) dirs.push_back(p);
  if (!home.empty() && home != p) dirs.push_back(home);
  return dirs;
}

bool SaveScreenshot(const Picture& frame, int shownWidth, int shownHeight, std::uint32_t showMs,
                    const std::vector<std::string>& directories, std::string& written, std::string& error) {
  for (const std::string& dir : directories) {
    written.clear();
    if (WriteBoth(dir, frame, shownWidth, shownHeight, showMs, written, error)) return true;
  }
  if (directories.empty()) error = "no directory to save the frame in";
  return false;
}

std::string ScreenshotShownName(const std::string& written) {
  std::string first = written.substr(0, written.find(" and "));
  first = first.substr(first.find_last_of('/') == std::string::npos ? 0 : first.find_last_of('/') + 1);
  for (char& c : first) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return first;
}
