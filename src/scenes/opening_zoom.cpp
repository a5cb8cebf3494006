#include "scenes/opening_zoom.h"

#include <algorithm>

#include "assets/inventory.h"
#include "choreo/key_tracks.h"
#include "pixel/box_blur.h"
#include "pixel/colour.h"
#include "pixel/random.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"

OpeningZoomGeometry OpeningZoomAt(std::uint32_t t) {
  const double B = t * 0.0008888888888888889;  // t / 1125
  const double S = 2 * B - 1;
  const double D = S * 106.66666666666666;
  return {TruncateToInt32(D), TruncateToInt32(S * 80), TruncateToInt32(320 - D), TruncateToInt32(240 - S * 80),
          TruncateToInt32((1 - B) * (1 - B) * 60)};
}

void RenderOpeningZoom(std::uint32_t t, Picture& frame) {
  DrawCameraTrack(t, PartOneTexture, frame);
  std::fill(std::begin(ZoomWorkPicture.pixels), std::end(ZoomWorkPicture.pixels), 0u);
  const OpeningZoomGeometry g = OpeningZoomAt(t);
  StretchPicture(g.left, g.top, g.right, g.bottom, OpeningPicture, ZoomWorkPicture);
  AddSpanScaled(ZoomWorkPicture.pixels, frame.pixels, 0, PicturePixels, NextRandom() % 256);
  BoxBlurHorizontal(g.blurRadius, 0, frame, ScratchPicture);
  BoxBlurVertical(g.blurRadius, 0, ScratchPicture, frame);
}
