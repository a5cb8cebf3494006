// The video file's output for libavformat, through RecordingWrite.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "record/file_writes.h"

extern "C" {
#include <libavformat/avio.h>
#include <libavutil/error.h>
#include <libavutil/mem.h>
}

namespace {

struct Output {
  int fd = -1;
};

// The signature libavformat's callback has changed between versions (its
// buffer became const); taking it as a template parameter fits either.
template <typename Byte>
int WritePacket(void* opaque, Byte* data, int size) {
  if (!RecordingWriteAll(static_cast<Output*>(opaque)->fd, data, static_cast<std::size_t>(size)))
    return AVERROR(errno);
  return size;
}

std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
  const int fd = static_cast<Output*>(opaque)->fd;
  if (whence & AVSEEK_SIZE) {
    struct stat s;
    return ::fstat(fd, &s) == 0 ? s.st_size : AVERROR(errno);
  }
  const off_t at = ::lseek(fd, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE);
  return at < 0 ? AVERROR(errno) : at;
}

}  // namespace

int OpenRecordingOutput(AVIOContext** pb, const std::string& path) {
  *pb = nullptr;
  constexpr int BufferBytes = 1 << 15;
  auto* out = new Output;
  out->fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  auto* buffer = static_cast<unsigned char*>(av_malloc(BufferBytes));
  AVIOContext* context = buffer && out->fd >= 0
                             ? avio_alloc_context(buffer, BufferBytes, 1, out, nullptr, WritePacket, Seek)
                             : nullptr;
  if (!context) {
    const int rc = out->fd < 0 ? AVERROR(errno) : AVERROR(ENOMEM);
    if (out->fd >= 0) ::close(out->fd);
    delete out;
    av_free(buffer);
    return rc;
  }
  context->seekable = AVIO_SEEKABLE_NORMAL;
  *pb = context;
  return 0;
}

int CloseRecordingOutput(AVIOContext** pb) {
  AVIOContext* context = *pb;
  if (!context) return 0;
  avio_flush(context);
  int rc = context->error;
  auto* out = static_cast<Output*>(context->opaque);
  if (::close(out->fd) != 0 && rc == 0) rc = AVERROR(errno);
  delete out;
  av_freep(&context->buffer);
  avio_context_free(pb);
  return rc;
}
