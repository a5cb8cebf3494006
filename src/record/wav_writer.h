// Streams 16-bit stereo PCM at 44,100 Hz into a WAV file as the sound is
// mixed, so nothing of it is kept in memory. The header holds a 28-byte JUNK
// chunk after "WAVE": when the data passes what 32-bit sizes can say (4 GiB),
// Close turns the file into RF64 by writing its 64-bit sizes there, so the
// header never lies. Sizes are rewritten on Close and every second of
// sound, each time followed by a sync, so a power cut takes at most the last
// second; they count only bytes that reached the file: after a failed
// write (a full disk) the file is cut back to its last whole sample frame.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class WavWriter {
 public:
  static constexpr int Rate = 44100;
  static constexpr std::size_t HeaderBytes = 80;

  WavWriter() = default;
  ~WavWriter() { Close(); }
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Each returns false on a failure and leaves one line in Error() naming the
  // file and the problem; after a failure Write does nothing.
  bool Open(const std::string& path);
  // How the file is made durable (record/durable.h's SyncFileData unless set).
  void SetSync(std::function<int(int)> sync) { sync_ = std::move(sync); }
  bool Write(const std::int16_t* stereo, std::size_t frames);
  bool Close();

  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }
  const std::string& Error() const { return error_; }
  // Sample frames that reached the file.
  std::uint64_t FramesWritten() const { return written_ / 4; }

 private:
  bool Flush();
  bool WriteHeader();
  bool Sync();
  bool Fail(const char* what, int error);

  int fd_ = -1;
  std::string path_, error_;
  std::vector<std::uint8_t> buffer_;
  std::uint64_t written_ = 0;       // data bytes on disk
  std::uint64_t lastHeaderAt_ = 0;  // written_ when the header was last updated
  bool failed_ = false;
  std::function<int(int)> sync_;
};
