#include "record/durable.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

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

int OpenToSync(const std::string& path) {
#ifdef _WIN32
  return ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
#else
  return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

int RenameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
  // The narrow names are in the program's code page (UTF-8, by its manifest), as open() takes them.
  if (::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return 0;
  const DWORD why = ::GetLastError();
  errno = why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? ENOENT
          : why == ERROR_DISK_FULL                                  ? ENOSPC
                                                                    : EACCES;
  return -1;
#else
  return std::rename(from.c_str(), to.c_str());
#endif
}
