// A build without ffmpeg's libraries (ZINTAVEL_VIDEO_FILES off) records PNG
// directories and WAV only: a video file name gets one line saying so before
// anything is written.
#include "record/recording_sink.h"

namespace {

class NoVideoFileSink : public RecordingSink {
 public:
  explicit NoVideoFileSink(const std::string& path) : path_(path) {}
  bool Prepare() override {
    return Fail(path_ + ": this build records PNG directories and WAV only (name a directory)");
  }
  bool Begin(int, int) override { return false; }
  bool WriteFrame(std::uint32_t, const std::uint32_t*) override { return false; }
  bool WriteSound(const std::int16_t*, std::size_t) override { return false; }
  bool Finish() override { return error_.empty(); }
  std::string Written() const override { return ""; }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<RecordingSink> MakeVideoFileSink(const SinkSettings& settings) {
  return std::make_unique<NoVideoFileSink>(settings.path);
}
