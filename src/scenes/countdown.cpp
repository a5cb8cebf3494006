#include "scenes/countdown.h"

#include <algorithm>
#include <cstdio>

#include "assets/inventory.h"
#include "pixel/truncate.h"
#include "pixel/zoom_blur.h"

void RenderCountdown(std::int32_t number, float fraction, Picture& frame) {
  const std::int32_t v = std::clamp(TruncateToInt32(static_cast<double>(fraction) * 255), 0, 255);
  const std::uint32_t colour = number < 4 ? static_cast<std::uint32_t>(v) << 16 : static_cast<std::uint32_t>(v) * 0x010101u;
  std::fill(std::begin(ScratchPicture.pixels), std::end(ScratchPicture.pixels), 0u);
  char text[16];
  std::snprintf(text, sizeof text, "%d", number);
  const std::int32_t w = TextWidth(SmallFont, text);
  DrawText(SmallFont, text, colour, 8, 160 - w / 2, 116, ScratchPicture.pixels, ScreenWidth, ScreenHeight);
  for (std::int32_t i = 0; i < 64; ++i) {
    for (std::int32_t j = 0; j < 64; ++j) {
      frame.pixels[(88 + i) * ScreenWidth + 128 + j] = ScratchPicture.pixels[(112 + i / 4) * ScreenWidth + 152 + j / 4];
    }
  }
  ZoomBlur(frame.pixels, TruncateToInt32(152 + 20 * static_cast<double>(fraction)), 130,
           static_cast<float>(0.89 + 0.1 * fraction), 0.89f, 0.89f);
}

void RenderBadge(std::int32_t which, Picture& frame) {
  const Pixel* badge = BadgePictures[which & 1];
  for (std::int32_t r = 0; r < BadgeHeight; ++r) {
    for (std::int32_t k = 0; k < BadgeWidth; ++k) frame.pixels[(210 + r) * ScreenWidth + 260 + k] = badge[r * BadgeWidth + k];
  }
}
