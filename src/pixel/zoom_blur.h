// Radial zoom blur, in place: every pixel becomes
//   AddColour(MultiplyColour(sample, gain colour), MultiplyColour(old, keep colour))
// where sample is a bilinear read `scale` of the way from the centre, taken from
// the picture as already rewritten. The four quadrants are walked outward from
// the centre (rows outward, pixels outward within a row), and that order is part
// of the result. Steps are 16.16, fractions 8 bits looked up in GreyGainTable.
// Meant for scale in [0, 1) and 0 <= cx <= 318, 0 <= cy <= 238; samples are
// clamped into the picture so other values stay in bounds.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

// Entry i holds i in all four bytes, entry 0 holds 1: a fraction of 0 weighs 1/256.
extern Pixel GreyGainTable[256];
void FillGreyGainTable();

void ZoomBlur(Pixel* pixels, std::int32_t cx, std::int32_t cy, float scale, float gain, float keep);
void ZoomBlurQuadrant(Pixel* pixels, std::int32_t x0, std::int32_t y0, std::int32_t stepX,
                      std::int32_t stepY, Pixel gainColour, Pixel keepColour, std::int32_t sx,
                      std::int32_t sy);
// The plain reference of one quadrant, seven colour products per pixel, which
// the fast walk must match byte for byte.
void ZoomBlurQuadrantReference(Pixel* pixels, std::int32_t x0, std::int32_t y0, std::int32_t stepX,
                               std::int32_t stepY, Pixel gainColour, Pixel keepColour, std::int32_t sx,
                               std::int32_t sy);
