// Separable box blur of a 320x240 Picture with radius r: the window of pixel x
// covers the 2r taps x - r + 1 .. x + r, clamped into the row (column), each byte
// lane summed and scaled by b = 65536 / (2r) as (sum * b) >> 16. Cost per pixel
// does not depend on r. r < 1 copies the source when copyFlag is 0 and does
// nothing otherwise. Source and destination must be different pictures.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

void BoxBlurHorizontal(std::int32_t r, std::int32_t copyFlag, const Picture& source, Picture& destination);
void BoxBlurVertical(std::int32_t r, std::int32_t copyFlag, const Picture& source, Picture& destination);

// The plain per-lane references of the two passes (r >= 1), which the fast
// passes must match byte for byte.
void BoxBlurHorizontalReference(std::int32_t r, const Picture& source, Picture& destination);
void BoxBlurVerticalReference(std::int32_t r, const Picture& source, Picture& destination);
