#include "assets/report.h"

#include <cstdarg>
#include <cstdio>

bool AssetReportsMuted = false;

void ReportAssetProblem(const char* path, const char* format, ...) {
  if (AssetReportsMuted) return;
  char message[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  std::fprintf(stderr, "zintavel: %s: %s\n", path, message);
}

std::string OneLine(std::string text) {
  for (char& c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  return text;
}
