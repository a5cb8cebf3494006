#include "record/file_writes.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

namespace {

std::atomic<WriteFunction> Hook{nullptr};

}  // namespace

void SetRecordingWrite(WriteFunction write) { Hook.store(write); }

ssize_t RecordingWrite(int fd, const void* data, std::size_t size) {
  const WriteFunction hook = Hook.load();
  return hook ? hook(fd, data, size) : ::write(fd, data, size);
}

bool RecordingWriteAll(int fd, const void* data, std::size_t size, std::size_t* done) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = RecordingWrite(fd, bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes += n, size -= static_cast<std::size_t>(n);
    if (done) *done += static_cast<std::size_t>(n);
  }
  return true;
}
