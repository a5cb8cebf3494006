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
