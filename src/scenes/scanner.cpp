#include "scenes/scanner.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "assets/inventory.h"
#include "assets/pages.h"
#include "choreo/phases.h"
#include "grid/plasma.h"
#include "pixel/colour.h"
#include "pixel/span_kernels.h"
#include "pixel/sprite.h"
#include "pixel/truncate.h"
#include "scenes/text_scene.h"

void RenderPartTwo(std::uint32_t t, Picture& frame) {
  if (t <= ScannerMs) RenderScannerScene(t, frame);
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

void DrawTickerWaveReference(std::uint32_t t, Picture& frame) {
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

namespace {
// sin(a * k) by integer argument a, remembered from frame to frame: the
// columns' arguments t + 4x and t + 3x move by the clock's step, so nearly all
// were computed for an earlier frame. A slot holds its argument beside the
// value; the value is the same expression, so it is the same double.
struct SineMemo {
  static constexpr std::uint32_t Slots = 2048;  // more than one frame's span of arguments
  std::int64_t argument[Slots];
  double value[Slots];
};
SineMemo FirstWave = [] {
  SineMemo m{};
  std::fill(std::begin(m.argument), std::end(m.argument), -1);
  return m;
}();
SineMemo SecondWave = FirstWave;

inline double Remembered(SineMemo& m, std::uint32_t a, double k) {
  const std::uint32_t slot = a & (SineMemo::Slots - 1);
  if (m.argument[slot] != a) {
    m.argument[slot] = a;
    m.value[slot] = std::sin(a * k);
  }
  return m.value[slot];
}
}  // namespace

void DrawTickerWave(std::uint32_t t, Picture& frame) {
  if (UsingReferenceKernels()) {
    DrawTickerWaveReference(t, frame);
    return;
  }
  const std::int32_t W = TickerWidth;
  if (W < 2 || TickerStrip.size() < static_cast<std::size_t>(W) * TickerHeight) return;
  constexpr std::int32_t H = TickerHeight;
  const double T = t;
  for (std::int32_t x = 0; x < ScreenWidth; ++x) {
    const std::uint32_t a = t + 4u * static_cast<std::uint32_t>(x), b = t + 3u * static_cast<std::uint32_t>(x);
    const double wave = Remembered(FirstWave, a, 0.0023057412958266085) *
                            Remembered(SecondWave, b, 0.004291845493562232) * 54 +
                        std::cos((x * 3.7 + T) * 0.0025157232704402514) * 35 + 99;
    const std::int32_t y = std::clamp(TruncateToInt32(wave), 0, ScreenHeight - H - 3);
    const std::int64_t u = static_cast<std::int64_t>(T * 0.10152284263959391 + x) % (W - 1);
    // Row y + j takes the shadow of strip row j - 3, then the light of strip
    // row j: the order the row-by-row walk of the strip gives it.
    const Pixel* strip = TickerStrip.data() + u;
    Pixel* column = frame.pixels + y * ScreenWidth + x;
    for (std::int32_t j = 0; j < 3; ++j, column += ScreenWidth) *column = AddColour(*column, strip[j * W]);
    for (std::int32_t j = 3; j < H; ++j, column += ScreenWidth)
      *column = AddColour(MultiplyColour(*column, ~strip[(j - 3) * W]), strip[j * W]);
    for (std::int32_t j = H; j < H + 3; ++j, column += ScreenWidth)
      *column = MultiplyColour(*column, ~strip[(j - 3) * W]);
  }
}

void SwapFigureLayers(std::int32_t r) {
  const std::int32_t split = std::clamp(r, 0, ScreenHeight);
  Pixel* out = FigureLayers[0].pixels;
  std::memcpy(out, FigureLayers[3].pixels, sizeof(Pixel) * static_cast<std::size_t>(split) * ScreenWidth);
  std::memcpy(out + split * ScreenWidth, FigureLayers[4].pixels + split * ScreenWidth,
              sizeof(Pixel) * static_cast<std::size_t>(ScreenHeight - split) * ScreenWidth);
}
