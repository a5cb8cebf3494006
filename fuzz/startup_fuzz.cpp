// The whole of start-up loading, as --check runs it (every loader, then the
// text checks), over a presentation directory made from the input. The input
// is a little archive: a flags byte, then records of
//   [file: 1 byte][kind: 1 byte][length: 2 bytes, little-endian][bytes]
// where the file byte picks one of the data set's names and the kind makes it a
// regular file of those bytes, a directory, a fifo, a device (a link to
// /dev/zero) or a dangling link. The files the input does not give are
// missing, or links to the generated data set's, so one broken file is seen
// among good ones: flag bit 0 fills in the fonts and texts, bit 1 the PCX
// pictures, bit 2 the JPEG pictures (the costliest to decode).
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/check.h"
#include "assets/loading.h"
#include "fuzz_support.h"

namespace {

std::string Root;
std::FILE* Nowhere = nullptr;

MusicFacts NoMusic(const std::string&, const std::string&) { return MusicFacts{}; }

// A link that cannot be made leaves the file missing, which is a case too.
void Link(const std::string& target, const std::string& path) {
  [[maybe_unused]] const int rc = ::symlink(target.c_str(), path.c_str());
}

void Clear(const std::string& path) {
  if (::unlink(path.c_str()) != 0) ::rmdir(path.c_str());
}

void Make(const std::string& path, std::uint8_t kind, const std::uint8_t* bytes, std::size_t size) {
  switch (kind % 8) {
    case 4:
      ::mkdir(path.c_str(), 0755);
      return;
    case 5:
      ::mkfifo(path.c_str(), 0644);
      return;
    case 6:
      Link("/dev/zero", path);
      return;
    case 7:
      Link("no-such-file", path);
      return;
    default: {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) return;
      if (size) std::fwrite(bytes, 1, size, f);
      std::fclose(f);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Root = ScratchPath("startup");
  ::mkdir(Root.c_str(), 0755);
  ::mkdir((Root + "/data").c_str(), 0755);
  Nowhere = std::fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t fill = data[0];
  bool given[64] = {};
  for (int i = 0; i < DataFileCount; ++i) Clear(Root + "/data/" + DataFiles[i]);
  std::size_t at = 1;
  while (at + 4 <= size) {
    const int file = data[at] % DataFileCount;
    const std::uint8_t kind = data[at + 1];
    std::size_t length = data[at + 2] | (data[at + 3] << 8);
    at += 4;
    if (length > size - at) length = size - at;
    if (!given[file]) {
      Make(Root + "/data/" + DataFiles[file], kind, data + at, length);
      given[file] = true;
    }
    at += length;
  }
  for (int i = 0; i < DataFileCount; ++i) {
    const std::string name = DataFiles[i];
    const bool text = name.ends_with(".txt") || name.starts_with("font"), jpeg = name.ends_with(".jpg");
    const int group = text ? 1 : jpeg ? 4 : 2;
    if (!given[i] && (fill & group)) {
      Link(std::string(ZINTAVEL_DEMO_DIR) + "/data/" + DataFiles[i], Root + "/data/" + DataFiles[i]);
    }
  }
  const int code = CheckPresentation(Root, NoMusic, Nowhere);
  if (code != 0 && code != 1) __builtin_trap();
  return 0;
}
