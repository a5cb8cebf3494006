// The text of a failed write's errno for the sinks' lines. A write past the
// file size limit (`ulimit -f`; SIGXFSZ is ignored, so it fails with EFBIG)
// is named as that, since "File too large" alone reads like a format limit.
#pragma once

#include <cerrno>
#include <cstring>
#include <string>

inline std::string WriteErrorText(int code) {
  if (code == EFBIG) return "the file size limit is reached (ulimit -f)";
  return std::strerror(code);
}
