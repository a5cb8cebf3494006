#include "scenes/part_one.h"

#include <algorithm>
#include <cmath>

#include "assets/inventory.h"
#include "choreo/key_tracks.h"
#include "pixel/colour.h"
#include "pixel/random.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"
#include "scenes/opening_zoom.h"

FlashCutStateRecord FlashCutState = {0, 0};

void RenderPartOne(std::uint32_t t, Picture& frame) {
  if (t <= 1124) {
    RenderOpeningZoom(t, frame);
    return;
  }
  RenderPartOneComposite(t, frame);
  if (t < 2024) {
    const std::int32_t r = NextRandom() % 256;
    const std::int32_t amount = TruncateToInt32(r - (static_cast<double>(t) - 1125) * 0.25);
    AddSpanScaled(ZoomWorkPicture.pixels, frame.pixels, 0, PicturePixels, amount);
  }
  if (CutGateOpenAt(t)) RenderFlashCut(static_cast<std::int32_t>(t - 3000u), frame);
  if (t > 50000) {
    const float level = static_cast<float>(1.0 - (static_cast<double>(t) - 50000) * 0.00025);
    ScaleSpan(level, frame.pixels, frame.pixels, PicturePixels);
  }
}

std::int32_t BeatFlashAt(std::uint32_t t) {
  const std::int64_t sinceBeat = static_cast<std::int64_t>(t) - LastBeatAt(t);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(255 - sinceBeat / 2, 0, 255));
}

void RenderPartOneComposite(std::uint32_t t, Picture& frame) {
  const std::int32_t flash = BeatFlashAt(t);

  DrawCameraTrack(t, PartOneTexture, frame);

  const std::int32_t mirror = TruncateToInt32(MirrorLayerAt(t));
  if (mirror > 1) AddSpanScaled(MirrorPictures[MirrorFlipAt(t)].pixels, frame.pixels, 0, PicturePixels, mirror);

  DrawSpriteTrack(t, frame);

  const std::int32_t v = TruncateToInt32(OverlayAmountAt(t));
  const OverlayChoice choice = OverlayChoiceAt(t);
  const Pixel* overlay = OverlayPictures[choice.picture].pixels;
  if (v > 1) {
    if (v == 255 || v == 256) {
      AddSpan(overlay, frame.pixels, choice.firstPixel, choice.pixelCount);
    } else if (v < 255) {
      AddSpanScaled(overlay, frame.pixels, choice.firstPixel, choice.pixelCount, v);
    } else {
      AddSpan(overlay, frame.pixels, choice.firstPixel, choice.pixelCount);
      AddSpanScaled(overlay, frame.pixels, choice.firstPixel, choice.pixelCount, v - 256);
    }
  }

  if (flash > 1) AddSpanScaled(frame.pixels, frame.pixels, 0, PicturePixels, flash);

  const Slide slide = SlideAt(t);
  const std::int32_t g = TruncateToInt32(slide.gain), x = TruncateToInt32(slide.x);
  if (g > 1 && x > -320 && x < 320) {
    AddSprite(x, 55, g, &SlideBox, SlidePictures[0], frame);
    if (t < 48125) AddSprite(-x, -45, g, &SlideBox, SlidePictures[1], frame);
  }

  if (flash > 1) AddSpanScaled(frame.pixels, frame.pixels, 0, PicturePixels, flash);

  const std::int32_t n = TruncateToInt32(NegativeAt(t));
  if (n > 1) BlendNegative(frame.pixels, n, PicturePixels);
}

FlashCut FlashCutAt(std::int32_t a, FlashCutStateRecord& state) {
  FlashCut cut{};
  cut.index = TruncateToInt32(a * 0.003125) % 9;
  const std::int32_t q = TruncateToInt32(a * 0.004166666666666667) % 7;
  double drift = 0;
  if (cut.index != state.lastIndex) {
    state.lastIndex = cut.index;
    state.drift = q;
  } else {
    drift = a;
  }
  cut.ex = std::clamp(TruncateToInt32(drift * 0.4970178926441352 * (cut.index - 5)), -20, 320);
  cut.ey = std::clamp(TruncateToInt32(drift * 0.5494505494505494 * (5 - state.drift)), -20, 240);
  cut.size = TruncateToInt32((std::sin(static_cast<double>(cut.index)) + 1) * 160);
  cut.drawn = cut.size > 145;
  cut.s = a / 180;
  cut.strength = TruncateToInt32(std::sin(static_cast<double>(a) - 1000) * 256);
  return cut;
}

void RenderFlashCut(std::int32_t a, Picture& frame) {
  const FlashCut cut = FlashCutAt(a, FlashCutState);
  if (!cut.drawn) return;
  std::fill(std::begin(ZoomWorkPicture.pixels), std::end(ZoomWorkPicture.pixels), 0u);
  if (cut.s % 2 == 0) {
    const std::int32_t h = (cut.size * 240) / 320;
    StretchPicture(cut.ex - cut.size + 160, cut.ey - h + 120, cut.ex + cut.size + 160, cut.ey + h + 120,
                   OpeningPicture, ZoomWorkPicture);
    AddSpanScaled(ZoomWorkPicture.pixels, frame.pixels, 0, PicturePixels, cut.strength);
  } else if (cut.s % 9 == 0) {
    AddSpanScaled(CutPictureB.pixels, frame.pixels, 0, PicturePixels, cut.strength);
  } else if (cut.s % 9 == 4) {
    AddSpanScaled(CutPictureA.pixels, frame.pixels, 0, PicturePixels, cut.strength);
  }
}
