// The gentle mode's luminance limiter, on the way out after a scene has drawn
// (the scene's own bytes are left as they are). The screen is cut into 48
// blocks of 40x40 pixels; each shown block's mean relative luminance (linear
// light, weights 0.2126, 0.7152, 0.0722) may move at most GentleRate per
// second. When any block's new picture would move it further, the whole
// screen shows the old picture moved part of the way toward the new one (in
// linear light, so that block's mean moves exactly the allowed amount and no
// other block's more than its own). A block then needs at
// least 0.2 s to swing by 0.1, so it makes at most three flashes a second (a
// flash being two opposite swings of 0.1 or more), while detail that moves
// without changing a block's brightness stays sharp.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

inline constexpr double GentleRate = 0.5;  // relative luminance a second

// Limits `frame` against what was shown before, into `shown`; `nowMs` is the
// clock at this frame. The first frame passes as it is.
void LimitFlashes(const Pixel* frame, Pixel* shown, std::uint32_t nowMs);
// Forgets the frames shown so far.
void ResetFlashLimiter();
