#include "os/standard_files.h"

#include <fcntl.h>

#include <csignal>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>

#include <cerrno>
#endif

void PrepareStandardFiles() {
  for (int fd = 0; fd <= 2; ++fd) {
#ifdef _WIN32
    if (::_get_osfhandle(fd) != -1) continue;
    const int null = ::_open("NUL", _O_RDWR);
    if (null >= 0 && null != fd) {
      ::_dup2(null, fd);
      ::_close(null);
    }
#else
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is taken: this one, as the lower ones are open.
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
#endif
  }
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

#ifndef _WIN32
// Elsewhere stderr is the terminal's, a log's or nothing anyone asked for.
bool ErrorsUnseen() { return false; }
std::string KeptErrors() { return ""; }
#endif
