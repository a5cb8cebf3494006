#include "record/recording_target.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstring>

std::size_t FileNameStart(const std::string& path) {
#ifdef _WIN32
  const std::size_t slash = path.find_last_of("/\\");
#else
  const std::size_t slash = path.find_last_of('/');
#endif
  return slash == std::string::npos ? 0 : slash + 1;
}

bool RecordingTargetNamed(const std::string& path, std::string& error) {
  if (path == "-") {
    error = "cannot record to standard output ('-'): name a .mp4, .mkv or .webm file, or a directory for PNG frames";
    return false;
  }
  const std::string name = path.substr(FileNameStart(path));
  for (const char* bare : {".mp4", ".mkv", ".webm"}) {
    if (::strcasecmp(name.c_str(), bare) == 0) {
      error = path + ": a name is missing before '" + name + "' (for example show" + name + ")";
      return false;
    }
  }
  struct stat s;
  if (::stat(path.c_str(), &s) == 0 && !S_ISREG(s.st_mode) && !S_ISDIR(s.st_mode)) {
    error = path + (S_ISFIFO(s.st_mode) ? ": is a fifo" : ": is not a regular file") +
            "; a recording goes to a regular file or a directory (record to a file, then hand it on)";
    return false;
  }
  return true;
}

std::string OptionIgnoredWhenRecording(RecordingForm form, bool window, bool display, bool fit, std::uint32_t every) {
  const char* option = window ? "--window" : display ? "--display" : fit ? "--scale fit" : nullptr;
  if (option) return std::string(option) + " applies to the window; --record draws no window";
  if (every != 1 && form != RecordingForm::PngDirectory) return "--every applies to PNG frames only, not to a video file";
  return {};
}

namespace {

bool EndsWith(const std::string& s, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return s.size() > n && ::strcasecmp(s.c_str() + s.size() - n, tail) == 0;
}

}  // namespace

std::optional<RecordingForm> RecordingFormOf(const std::string& path, std::string& error, int& code) {
  code = 2;
  if (!RecordingTargetNamed(path, error)) return std::nullopt;
  if (EndsWith(path, ".mp4")) return RecordingForm::Mp4;
  if (EndsWith(path, ".mkv")) return RecordingForm::Mkv;
  if (EndsWith(path, ".webm")) return RecordingForm::Webm;
  struct stat s;
  if (::stat(path.c_str(), &s) == 0) {
    if (S_ISDIR(s.st_mode)) return RecordingForm::PngDirectory;
    error = path + ": not a directory, and not a video file name (.mp4, .mkv or .webm)";
    code = 2;
    return std::nullopt;
  }
  const std::string name = path.substr(FileNameStart(path));
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0 && dot + 1 < name.size()) {
    error = path + ": cannot record to a '" + name.substr(dot) +
            "' file: name a .mp4, .mkv or .webm file, or a directory for PNG frames";
    code = 1;
    return std::nullopt;
  }
  return RecordingForm::PngDirectory;
}
