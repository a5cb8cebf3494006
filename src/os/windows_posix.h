// The few POSIX names the program's file code uses that mingw-w64 lacks,
// given to every file of the Windows build (-include), so the code stays one
// version for both systems. Windows has no close-on-exec (handles are not
// inherited by default) and regular files never block.
#pragma once

// printf's %zu and %lld as C99 has them (Windows' own printf lacks them), and
// M_PI from <cmath>.
#define __USE_MINGW_ANSI_STDIO 1
#define _USE_MATH_DEFINES 1

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/types.h>

#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif

// Windows' access() refuses the execute bit; a directory there is searchable
// whenever it can be read.
#include <unistd.h>
#undef X_OK
#define X_OK 0

// mkdir(path, mode): Windows has no permission bits to give.
#define mkdir(path, mode) _mkdir(path)

#ifdef __cplusplus
// Reads at an offset, keeping the file position as pread does.
inline ssize_t pread(int fd, void* data, size_t size, off_t at) {
  const off_t was = ::lseek(fd, 0, SEEK_CUR);
  if (was < 0 || ::lseek(fd, at, SEEK_SET) < 0) return -1;
  const int got = ::_read(fd, data, static_cast<unsigned>(size));
  ::lseek(fd, was, SEEK_SET);
  return got;
}

// Writes at an offset, keeping the file position as pwrite does.
inline ssize_t pwrite(int fd, const void* data, size_t size, off_t at) {
  const off_t was = ::lseek(fd, 0, SEEK_CUR);
  if (was < 0 || ::lseek(fd, at, SEEK_SET) < 0) return -1;
  const int wrote = ::_write(fd, data, static_cast<unsigned>(size));
  ::lseek(fd, was, SEEK_SET);
  return wrote;
}
#endif
