// The recording backend: no window and no sound device. The clock is virtual:
// it starts at --start-tick and stands still except at a present, which moves
// it to start + index * 1000 / fps (integer milliseconds) for the index-th
// frame. Presented frames are written as DIR/frame-NNNNNN.png (every Nth only,
// named by index); the sound is mixed offline in step with the clock, so every
// sound call lands on its sample, and written to DIR/audio.wav at the end.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/engine_platform.h"

struct RecordingOptions {
  std::string directory;
  std::uint32_t fps = 60;
  std::uint32_t every = 1;
  std::uint32_t startTick = 0;
  std::optional<int> depth;
  bool forceDoubling = false;
  std::optional<std::uint32_t> quitAt;
};

std::unique_ptr<EnginePlatform> MakeRecordingPlatform(const RecordingOptions& options);
