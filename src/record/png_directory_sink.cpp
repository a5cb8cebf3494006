// Frames as DIR/frame-NNNNNN.png (every Nth, named by index) and the sound as
// DIR/audio.wav, streamed. Each frame is written under a hidden temporary name
// and renamed into place, so a frame file is never seen half written. About
// once per second of recording the file system is synced (one call covers that
// second's frames, their names and the WAV), so a power cut takes at most
// about the last second.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "assets/report.h"
#include "record/durable.h"
#include "record/own_files.h"
#include "record/png_file.h"
#include "record/recording_sink.h"
#include "record/replicate.h"
#include "record/wav_writer.h"
#include "record/write_error.h"

namespace {

class PngDirectorySink final : public RecordingSink {
 public:
  explicit PngDirectorySink(const SinkSettings& s) : settings_(s) {}

  bool Prepare() override {
    const std::string& dir = settings_.path;
    if (::mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) return Fail(dir + ": cannot create: " + std::strerror(errno));
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return Fail(dir + ": not a directory");
    // Frames strewn into a system directory (root may write anywhere) are a mess to clear up.
#ifndef _WIN32  // the system's directories named there are Unix ones
    if (char* resolved = ::realpath(dir.c_str(), nullptr)) {
      const bool system = IsSystemDirectory(resolved);
      std::free(resolved);
      if (system) return Fail(dir + ": a system directory; name a new directory for the frames");
    }
#endif
    // Said once the recording is sure to go there: a refusal is its own one line.
    auto goingAmongOthers = [&dir] {
      const int others = OtherFilesIn(dir);
      if (others > 0)
        std::fprintf(stderr, "zintavel: %s: already holds %d other file%s; the frames and audio.wav go among them\n",
                     OneLine(dir).c_str(), others, others == 1 ? "" : "s");
      return true;
    };
    if (::access(dir.c_str(), W_OK | X_OK) != 0) return Fail(dir + ": cannot write: " + std::strerror(errno));
    std::vector<std::string> earlier = RecordingFilesIn(dir);
    // A half-written frame of a killed run is no earlier recording of its own: it goes.
    std::vector<std::string> partial;
    for (const std::string& name : earlier)
      if (name.compare(0, 9, ".partial-") == 0) partial.push_back(name);
    std::string why;
    if (!RemoveRecordingFiles(dir, partial, why)) return Fail(why);
    earlier.erase(std::remove_if(earlier.begin(), earlier.end(),
                                 [](const std::string& n) { return n.compare(0, 9, ".partial-") == 0; }),
                  earlier.end());
    if (earlier.empty()) return goingAmongOthers();
    if (!settings_.replace)
      return Fail(dir + ": holds an earlier recording (" + std::to_string(earlier.size()) +
                  " frame and sound files); add --force to replace them, or name another directory");
    if (!RemoveRecordingFiles(dir, earlier, why)) return Fail(why);
    std::fprintf(stderr, "zintavel: %s: removed the %zu frame and sound files of an earlier recording\n", OneLine(dir).c_str(),
                 earlier.size());
    return goingAmongOthers();
  }

  ~PngDirectorySink() override {
    if (dirFd_ >= 0) ::close(dirFd_);
  }

  bool Begin(int width, int height) override {
    width_ = width, height_ = height;
    dirFd_ = ::open(settings_.path.c_str(), O_RDONLY | O_CLOEXEC);
    if (settings_.syncFile) wav_.SetSync(settings_.syncFile);
    if (settings_.scale > 1) scaled_.resize(static_cast<std::size_t>(width) * height * settings_.scale * settings_.scale);
    return true;
  }

  bool WriteFrame(std::uint32_t index, const std::uint32_t* pixels) override {
    if (!error_.empty()) return false;
    if (index % settings_.every != 0) return true;
    const int n = settings_.scale;
    if (n > 1) {
      ReplicatePixels(pixels, width_, height_, n, scaled_.data());
      pixels = scaled_.data();
    }
    char name[48];
    std::snprintf(name, sizeof name, "/frame-%06u.png", index);
    const std::string path = settings_.path + name;
    const std::string temporary = settings_.path + "/.partial-" + (name + 1);
    std::string line;
    if (!WritePngFile(temporary, width_ * n, height_ * n, pixels, &line)) {
      ::unlink(temporary.c_str());
      return Fail(path + line.substr(temporary.size()));
    }
    if (RenameOver(temporary, path) != 0) {
      const int code = errno;
      ::unlink(temporary.c_str());
      return Fail(path + ": cannot write: " + WriteErrorText(code));
    }
    ++frames_;
    // The first frame of each new second of the recording syncs the seconds before.
    if (index / settings_.fps != syncedSecond_) {
      syncedSecond_ = index / settings_.fps;
      if (dirFd_ >= 0 && (settings_.syncFile ? settings_.syncFile(dirFd_) : SyncFileSystemOf(dirFd_)) != 0)
        return Fail(settings_.path + ": cannot write: " + WriteErrorText(errno));
    }
    return true;
  }

  bool WriteSound(const std::int16_t* stereo, std::size_t frames) override {
    if (!error_.empty()) return false;
    if (!wav_.IsOpen() && !wav_.Open(settings_.path + "/audio.wav")) return Fail(wav_.Error());
    if (!wav_.Write(stereo, frames)) return Fail(wav_.Error());
    return true;
  }

  bool Finish() override {
    const bool closed = wav_.Close();
    if (dirFd_ >= 0) settings_.syncFile ? settings_.syncFile(dirFd_) : SyncFileSystemOf(dirFd_);
    // A sound file that holds no sound is not left behind.
    if (!wav_.Path().empty() && wav_.FramesWritten() == 0 && !error_.empty()) {
      ::unlink(wav_.Path().c_str());
      wavRemoved_ = true;
    }
    if (!closed) return Fail(wav_.Error());
    return error_.empty();
  }

  std::string Written() const override {
    char text[160];
    std::snprintf(text, sizeof text, "%u frames as %s/frame-NNNNNN.png", frames_, settings_.path.c_str());
    std::string s = text;
    if (wavRemoved_) {
      s += ", no sound (" + wav_.Path() + " removed)";
    } else if (!wav_.Path().empty()) {
      std::snprintf(text, sizeof text, ", %.2f s of sound in %s", wav_.FramesWritten() / double(WavWriter::Rate),
                    wav_.Path().c_str());
      s += text;
    }
    return s;
  }

 private:
  SinkSettings settings_;
  int width_ = 0, height_ = 0;
  std::vector<std::uint32_t> scaled_;
  WavWriter wav_;
  std::uint32_t frames_ = 0;
  bool wavRemoved_ = false;
  int dirFd_ = -1;
  std::uint32_t syncedSecond_ = 0;
};

}  // namespace

std::unique_ptr<RecordingSink> MakePngDirectorySink(const SinkSettings& settings) {
  return std::make_unique<PngDirectorySink>(settings);
}
