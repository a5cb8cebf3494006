#include "record/video_quality.h"

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
