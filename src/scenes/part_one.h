// Part one (54,000 ms under the MP3): the opening zoom for t <= 1,124, then the
// layer stack driven by the key tracks: warped texture, mirror picture, sprite
// moves, overlay, two beat flashes around the sliding strips, the negative
// blend; then the flicker of the last zoom picture (t < 2,024), flash cuts while
// the cut gate is open, and the fade to black after 50,000 ms.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

inline constexpr SpriteBox SlideBox = {70, 245, 107, 125};

// Kept across frames: the last cut index seen and the drift factor chosen then.
struct FlashCutStateRecord {
  std::int32_t lastIndex;
  std::int32_t drift;
};
extern FlashCutStateRecord FlashCutState;

// The beat flash, 255 one millisecond after a beat, 0 from 510 ms after it.
std::int32_t BeatFlashAt(std::uint32_t t);

void RenderPartOne(std::uint32_t t, Picture& frame);
void RenderPartOneComposite(std::uint32_t t, Picture& frame);
// a = t - 3,000, negative before 3,000 ms.
void RenderFlashCut(std::int32_t a, Picture& frame);

// What RenderFlashCut computes for a (and the state it leaves), for tests.
struct FlashCut {
  std::int32_t index, ex, ey, size, s, strength;
  bool drawn;
};
FlashCut FlashCutAt(std::int32_t a, FlashCutStateRecord& state);
