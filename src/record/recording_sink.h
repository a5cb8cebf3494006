// Where a recording goes. The recording backend hands a sink each presented
// frame (0x00RRGGBB, stride = width) and each block of mixed sound (16-bit
// stereo at 44,100 Hz, interleaved), in the order of the virtual clock; the
// sink writes them out as it gets them and keeps nothing whole in memory.
// Two sinks: a directory of PNG frames beside a streamed audio.wav, and one
// video file through libavformat/libavcodec. A third wraps either one to run
// it on a worker thread; since the calls reach the wrapped sink in the same
// order, what it writes is the same byte for byte.
//
// Every call returns false on a failure and leaves one line in Error() that
// names the file and the problem. After a failure a sink writes nothing more;
// Finish still finalises what was written so the files tell the truth.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

enum class RecordingForm { PngDirectory, Mp4, Mkv, Webm };

class RecordingSink {
 public:
  virtual ~RecordingSink() = default;
  // Before the run: is the target there, or can it be made, and written?
  // Nothing is left behind by a run that stops before its first frame.
  virtual bool Prepare() = 0;
  // Before the first frame: the frame size as the surface has it.
  virtual bool Begin(int width, int height) = 0;
  virtual bool WriteFrame(std::uint32_t index, const std::uint32_t* pixels) = 0;
  virtual bool WriteSound(const std::int16_t* stereo, std::size_t frames) = 0;
  // The chapters video players list, start times in ms from the first frame
  // written, the recording `endMs` long; given once, before Finish. Only video
  // files keep them.
  struct Chapter {
    std::string title;
    std::uint64_t startMs;
  };
  virtual void SetChapters(const std::vector<Chapter>& /*chapters*/, std::uint64_t /*endMs*/) {}
  // Finalises everything written; safe after a failure and when nothing began.
  virtual bool Finish() = 0;
  // What was written, for the closing line: "frames and audio.wav in DIR".
  virtual std::string Written() const = 0;
  virtual std::string Error() const { return error_; }

 protected:
  bool Fail(const std::string& line) {
    if (error_.empty()) error_ = line;
    return false;
  }
  std::string error_;
};

struct SinkSettings {
  std::string path;
  RecordingForm form = RecordingForm::PngDirectory;
  std::uint32_t fps = 60;
  std::uint32_t every = 1;  // PNG frames: only every Nth
  int scale = 1;            // every frame enlarged this many times
  int threads = 2;          // encoder threads: fixed, so a file comes out the same on any machine
  bool replace = false;     // PNG frames: an earlier recording's files in the directory may go
  // .mp4 and .webm: the encoder's CRF, or, when targetBytes is set, an average
  // bit rate that fits the planned length (asked when the encoder opens).
  int crf = 18;
  std::uint64_t targetBytes = 0;
  std::function<double()> plannedSeconds;
  // True once the recording is to stop at once (a second signal): an .mp4 is
  // then kept fragmented as written, its copy with the index first skipped or
  // given up.
  std::function<bool()> stopNow;
  // Makes what was written to a file durable, called about once per second of
  // recording (record/durable.h); set by tests to count the calls.
  std::function<int(int fd)> syncFile;
};

std::unique_ptr<RecordingSink> MakePngDirectorySink(const SinkSettings& settings);
std::unique_ptr<RecordingSink> MakeVideoFileSink(const SinkSettings& settings);
std::unique_ptr<RecordingSink> MakeThreadedSink(std::unique_ptr<RecordingSink> inner);
