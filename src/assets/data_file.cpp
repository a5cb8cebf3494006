#include "assets/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int OpenDataFile(const char* path, std::int64_t& size, std::string& problem) {
  size = 0;
  // Non-blocking so a fifo without a writer does not hang start-up; the type is
  // taken from the descriptor, so a path swapped after a check cannot slip by.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    problem = errno == EISDIR ? "is a directory, not a file" : std::string("cannot open: ") + std::strerror(errno);
    return -1;
  }
  struct stat s;
  if (::fstat(fd, &s) != 0) {
    problem = std::string("cannot open: ") + std::strerror(errno);
  } else if (S_ISDIR(s.st_mode)) {
    problem = "is a directory, not a file";
  } else if (S_ISFIFO(s.st_mode)) {
    problem = "is a fifo, not a file";
  } else if (!S_ISREG(s.st_mode)) {
    problem = "is not a regular file";
  } else {
    size = s.st_size;
    return fd;
  }
  ::close(fd);
  return -1;
}

bool ReadDataBytes(int fd, std::int64_t offset, std::uint8_t* out, std::size_t count, std::string& problem) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, out + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      problem = std::string("read error: ") + std::strerror(errno);
      return false;
    }
    if (n == 0) {
      problem = "changed while it was read (it ended after " + std::to_string(offset + done) + " bytes)";
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool ReadDataFile(const char* path, std::vector<std::uint8_t>& bytes, std::size_t limit, bool* more,
                  std::string& problem) {
  bytes.clear();
  if (more) *more = false;
  std::int64_t size = 0;
  const int fd = OpenDataFile(path, size, problem);
  if (fd < 0) return false;
  const std::size_t want = static_cast<std::uint64_t>(size) > limit ? limit : static_cast<std::size_t>(size);
  bytes.resize(want);
  const bool ok = ReadDataBytes(fd, 0, bytes.data(), want, problem);
  ::close(fd);
  if (!ok) {
    bytes.clear();
    return false;
  }
  if (more) *more = static_cast<std::uint64_t>(size) > limit;
  return true;
}
