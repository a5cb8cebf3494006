// Part two's pictures: the figures, the scanner's texture and the text
// pages' band pictures.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "drawing.h"

using namespace Palette;

Canvas Figure(char which) {
  switch (which) {
    case 'a':
      return SolidFigure(FigureOne(), Indigo, Mix(Cyan, White, 0.3f), Cyan, -6);
    case 'c':
      return WireFigure(FigureOne());
    case '4': {
      // The figure seen closer, head and shoulders, dissolving downward: the
      // demo blanks rows 120..147 of this picture in one of its uses, so no
      // opaque pixel may reach row 120 (its box then stays clear of the band).
      Canvas c = SolidFigure(Scaled(FigureOne(), 1.5f, {95, 38}, {15, 12}), Night, Magenta, Amber, 6);
      // It springs up from below as the music crashes (the scene's drop
      // curves): a burst of light behind the head makes that moment a peak.
      const float hx = 110, hy = 50;
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (c.AlphaAt(x, y) > 0.5f) continue;
          const float dx = x + 0.5f - hx, dy = y + 0.5f - hy, d = std::hypot(dx, dy);
          const float a = std::atan2(dy, dx);
          const bool ray = std::sin(a * 14) > 0.2f && d > 32 && d < 60 + 90 * (0.6f + 0.4f * std::cos(a * 7));
          const bool ring = std::fabs(d - 34) < 1.6f;
          if (!ray && !ring) continue;
          c.At(x, y) = ring ? Mix(Amber, White, 0.6f) : Mix(Mix(Amber, White, 0.45f), Mix(Amber, Magenta, 0.6f), std::clamp((d - 32) / 120, 0.0f, 1.0f));
          c.AlphaAt(x, y) = 1;
        }
      }
      static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
      for (int y = 88; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (y >= FigureBandTop || (bayer[y % 4][x % 4] + 0.5f) / 16 > (FigureBandTop - y) / 32.0f) c.AlphaAt(x, y) = 0;
        }
      }
      return c;
    }
    default:
      // Kept to the right edge, so the ticker reads across most of the screen.
      // Dimmer than the close figure that rises at the crash, which should outshine it.
      return SolidFigure(Scaled(FigureTwo(), 0.8f, {300, 13}, {12, 0}), Violet * 0.45f, Mix(Amber, Magenta, 0.45f) * 0.8f,
                         Amber, -5);
  }
}

Canvas ScannerTexture() {
  Canvas c(256, 256);
  c.Shade([](float x, float y) {
    const float n = FractalNoise(x / 32, y / 32, 8, 4, 5);
    Rgb col = Mix(Night, Indigo * 1.4f, n);
    // Circuit grid with period 32 (divides 256: seamless).
    const int gx = static_cast<int>(x) % 32, gy = static_cast<int>(y) % 32;
    if (gx == 0 || gy == 0) col = col + Cyan * 0.45f;
    // Bright nodes where the traces cross: the warp sends them drifting as sparks.
    const float nx = std::min(gx, 32 - gx), ny = std::min(gy, 32 - gy);
    col = col + Mix(Cyan, White, 0.5f) * std::exp(-(nx * nx + ny * ny) / 5.0f);
    if ((gx == 16 && gy > 8 && gy < 24) || (gy == 16 && gx > 8 && gx < 24)) col = col + Violet * 0.5f;
    const float pulse = 0.5f + 0.5f * std::sin((x + y) * 2 * Pi / 128);
    return col + Magenta * (0.12f * pulse);
  });
  return c;
}

Canvas TextBackground(int which) {
  Canvas c(320, 240);
  // Seen through a white frame by multiplication: keep them light enough that
  // the band reads as colour, not as black.
  const Rgb a[] = {Violet, Cyan, Amber, Magenta};
  const Rgb b[] = {Cyan, Violet, Magenta, Indigo};
  c.Shade([&](float x, float y) {
    const float n = FractalNoise(x / 40, y / 40, 64, 3, 40 + which);
    const float wave = 0.5f + 0.5f * std::sin(y * 0.07f + x * 0.03f + which * 2 + n * 4);
    Rgb col = Mix(a[which], b[which], wave);
    return Mix(col, White, 0.25f + 0.25f * n);
  });
  for (int k = 0; k < 8; ++k) c.Line(0, 20 + k * 28.0f, 182, 34 + k * 28.0f, 1, White * 0.25f);
  return c;
}
