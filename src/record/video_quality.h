// How many bits a shared video (.mp4, .webm) may spend: a named level, the
// encoder's own CRF, or a size the whole file must fit. The levels were
// chosen from measurements of the show (README, "Record a video"): the
// picture is pixel art enlarged 4x, flat areas and hard edges, which needs
// far fewer bits than camera footage for the same look.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "record/recording_sink.h"

// --quality's named levels, as codes that cannot be a CRF; the form picks
// each level's CRF.
inline constexpr int QualitySmall = -1, QualityMedium = -2, QualityHigh = -3;

struct VideoQuality {
  std::optional<int> crf;           // a level's or the user's CRF; nothing: the default level
  std::uint64_t targetBytes = 0;    // --size: the whole file within this many bytes
};

// The CRF for a form at a parsed level or number; nothing when a number is
// out of the encoder's range.
std::optional<int> CrfFor(RecordingForm form, std::optional<int> level);

// The video bit rate (bits a second) that makes `seconds` of video plus its
// sound (audioBitRate) fit targetBytes with a margin for the container and for
// the video buffer's one second; 0 when even a bare minimum does not fit.
std::int64_t VideoBitRateFor(std::uint64_t targetBytes, double seconds, std::int64_t audioBitRate);

// How --size spends its bytes on `seconds` of a form: the sound's rate (less
// where the bytes are few: at 192 kb/s the sound would take a large share of a
// small file), the video's, and the enlargement that gives the best picture for
// those bits (where `scale` is not given). Nothing when the bytes cannot hold it.
struct SizeBudget {
  std::int64_t videoBitRate = 0;
  std::int64_t audioBitRate = 0;
  int scale = 1;
};
std::optional<SizeBudget> BudgetFor(RecordingForm form, std::uint64_t targetBytes, double seconds, std::uint32_t fps,
                                    std::optional<int> scale);
// The sound's rate for a form without --size.
std::int64_t DefaultAudioBitRate(RecordingForm form);
