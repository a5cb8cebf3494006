#include "record/video_quality.h"

#include <algorithm>
#include <cstdlib>

std::optional<int> CrfFor(RecordingForm form, std::optional<int> level) {
  const bool vp9 = form == RecordingForm::Webm;
  switch (level.value_or(QualityMedium)) {
    case QualitySmall: return vp9 ? 44 : 30;
    case QualityMedium: return vp9 ? 38 : 24;
    case QualityHigh: return vp9 ? 32 : 18;
    default: break;
  }
  if (*level < 0 || *level > (vp9 ? 63 : 51)) return std::nullopt;
  return *level;
}

std::int64_t VideoBitRateFor(std::uint64_t targetBytes, double seconds, std::int64_t audioBitRate) {
  if (seconds <= 0) return 0;
  // 4% for the container and the sound encoder's own aim, and the room the
  // .mp4's index-first copy keeps for its index (64 KiB and 40 bytes a packet,
  // at most 120 packets a second); the video's rate is held by a one-second
  // buffer (see the sink), which may end up to one second's worth over the
  // average, so that second is counted too.
  const double indexRoom = 64 * 1024 + 40.0 * 120 * seconds;
  const double bits = (static_cast<double>(targetBytes) * 0.96 - indexRoom) * 8;
  const double video = (bits - static_cast<double>(audioBitRate) * seconds) / (seconds + 1);
  constexpr double Minimum = 50000;  // below this the picture is mush
  return video < Minimum ? 0 : static_cast<std::int64_t>(video);
}

std::int64_t DefaultAudioBitRate(RecordingForm form) {
  switch (form) {
    case RecordingForm::Mp4: return 192000;
    case RecordingForm::Webm: return 160000;
    default: return 0;
  }
}

std::optional<SizeBudget> BudgetFor(RecordingForm form, std::uint64_t targetBytes, double seconds, std::uint32_t fps,
                                    std::optional<int> scale) {
  if (seconds <= 0 || fps == 0) return std::nullopt;
  SizeBudget b;
  // The whole rate the file allows; the sound keeps its full rate down to
  // 2 Mb/s of it, then steps down (AAC and Opus stay clean at 96 kb/s stereo).
  const double whole = static_cast<double>(targetBytes) * 8 / seconds;
  const std::int64_t full = DefaultAudioBitRate(form);
  b.audioBitRate = whole >= 2000000 ? full : whole >= 1000000 ? std::min<std::int64_t>(full, 128000) : 96000;
  b.videoBitRate = VideoBitRateFor(targetBytes, seconds, b.audioBitRate);
  if (b.videoBitRate == 0) return std::nullopt;
  if (scale) {
    b.scale = *scale;
  } else {
    // Measured on the show (x264 superfast, frames averaged back to 320x240,
    // PSNR): under about 20 kbit a frame 1x looks best, under about 100 kbit
    // 2x, above that 4x, which video sites keep sharp.
    const double perFrame = static_cast<double>(b.videoBitRate) / fps;
    b.scale = perFrame < 20000 ? 1 : perFrame < 100000 ? 2 : 4;
  }
  return b;
}
