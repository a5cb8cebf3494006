// The first 1,125 ms of part one: OpeningPicture shrinking from five thirds of
// the screen to one third over the warped texture, added with a random strength
// each frame, the whole frame box-blurred with a radius falling from 60 to 0.
// Draws one NextRandom per frame and leaves the last rectangle in ZoomWorkPicture.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

struct OpeningZoomGeometry {
  std::int32_t left, top, right, bottom, blurRadius;
};
OpeningZoomGeometry OpeningZoomAt(std::uint32_t t);

void RenderOpeningZoom(std::uint32_t t, Picture& frame);
