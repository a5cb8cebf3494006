// The recording backend: no window and no sound device. The clock is virtual:
// it starts at --start-tick and stands still except at a present, which moves
// it to start + index * 1000 / fps (integer milliseconds) for the index-th
// frame. Each presented frame and the sound mixed in step with it go to a sink
// (record/recording_sink.h): a directory of PNG frames and audio.wav, or one video
// file. The sound of frame k starts at sample k * 44,100 / fps, computed from
// k each time, so it never drifts; every sound call lands on the sample of the
// frame it was made in.
//
// --start-at runs the frames before it unseen (BeginReplay) and their sound is
// mixed and dropped, so a clip's frames and sound are those of the whole
// recording from there, byte for byte. --stop-at ends the recording there,
// with the sound's last 10 ms faded out. Video files carry a chapter per phase.
//
// A recording ends by itself: without --quit-at, the quit request comes when
// part two has shown its scanner scene and every text page once (the first
// set three times over, then the second set), and the closing fade follows.
// SIGINT or SIGTERM raises the same quit request once; a second one stops the
// recording at once. Either way, and after a failed write, what was written is
// finalised so that it plays and its headers tell the truth.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/engine_platform.h"
#include "record/recording_sink.h"

struct RecordingOptions {
  // Where and how it is written: path, form, frame rate, quality (the
  // sink's own settings, passed on as they are; see record/recording_sink.h).
  SinkSettings sink;
  std::uint32_t startTick = 0;
  std::optional<int> depth;
  bool forceDoubling = false;
  std::optional<std::uint32_t> quitAt;
  // A clip: the first frame written is the first at or after startAt (the
  // frames before it run unseen), and the recording ends, without the closing,
  // before the first frame at or after stopAt; show times in ms.
  std::uint32_t startAt = 0;
  std::optional<std::uint32_t> stopAt;
  // Enlargement; by default 1280 pixels wide for .mp4 and .webm (4x, sharp
  // after a video site re-encodes it) and 1x otherwise.
  std::optional<int> scale;
  // Part two's length that shows it whole, asked once the assets are loaded.
  std::function<std::uint32_t()> wholePartTwo;
};

class RecordingPlatform : public EnginePlatform {
 public:
  // After the master sequence: finalises what was written, says so (or what
  // failed) in one line, and gives the exit code: the sequence's own, 1 after
  // a failed write, 128 + the signal after a second SIGINT or SIGTERM.
  virtual int Finish(int code) = 0;
};

// Nothing, after one line on stderr, when the target cannot be written.
std::unique_ptr<RecordingPlatform> MakeRecordingPlatform(const RecordingOptions& options);
