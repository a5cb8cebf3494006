#include "pixel/zoom_blur.h"

#include <algorithm>

#include "pixel/colour.h"
#include "pixel/frame_kernels.h"
#include "pixel/span_kernels.h"
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

void ZoomBlurQuadrantReference(Pixel* pixels, std::int32_t x0, std::int32_t y0, std::int32_t stepX,
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

namespace {

// One pixel exactly as the reference makes it, with the three colour bytes
// spread into 16-bit lanes of one word so a product by a grey weight is one
// multiply. x and y are the fractions as the table holds them (1..255); the
// packed top-left weight is 256 - x - y + d in red and green and one more in
// blue, where its borrow does not reach.
constexpr std::uint64_t ByteLanes = 0x000000FF00FF00FFull;
inline std::uint64_t Spread(Pixel p) {
  return (p & 0xFFu) | (std::uint64_t{p & 0xFF00u} << 8) | (std::uint64_t{p & 0xFF0000u} << 16);
}
inline std::uint64_t Product(std::uint64_t spread, std::uint32_t w) { return ((spread * w) >> 8) & ByteLanes; }

inline Pixel ZoomPixel(const Pixel* tl, Pixel old, std::uint32_t x, std::uint32_t y, std::uint32_t gain,
                       std::uint32_t keep) {
  const std::uint32_t d = (x * y) >> 8;
  const Pixel topLeft = tl[0];
  const std::uint64_t sample = (((Spread(topLeft) * (256u - x - y + d)) + (topLeft & 0xFFu)) >> 8 & ByteLanes) +
                               Product(Spread(tl[ScreenWidth]), y - d) + Product(Spread(tl[ScreenWidth + 1]), d) +
                               Product(Spread(tl[1]), x - d);
  std::uint64_t v = Product(sample, gain) + Product(Spread(old), keep);
  v = (v | (((v >> 8) & 0x0000000100010001ull) * 0xFF)) & ByteLanes;  // lanes of 256 and more become 255
  return static_cast<Pixel>((v & 0xFF) | ((v >> 8) & 0xFF00) | ((v >> 16) & 0xFF0000));
}

bool IsGrey(Pixel c) { return (c & 0xFFu) == ((c >> 8) & 0xFFu) && (c & 0xFFu) == ((c >> 16) & 0xFFu); }

bool GreyGainTableIsStandard() {
  if (GreyGainTable[0] != 0x01010101u) return false;
  for (std::uint32_t i = 1; i < 256; ++i) {
    if (GreyGainTable[i] != i * 0x01010101u) return false;
  }
  return true;
}

}  // namespace

void ZoomBlurRowGroupsOneByOne(const Pixel* top, Pixel* out, std::uint32_t fractionY, std::uint32_t gain,
                               std::uint32_t keep, const PixelGroups& groups) {
  for (std::int32_t i = 0; i < groups.count; ++i) {
    for (std::int32_t lane = 0; lane < 4; ++lane) {
      const std::int32_t column = groups.base[i] + groups.shuffle[16 * i + 4 * lane] / 4;
      Pixel& p = out[groups.first[i] + lane];
      p = ZoomPixel(top + column, p, groups.weightX[8 * i + 2 * lane], fractionY, gain, keep);
    }
  }
}

// The fast quadrant takes what the countdown passes: steps in 0 .. 65535, every
// sample's four neighbours inside the picture, grey colours from the standard
// table. Rows whose samples come only from other rows go four pixels at a time;
// a row that samples itself (near the start row) is walked pixel by pixel in the
// reference order, since each pixel there reads pixels rewritten just before it.
void ZoomBlurQuadrant(Pixel* pixels, std::int32_t x0, std::int32_t y0, std::int32_t stepX, std::int32_t stepY,
                      Pixel gainColour, Pixel keepColour, std::int32_t sx, std::int32_t sy) {
  auto reference = [&] {
    ZoomBlurQuadrantReference(pixels, x0, y0, stepX, stepY, gainColour, keepColour, sx, sy);
  };
  if (UsingReferenceKernels() || stepX < 0 || stepX > 65535 || stepY < 0 || stepY > 65535 ||
      (sx != 1 && sx != -1) || (sy != 1 && sy != -1) || !IsGrey(gainColour) || !IsGrey(keepColour) ||
      x0 < 0 || x0 >= ScreenWidth || y0 < 0 || y0 >= ScreenHeight || !GreyGainTableIsStandard()) {
    reference();
    return;
  }
  const std::int32_t nx = sx < 0 ? x0 + 1 : ScreenWidth - x0;
  const std::int32_t ny = sy < 0 ? y0 + 1 : ScreenHeight - y0;
  const std::uint32_t ux = sx > 0 ? static_cast<std::uint32_t>(stepX) : 0u - static_cast<std::uint32_t>(stepX);
  const std::uint32_t uy = sy > 0 ? static_cast<std::uint32_t>(stepY) : 0u - static_cast<std::uint32_t>(stepY);
  auto sampleColumn = [&](std::int32_t j) { return x0 + (static_cast<std::int32_t>(j * ux) >> 16); };
  auto sampleRow = [&](std::int32_t k) { return y0 + (static_cast<std::int32_t>(k * uy) >> 16); };
  auto fraction = [](std::uint32_t acc) { return std::max((static_cast<std::int32_t>(acc) >> 8) & 255, 1); };
  // Columns and rows are monotonic, so their ends bound every read.
  if (std::min(sampleColumn(0), sampleColumn(nx - 1)) < 0 || std::max(sampleColumn(0), sampleColumn(nx - 1)) > 318 ||
      std::min(sampleRow(0), sampleRow(ny - 1)) < 0 || std::max(sampleRow(0), sampleRow(ny - 1)) > 238) {
    reference();
    return;
  }

  std::int32_t column[ScreenWidth];
  std::uint32_t fractionX[ScreenWidth];
  for (std::int32_t j = 0; j < nx; ++j) {
    column[j] = sampleColumn(j);
    fractionX[j] = static_cast<std::uint32_t>(fraction(j * ux));
  }
  // Groups of four pixels in ascending destination columns; pixels left over go
  // one at a time.
  constexpr std::int32_t MaxGroups = ScreenWidth / 4;
  std::int32_t groupBase[MaxGroups], groupFirst[MaxGroups];
  alignas(16) std::uint8_t groupShuffle[MaxGroups * 16];
  alignas(16) std::uint16_t groupWeight[MaxGroups * 8];
  std::int32_t single[ScreenWidth];
  std::int32_t groups = 0, singles = 0;
  for (std::int32_t j = 0; j < nx; j += 4) {
    if (j + 4 > nx) {
      for (std::int32_t t = j; t < nx; ++t) single[singles++] = t;
      break;
    }
    auto at = [&](std::int32_t lane) { return sx > 0 ? j + lane : j + 3 - lane; };
    const std::int32_t base = column[at(0)];
    if (base > ScreenWidth - 5) {  // the loads would pass the row's end
      for (std::int32_t t = j; t < j + 4; ++t) single[singles++] = t;
      continue;
    }
    groupBase[groups] = base;
    groupFirst[groups] = x0 + sx * at(0);
    for (std::int32_t lane = 0; lane < 4; ++lane) {
      const auto offset = static_cast<std::uint8_t>(4 * (column[at(lane)] - base));
      for (std::uint8_t b = 0; b < 4; ++b) groupShuffle[groups * 16 + lane * 4 + b] = offset + b;
      groupWeight[groups * 8 + lane * 2] = groupWeight[groups * 8 + lane * 2 + 1] =
          static_cast<std::uint16_t>(fractionX[at(lane)]);
    }
    ++groups;
  }
  const PixelGroups rowGroups{groups, groupBase, groupShuffle, groupWeight, groupFirst};

  const std::uint32_t gain = gainColour & 0xFFu, keep = keepColour & 0xFFu;
  for (std::int32_t k = 0; k < ny; ++k) {
    const std::int32_t ys = sampleRow(k), yd = y0 + sy * k;
    const auto fy = static_cast<std::uint32_t>(fraction(k * uy));
    const Pixel* top = pixels + ys * ScreenWidth;
    Pixel* out = pixels + yd * ScreenWidth;
    if (ys == yd || ys + 1 == yd) {
      for (std::int32_t j = 0; j < nx; ++j) {
        Pixel& p = out[x0 + sx * j];
        p = ZoomPixel(top + column[j], p, fractionX[j], fy, gain, keep);
      }
      continue;
    }
    ZoomBlurRowFast(top, out, fy, gain, keep, rowGroups);
    for (std::int32_t s = 0; s < singles; ++s) {
      const std::int32_t j = single[s];
      Pixel& p = out[x0 + sx * j];
      p = ZoomPixel(top + column[j], p, fractionX[j], fy, gain, keep);
    }
  }
}
