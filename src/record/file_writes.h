// Every byte the recording puts in a file (the WAV, the PNG frames, the video
// file and its copy with the index first) goes through RecordingWrite, so a
// test can make any one write fail as a full disk, an I/O error or a short
// write would, and see that the sinks finalise or report.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

struct AVIOContext;

// write(2) unless a test set another; nullptr puts write(2) back.
using WriteFunction = ssize_t (*)(int fd, const void* data, std::size_t size);
void SetRecordingWrite(WriteFunction write);
ssize_t RecordingWrite(int fd, const void* data, std::size_t size);

// Writes all of it, retrying after a signal and a short write; false with
// errno set (a write that takes nothing counts as a full disk).
bool RecordingWriteAll(int fd, const void* data, std::size_t size, std::size_t* done = nullptr);

// libavformat's output for `path` (created or truncated), seekable, its
// writes through RecordingWrite. 0, or a negative AVERROR.
int OpenRecordingOutput(AVIOContext** pb, const std::string& path);
// Flushes and closes what OpenRecordingOutput opened; 0, or the first error
// of its writes or of the close. *pb is null afterwards; null is fine.
int CloseRecordingOutput(AVIOContext** pb);
