// The last scene: a white frame with a 182-pixel band of background pictures
// wiping every 960 ms by 16-row flag patterns, and pages of text whose pixels
// fly in as points, one page per 15,000 ms: the first page set three times over,
// then the second set in yellow forever. Times are the scene's own (from 581 ms).
#pragma once

#include <cstdint>

#include "assets/pages.h"
#include "pixel/picture.h"

extern const std::uint8_t WipePatterns[4][16];

void RenderTextScene(std::uint32_t a, Picture& frame);
void PatternCrossfade(float x, const std::uint8_t* flags, std::int32_t n, const Picture& from, const Picture& to,
                      Picture& frame);
void DrawFlyingPoints(const PointPicture& page, std::int32_t time, std::int32_t slotStart, std::int32_t delay,
                      std::int32_t flight, Picture& frame);
void DrawFlyingPointsYellow(const PointPicture& page, std::int32_t time, std::int32_t slotStart, std::int32_t delay,
                            std::int32_t flight, Picture& frame);
