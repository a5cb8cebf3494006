#include "scenes/scanner.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "assets/inventory.h"
#include "assets/pages.h"
#include "grid/plasma.h"
#include "pixel/colour.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"
#include "scenes/text_scene.h"

void RenderPartTwo(std::uint32_t t, Picture& frame) {
  if (t <= 76800) RenderScannerScene(t, frame);
  else RenderTextScene(t - 76220, frame);
}

ScannerState ScannerAt(std::uint32_t t) {
  const double T = t;
  ScannerState s{};
  s.cx = std::clamp(TruncateToInt32(640 - T * 0.05), 0, 319);
  s.cy = std::clamp(TruncateToInt32(740 - T * 0.05), 0, 239);
  const std::int64_t ti = t;
  if (ti <= 37400) {
    s.e = s.f = 0;
  } else if (ti <= 38400) {
    s.e = s.f = static_cast<std::int32_t>((ti - 37400) / 4);
  } else if (ti <= 74880) {
    s.e = static_cast<std::int32_t>(std::max<std::int64_t>(0, 240 - (ti - 38400) / 4));
    s.f = static_cast<std::int32_t>(std::max<std::int64_t>(0, 3000 - (ti - 38400) / 4));
  } else {
    s.e = s.f = static_cast<std::int32_t>(std::min<std::int64_t>((ti - 74880) / 8, 1 << 20));
  }
  s.de = static_cast<std::int32_t>(std::int64_t{s.e} * s.e / 250);
  s.df = static_cast<std::int32_t>(std::int64_t{s.f} * s.f / 250);
  s.slot = ti <= 38400 ? 0 : ti <= 42340 ? 5 : 1;
  return s;
}

void RenderScannerScene(std::uint32_t t, Picture& frame) {
  std::fill(std::begin(frame.pixels), std::end(frame.pixels), 0u);
  DrawPlasma(static_cast<float>(t / 10), ScannerTexture, frame);
  const ScannerState s = ScannerAt(t);
  if (s.slot == 0) SwapFigureLayers(static_cast<std::int32_t>(t / 500));
  const double T = t;
  const double L = std::sin(T * 0.0015174506828528073) * 15;
  BlendSprite(-s.cx, TruncateToInt32((s.de + 15) + L), 256, &FigureBoxes[s.slot], FigureLayers[s.slot], frame);
  DrawTickerWave(t, frame);
  const std::int32_t y2 = TruncateToInt32(((std::sin(T * 0.002178649237472767) * 30 + (s.df + 45)) + s.cy) + L);
  BlendSprite(0, y2, 256, &FigureBoxes[2], FigureLayers[2], frame);
}

void DrawTickerWave(std::uint32_t t, Picture& frame) {
  const std::int32_t W = TickerWidth;
  if (W < 2 || TickerStrip.size() < static_cast<std::size_t>(W) * TickerHeight) return;  // no ticker to sweep
  const std::int32_t H = TickerHeight;  // the large font's sheet height
  const double T = t;
  for (std::int32_t x = 0; x < ScreenWidth; ++x) {
    const std::uint32_t a = t + 4u * static_cast<std::uint32_t>(x), b = t + 3u * static_cast<std::uint32_t>(x);
    const double wave = std::sin(a * 0.0023057412958266085) * std::sin(b * 0.004291845493562232) * 54 +
                        std::cos((x * 3.7 + T) * 0.0025157232704402514) * 35 + 99;
    // The wave stays within 10..188; the clamp only guards the frame's edge.
    const std::int32_t y = std::clamp(TruncateToInt32(wave), 0, ScreenHeight - H - 3);
    const std::int64_t u = static_cast<std::int64_t>(T * 0.10152284263959391 + x) % (W - 1);
    for (std::int32_t i = 0; i < H; ++i) {
      const Pixel s = TickerStrip[static_cast<std::size_t>(i) * W + static_cast<std::size_t>(u)];
      Pixel& lit = frame.pixels[(y + i) * ScreenWidth + x];
      lit = AddColour(lit, s);
      Pixel& shadow = frame.pixels[(y + i + 3) * ScreenWidth + x];
      shadow = MultiplyColour(shadow, ~s);
    }
  }
}

void SwapFigureLayers(std::int32_t r) {
  const std::int32_t split = std::clamp(r, 0, ScreenHeight);
  Pixel* out = FigureLayers[0].pixels;
  std::memcpy(out, FigureLayers[3].pixels, sizeof(Pixel) * static_cast<std::size_t>(split) * ScreenWidth);
  std::memcpy(out + split * ScreenWidth, FigureLayers[4].pixels + split * ScreenWidth,
              sizeof(Pixel) * static_cast<std::size_t>(ScreenHeight - split) * ScreenWidth);
}
