#include "pixel/zoom_blur.h"

#include <algorithm>

#include "pixel/colour.h"
#include "pixel/truncate.h"

Pixel GreyGainTable[256];

void FillGreyGainTable() {
  GreyGainTable[0] = 0x01010101u;
  for (std::uint32_t i = 1; i < 256; ++i) GreyGainTable[i] = i * 0x01010101u;
}

void ZoomBlur(Pixel* pixels, std::int32_t cx, std::int32_t cy, float scale, float gain, float keep) {
  const std::int32_t step = TruncateToInt32(static_cast<double>(scale) * 65536.0);
  const Pixel gainColour = GreyGainTable[LevelFromFloat(gain)];
  const Pixel keepColour = GreyGainTable[LevelFromFloat(keep)];
  ZoomBlurQuadrant(pixels, cx, cy, step, step, gainColour, keepColour, -1, -1);
  ZoomBlurQuadrant(pixels, cx + 1, cy, step, step, gainColour, keepColour, +1, -1);
  ZoomBlurQuadrant(pixels, cx, cy + 1, step, step, gainColour, keepColour, -1, +1);
  ZoomBlurQuadrant(pixels, cx + 1, cy + 1, step, step, gainColour, keepColour, +1, +1);
}

void ZoomBlurQuadrant(Pixel* pixels, std::int32_t x0, std::int32_t y0, std::int32_t stepX,
                      std::int32_t stepY, Pixel gainColour, Pixel keepColour, std::int32_t sx,
                      std::int32_t sy) {
  if ((sx < 0 && x0 < 0) || (sx > 0 && x0 >= ScreenWidth)) return;
  if ((sy < 0 && y0 < 0) || (sy > 0 && y0 >= ScreenHeight)) return;
  // A start beyond the far side would walk off the picture; no caller does that.
  if (x0 < 0 || x0 >= ScreenWidth || y0 < 0 || y0 >= ScreenHeight) return;
  const std::int32_t nx = sx < 0 ? x0 + 1 : ScreenWidth - x0;
  const std::int32_t ny = sy < 0 ? y0 + 1 : ScreenHeight - y0;
  const std::uint32_t ux = sx > 0 ? static_cast<std::uint32_t>(stepX) : 0u - static_cast<std::uint32_t>(stepX);
  const std::uint32_t uy = sy > 0 ? static_cast<std::uint32_t>(stepY) : 0u - static_cast<std::uint32_t>(stepY);

  std::uint32_t yacc = 0;
  for (std::int32_t k = 0; k < ny; ++k, yacc += uy) {
    const auto ya = static_cast<std::int32_t>(yacc);
    const std::int32_t rowBase = (y0 + (ya >> 16)) * ScreenWidth;
    const Pixel Y = GreyGainTable[(ya >> 8) & 255];
    Pixel* row = pixels + (y0 + sy * k) * ScreenWidth;
    std::uint32_t xacc = 0;
    for (std::int32_t j = 0; j < nx; ++j, xacc += ux) {
      const auto xa = static_cast<std::int32_t>(xacc);
      // The four neighbours are read as the flat buffer has them (a right neighbour
      // past column 319 is the next row's first pixel); only reads past either end
      // of the buffer are pulled back in.
      const Pixel* tl = pixels + std::clamp(rowBase + x0 + (xa >> 16), 0, PicturePixels - ScreenWidth - 2);
      const Pixel X = GreyGainTable[(xa >> 8) & 255];
      const Pixel D = MultiplyColour(X, Y);
      const Pixel wTL = 0x00010101u - X + D - Y;
      const Pixel wTR = X - D;
      const Pixel wBL = Y - D;
      const Pixel wBR = D;
      const Pixel sample = MultiplyColour(tl[0], wTL) + MultiplyColour(tl[ScreenWidth], wBL) +
                           MultiplyColour(tl[ScreenWidth + 1], wBR) + MultiplyColour(tl[1], wTR);
      Pixel& out = row[x0 + sx * j];
      out = AddColour(MultiplyColour(sample, gainColour), MultiplyColour(out, keepColour));
    }
  }
}
