#include "record/durable.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

int SyncFileData(int fd) {
#if defined(_WIN32)
  return ::_commit(fd);
#elif defined(__linux__)
  return ::fdatasync(fd);
#else
  return ::fsync(fd);
#endif
}

int SyncFileSystemOf(int fd) {
#if defined(__linux__)
  return ::syncfs(fd);
#elif defined(_WIN32)
  (void)fd;
  return 0;
#else
  return ::fsync(fd);
#endif
}

int SyncDirectoryOf(const std::string& path, bool isDirectory) {
#ifdef _WIN32
  (void)path, (void)isDirectory;
  return 0;
#else
  std::string dir = path;
  if (!isDirectory) {
    const std::size_t slash = path.find_last_of('/');
    dir = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  }
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return -1;
  const int rc = ::fsync(fd);
  const int error = errno;
  ::close(fd);
  errno = error;
  return rc;
#endif
}
