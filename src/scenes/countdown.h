// Between the parts: the numbers 10 to 1 drawn small with SmallFont, enlarged
// four times into a 64 x 64 block at (128, 88) and smeared outward by the zoom
// blur (3, 2 and 1 red, the rest grey); and the badge that blinks in the lower
// right corner (32 x 30 at (260, 210), copied opaque).
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// Does not clear the frame; fraction in (0, 1].
void RenderCountdown(std::int32_t number, float fraction, Picture& frame);
void RenderBadge(std::int32_t which, Picture& frame);
