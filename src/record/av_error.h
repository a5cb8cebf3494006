// ffmpeg's text for one of its error codes, for the lines the sinks print.
#pragma once

#include <string>

#include "record/write_error.h"

extern "C" {
#include <libavutil/error.h>
}

inline std::string AvError(int code) {
  if (code == AVERROR(EFBIG)) return WriteErrorText(EFBIG);
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}
