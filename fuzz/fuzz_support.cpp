#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/report.h"

namespace {

struct FontShape {
  const char* file;
  const char* charset;
  std::int32_t space, width, height;
};

// The three fonts as the start-up load builds them.
const FontShape Shapes[] = {
    {"font1.pcx", "abcdefghijklmnopqrstuvwxyz1234567890.,!?:-'", 20, 1024, 40},
    {"font2.pcx",
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
     "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
     "1234567890.!?:-'@",
     5, 470, 10},
    {"font3.pcx",
     "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
     "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
     "1234567890+=!?.,;:'/@-&$()",
     5, 564, 12},
};

}  // namespace

BitmapFont DataSetFont(const char* file) {
  for (const FontShape& s : Shapes) {
    if (std::strcmp(s.file, file) != 0) continue;
    const std::string path = std::string(ZINTAVEL_DEMO_DIR) + "/data/" + file;
    return BuildBitmapFont(path.c_str(), s.charset, s.space, s.width, s.height);
  }
  return BitmapFont{};
}

std::string ScratchPath(const char* what) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/zintavel-fuzz-" + what + "-" + std::to_string(::getpid());
}

const char* InputAsFile(const std::uint8_t* data, std::size_t size) {
  static std::string path = ScratchPath("input");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    if (size > 0) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path.c_str();
}
