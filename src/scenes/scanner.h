// Part two up to 76,800 ms: the plasma-warped scanner texture, the first figure
// sliding in and revealed row by row from its second version, dropping and
// jumping on timed curves, the ticker on a vertical wave with a shadow three
// rows below, and the second figure rising and swaying. Later times go to the
// text scene at its own time t - 76,220.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

void RenderPartTwo(std::uint32_t t, Picture& frame);
void RenderScannerScene(std::uint32_t t, Picture& frame);
// Draws nothing when the ticker is narrower than 2 pixels. The reference walks
// the strip pixel by pixel with three trigonometric calls per column;
// DrawTickerWave gives the same bytes, walking each column once and
// remembering the sines of integer arguments from frame to frame.
void DrawTickerWave(std::uint32_t t, Picture& frame);
void DrawTickerWaveReference(std::uint32_t t, Picture& frame);
// FigureLayers[0] = rows 0 .. r-1 of slot 3 and the rest of slot 4.
void SwapFigureLayers(std::int32_t r);

// The timed values of the scene, for tests.
struct ScannerState {
  std::int32_t cx, cy, e, f, de, df, slot;
};
ScannerState ScannerAt(std::uint32_t t);
