// The gentle mode's flash limiter, on the way out after a scene has drawn (the
// scene's own bytes are left as they are). It counts flashes the way
// scripts/analyse-recording does: the screen is cut into 48 blocks of 40x40
// pixels; a block's level is the mean relative luminance of its pixels (linear
// light, weights 0.2126, 0.7152, 0.0722); a block makes a transition when its
// level has moved 0.1 or more from its last turning point, against the
// direction of the transition before, with the darker side under 0.8; two
// transitions are a flash; a second flashes n times when blocks covering a
// quarter of the screen (12) flash n times or more within it.
//
// Only a transition that would break the limit is held back: one that gives
// a block its eighth transition within a second (its fourth flash) while
// eleven or more blocks already have had that many. Such a block shows the new
// picture dimmed (or lightened, for a fall) in linear light just short of the
// transition; the blocks around it ease into the same amount so no seam
// shows. Every other frame is shown exactly as drawn, so moving detail (text,
// sliding figures, points) passes untouched, and a held frame still shows the
// new picture, never a trail of old ones.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// Limits `frame` against what was shown before, into `shown`; `nowMs` is the
// clock at this frame. The first frame passes as it is.
void LimitFlashes(const Pixel* frame, Pixel* shown, std::uint32_t nowMs);
// Forgets the frames shown so far.
void ResetFlashLimiter();
