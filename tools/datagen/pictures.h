// The default pictures, each designed for how the demo uses it. Every function
// returns a finished canvas; sprites and figures mark their background with
// alpha 0 (written as the transparent palette index).
#pragma once

#include "canvas.h"
#include "text.h"

struct Fonts {
  const Typeface& bold;
  const Typeface& regular;
};

Canvas TitleCard(const Fonts& fonts);
Canvas Sprite(int index);
// 'a': the scanned figure in chrome, 'c': the same figure in teal glass, before
// the scan, '4': the brass figure with its display, 'b': the dancer.
Canvas Figure(char which);
// The first row of the band the demo blanks in the '4' figure where it loads it a second time.
inline constexpr int FigureBandTop = 120;

Canvas Badge(int which);
Canvas EndCard(const Fonts& fonts);
Canvas TextBackground(int which);  // 0..2, 3 for the last one
Canvas CutPicture(int which, const Fonts& fonts);  // 0 = A, 1 = B
Canvas OpeningPicture(const Fonts& fonts);
Canvas OverlayPicture(int which, const Fonts& fonts);
Canvas MirrorPicture();
Canvas ScannerTexture();
Canvas PartOneTexture();
Canvas SlidePicture(int which, const Fonts& fonts);
Canvas BridgePicture(const Fonts& fonts);
