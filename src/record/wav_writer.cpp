#include "record/wav_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "record/durable.h"
#include "record/file_writes.h"
#include "record/write_error.h"

namespace {

constexpr std::size_t BufferBytes = 1 << 16;
constexpr std::uint64_t HeaderEvery = 4ull * WavWriter::Rate;  // a second of sound: a kill loses at most that
constexpr std::uint64_t Max32 = 0xFFFFFFFFull;

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void Put64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

bool WavWriter::Fail(const char* what, int error) {
  failed_ = true;
  if (error_.empty()) error_ = path_ + ": " + what + ": " + WriteErrorText(error);
  return false;
}

bool WavWriter::Open(const std::string& path) {
  path_ = path;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return Fail("cannot create", errno);
  buffer_.reserve(BufferBytes);
  if (!WriteHeader()) return false;
  SyncDirectoryOf(path);  // its name survives a power cut with its data
  return true;
}

bool WavWriter::WriteHeader() {
  std::uint8_t h[HeaderBytes] = {};
  const bool big = written_ + HeaderBytes - 8 > Max32;
  std::memcpy(h, big ? "RF64" : "RIFF", 4);
  Put32(h + 4, big ? 0xFFFFFFFFu : static_cast<std::uint32_t>(written_ + HeaderBytes - 8));
  std::memcpy(h + 8, "WAVE", 4);
  // The reserved chunk: JUNK while 32 bits suffice, ds64 once they do not.
  std::memcpy(h + 12, big ? "ds64" : "JUNK", 4);
  Put32(h + 16, 28);
  if (big) {
    Put64(h + 20, written_ + HeaderBytes - 8);  // RIFF size
    Put64(h + 28, written_);                   // data size
    Put64(h + 36, written_ / 4);               // sample frames
    Put32(h + 44, 0);                          // no table
  }
  std::memcpy(h + 48, "fmt ", 4);
  Put32(h + 52, 16);
  h[56] = 1;  // PCM
  h[58] = 2;  // channels
  Put32(h + 60, Rate);
  Put32(h + 64, Rate * 4);
  h[68] = 4;   // bytes per sample frame
  h[70] = 16;  // bits per sample
  std::memcpy(h + 72, "data", 4);
  Put32(h + 76, big ? 0xFFFFFFFFu : static_cast<std::uint32_t>(written_));
  if (::lseek(fd_, 0, SEEK_SET) != 0 || !RecordingWriteAll(fd_, h, sizeof h)) return Fail("cannot write", errno ? errno : ENOSPC);
  lastHeaderAt_ = written_;
  return true;
}

bool WavWriter::Write(const std::int16_t* stereo, std::size_t frames) {
  if (fd_ < 0 || failed_) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(stereo);
  std::size_t size = frames * 4;
  while (size > 0) {
    const std::size_t n = std::min(size, BufferBytes - buffer_.size());
    buffer_.insert(buffer_.end(), bytes, bytes + n);
    bytes += n, size -= n;
    if (buffer_.size() == BufferBytes && !Flush()) return false;
  }
  if (written_ - lastHeaderAt_ >= HeaderEvery && !(WriteHeader() && Sync())) return false;
  return true;
}

bool WavWriter::Flush() {
  if (::lseek(fd_, static_cast<off_t>(HeaderBytes + written_), SEEK_SET) < 0) return Fail("cannot write", errno);
  std::size_t done = 0;
  const bool ok = RecordingWriteAll(fd_, buffer_.data(), buffer_.size(), &done);
  written_ += done;
  buffer_.clear();
  if (!ok) return Fail("cannot write", errno);
  return true;
}

bool WavWriter::Sync() {
  if ((sync_ ? sync_(fd_) : SyncFileData(fd_)) != 0) return Fail("cannot write", errno);
  return true;
}

bool WavWriter::Close() {
  if (fd_ < 0) return !failed_;
  bool ok = !failed_;
  if (ok && !buffer_.empty()) ok = Flush();
  // Whole sample frames only, and a header that says what the file holds, even
  // after a failed write.
  written_ -= written_ % 4;
  if (::ftruncate(fd_, static_cast<off_t>(HeaderBytes + written_)) != 0) ok = Fail("cannot write", errno);
  if (!WriteHeader() || !Sync()) ok = false;
  if (::close(fd_) != 0) ok = Fail("cannot write", errno);
  fd_ = -1;
  return ok;
}
