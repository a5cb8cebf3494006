// The file-path layer under every loader: a path made from the input (a
// regular file, possibly sparse and large, or a directory, a fifo, a device, a
// dangling link), read whole up to a limit and at an offset. What comes back
// must be what the file holds, never more than the limit, and a failure always
// says why. The input: [kind][extension: 4 bytes][shift][limit: 4 bytes]
// [offset: 8 bytes][count: 2 bytes], then the file's first bytes.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "fuzz_support.h"

namespace {

std::string Path;

std::uint64_t Little(const std::uint8_t* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Path = ScratchPath("data-file");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t Header = 20;
  if (size < Header) return 0;
  const std::uint8_t kind = data[0] % 6;
  // Up to 64 GiB of hole after the bytes given, which no read may take whole.
  const std::uint64_t extension = Little(data + 1, 4) << (data[5] % 5 * 2) & ((1ull << 36) - 1);
  const std::size_t limit = Little(data + 6, 4) & ((1u << 22) - 1);
  const std::int64_t offset = static_cast<std::int64_t>(Little(data + 10, 8));
  const std::size_t count = Little(data + 18, 2);
  const std::uint8_t* contents = data + Header;
  const std::size_t length = size - Header;

  if (::unlink(Path.c_str()) != 0) ::rmdir(Path.c_str());
  std::uint64_t fileSize = 0;
  switch (kind) {
    case 1:
      ::mkdir(Path.c_str(), 0755);
      break;
    case 2:
      ::mkfifo(Path.c_str(), 0644);
      break;
    case 3:
      if (::symlink("/dev/zero", Path.c_str()) != 0) return 0;
      break;
    case 4:
      if (::symlink("/nonexistent/zintavel", Path.c_str()) != 0) return 0;
      break;
    default: {
      std::FILE* f = std::fopen(Path.c_str(), "wb");
      if (!f) return 0;
      if (length) std::fwrite(contents, 1, length, f);
      std::fclose(f);
      fileSize = length;
      if (kind == 5 && ::truncate(Path.c_str(), static_cast<off_t>(length + extension)) == 0) {
        fileSize = length + extension;
      }
    }
  }
  const bool regular = kind == 0 || kind == 5;

  std::vector<std::uint8_t> bytes;
  bool more = true;
  std::string problem;
  const bool read = ReadDataFile(Path.c_str(), bytes, limit, &more, problem);
  Check(read == regular);
  if (read) {
    const std::uint64_t want = fileSize < limit ? fileSize : limit;
    Check(bytes.size() == want && more == (fileSize > limit));
    const std::size_t given = length < bytes.size() ? length : bytes.size();
    Check(given == 0 || std::memcmp(bytes.data(), contents, given) == 0);
    for (std::size_t i = given; i < bytes.size(); ++i) Check(bytes[i] == 0);
  } else {
    Check(bytes.empty() && !problem.empty() && problem.find('\n') == std::string::npos);
  }

  std::int64_t opened = -1;
  problem.clear();
  const int fd = OpenDataFile(Path.c_str(), opened, problem);
  Check((fd >= 0) == regular);
  if (fd < 0) {
    Check(!problem.empty());
    return 0;
  }
  Check(static_cast<std::uint64_t>(opened) == fileSize);
  static std::vector<std::uint8_t> out(65536);
  problem.clear();
  // Nothing to read is read anywhere.
  const bool inside = count == 0 || (offset >= 0 && static_cast<std::uint64_t>(offset) <= fileSize &&
                                     count <= fileSize - static_cast<std::uint64_t>(offset));
  const bool got = ReadDataBytes(fd, offset, out.data(), count, problem);
  ::close(fd);
  Check(got == inside && got == problem.empty());
  if (got) {
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t at = static_cast<std::uint64_t>(offset) + i;
      Check(out[i] == (at < length ? contents[at] : 0));
    }
  }
  return 0;
}
