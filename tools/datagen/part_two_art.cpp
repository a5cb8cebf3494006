// Part two's pictures: the figures, the scanner's texture and the text
// pages' band pictures, rendered from art/two_*.pov (see ART.md, "night" and
// "ink on paper").
#include "pictures.h"

#include "art.h"

namespace {

constexpr int BandSourceWidth = 184;  // the rendered still lifes: the band and a little spare

}  // namespace

Canvas Figure(char which) {
  switch (which) {
    case 'a':
      return Art("two_fig_scanned", 320, 240);
    case 'c':
      return Art("two_fig_glass", 320, 240);
    case '4':
      return Art("two_sunburst", 320, 240);
    default:
      return Art("two_dancer", 320, 240);
  }
}

Canvas ScannerTexture() { return Art("two_scanner", 256, 256); }

Canvas TextBackground(int which) {
  // Only the band (columns 0..181) is ever seen; the rest is paper.
  Canvas c(320, 240, Palette::Paper);
  const char* const names[] = {"two_still_0", "two_still_1", "two_still_2", "two_still_night"};
  Canvas band = Art(names[which < 0 || which > 3 ? 0 : which], BandSourceWidth, 240);
  for (int y = 0; y < band.height && y < c.height; ++y) {
    for (int x = 0; x < band.width && x < c.width; ++x) c.At(x, y) = band.At(x, y);
  }
  return c;
}
