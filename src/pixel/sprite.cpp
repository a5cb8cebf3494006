#include "pixel/sprite.h"

#include <algorithm>
#include <cstring>

#include "pixel/frame_kernels.h"
#include "pixel/span_kernels.h"

#include "pixel/truncate.h"

namespace {

struct Clip {
  std::int32_t xa, xb, ya, yb;
};

// The destination rectangle to visit, or false when it is empty. The box is also
// kept inside the source picture, so a stray box can never read outside it.
bool ClipSprite(std::int32_t dx, std::int32_t dy, const SpriteBox& box, Clip& clip) {
  std::int32_t left = std::max(box.left, 0), right = std::min(box.right, ScreenWidth);
  std::int32_t top = std::max(box.top, 0), bottom = std::min(box.bottom, ScreenHeight);
  clip.xa = std::max<std::int64_t>(0, std::int64_t{left} + dx);
  clip.xb = std::min<std::int64_t>(ScreenWidth, std::int64_t{right} + dx);
  clip.ya = std::max<std::int64_t>(0, std::int64_t{top} + dy);
  clip.yb = std::min<std::int64_t>(ScreenHeight, std::int64_t{bottom} + dy);
  return clip.ya < clip.yb && clip.xa < clip.xb;
}

// Rows of the clipped box: whole rows through the fast combine, or pixel by
// pixel through the reference one.
void DrawSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box, const Picture& source,
                Picture& destination, bool fast, bool add) {
  if (k < 1) return;
  if (k > 255) k = 255;
  Clip c;
  if (!ClipSprite(dx, dy, *box, c)) return;
  const auto weight = static_cast<std::uint32_t>(k);
  for (std::int32_t y = c.ya; y < c.yb; ++y) {
    const Pixel* src = source.pixels + (y - dy) * ScreenWidth - dx;
    Pixel* dst = destination.pixels + y * ScreenWidth;
    if (fast) {
      if (add) AddSpriteRowFast(src + c.xa, dst + c.xa, c.xb - c.xa, weight);
      else BlendSpriteRowFast(src + c.xa, dst + c.xa, c.xb - c.xa, weight);
      continue;
    }
    for (std::int32_t x = c.xa; x < c.xb; ++x) {
      Pixel s = src[x];
      if (s != TransparentKey) dst[x] = add ? AddSpritePixel(dst[x], s, weight) : BlendSpritePixel(dst[x], s, weight);
    }
  }
}

}  // namespace

void BlendSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                 const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, !UsingReferenceKernels(), false);
}

void AddSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
               const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, !UsingReferenceKernels(), true);
}

void BlendSpriteReference(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                          const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, false, false);
}

void AddSpriteReference(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                        const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, false, true);
}

namespace {

struct Stretch {
  std::int32_t xstep, ystep, xa, xb, ya, yb;
  std::uint32_t columnStart;
  std::int32_t rowStart;
};

bool StretchSetUp(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom, Stretch& s) {
  if (right <= left || bottom <= top) return false;  // empty or inverted: nothing to draw
  s.xstep = TruncateToInt32(320.0 * 65536.0 / (static_cast<double>(right) - left));
  const float ys = static_cast<float>(240.0 / (static_cast<double>(bottom) - top));
  s.ystep = TruncateToInt32(static_cast<double>(ys) * 65536.0);
  s.columnStart = left < 0 ? static_cast<std::uint32_t>(-left) * static_cast<std::uint32_t>(s.xstep) : 0u;
  s.rowStart = top < 0 ? TruncateToInt32(65536.0 * static_cast<double>(ys) * (-static_cast<double>(top) - 1.0))
                       : -s.ystep;
  s.xa = std::max(left, 0), s.ya = std::max(top, 0);
  s.xb = std::min(right - 1, ScreenWidth), s.yb = std::min(bottom - 1, ScreenHeight);
  return true;
}

std::int32_t NextSourceRow(std::int32_t& rowAcc, std::int32_t ystep) {
  rowAcc = static_cast<std::int32_t>(static_cast<std::uint32_t>(rowAcc) + static_cast<std::uint32_t>(ystep));
  return rowAcc >> 16;
}

}  // namespace

void StretchPictureReference(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                             const Picture& source, Picture& destination) {
  Stretch s;
  if (!StretchSetUp(left, top, right, bottom, s)) return;
  std::int32_t rowAcc = s.rowStart;
  for (std::int32_t y = s.ya; y < s.yb; ++y) {
    const std::int32_t sourceRow = NextSourceRow(rowAcc, s.ystep);
    if (sourceRow < 0 || sourceRow >= ScreenHeight) continue;  // only for absurd rectangles
    const Pixel* src = source.pixels + sourceRow * ScreenWidth;
    Pixel* dst = destination.pixels + y * ScreenWidth;
    std::uint32_t columnAcc = s.columnStart;
    for (std::int32_t x = s.xa; x < s.xb; ++x) {
      columnAcc += static_cast<std::uint32_t>(s.xstep);
      const std::uint32_t sourceColumn = columnAcc >> 16;
      if (sourceColumn >= static_cast<std::uint32_t>(ScreenWidth)) break;
      dst[x] = src[sourceColumn];
    }
  }
}

// The source column of every destination column is the same on every row, so it
// is worked out once; groups of four whose sources lie within four neighbouring
// columns go as one vector shuffle, the rest one by one. A destination row that
// repeats the source row of the row above is a copy of that row.
void StretchPicture(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                    const Picture& source, Picture& destination) {
  if (UsingReferenceKernels()) {
    StretchPictureReference(left, top, right, bottom, source, destination);
    return;
  }
  Stretch s;
  if (!StretchSetUp(left, top, right, bottom, s)) return;
  std::int32_t column[ScreenWidth];
  std::int32_t columns = 0;
  std::uint32_t columnAcc = s.columnStart;
  for (std::int32_t x = s.xa; x < s.xb; ++x) {
    columnAcc += static_cast<std::uint32_t>(s.xstep);
    if ((columnAcc >> 16) >= static_cast<std::uint32_t>(ScreenWidth)) break;
    column[columns++] = static_cast<std::int32_t>(columnAcc >> 16);
  }
  constexpr std::int32_t MaxGroups = ScreenWidth / 4;
  std::int32_t groupBase[MaxGroups], groupFirst[MaxGroups], single[ScreenWidth];
  alignas(16) std::uint8_t groupShuffle[MaxGroups * 16];
  std::int32_t groups = 0, singles = 0;
  for (std::int32_t i = 0; i < columns; i += 4) {
    if (i + 4 > columns || column[i + 3] - column[i] > 3 || column[i] > ScreenWidth - 4) {
      for (std::int32_t t = i; t < std::min(i + 4, columns); ++t) single[singles++] = t;
      continue;
    }
    groupBase[groups] = column[i];
    groupFirst[groups] = s.xa + i;
    for (std::int32_t lane = 0; lane < 4; ++lane) {
      for (std::int32_t b = 0; b < 4; ++b) {
        groupShuffle[groups * 16 + lane * 4 + b] = static_cast<std::uint8_t>(4 * (column[i + lane] - column[i]) + b);
      }
    }
    ++groups;
  }
  const PixelGroups rowGroups{groups, groupBase, groupShuffle, nullptr, groupFirst};
  const bool copyRows = &source != &destination;
  std::int32_t rowAcc = s.rowStart, lastRow = -1;
  const Pixel* lastDestination = nullptr;
  for (std::int32_t y = s.ya; y < s.yb; ++y) {
    const std::int32_t sourceRow = NextSourceRow(rowAcc, s.ystep);
    if (sourceRow < 0 || sourceRow >= ScreenHeight) continue;  // only for absurd rectangles
    Pixel* dst = destination.pixels + y * ScreenWidth;
    if (copyRows && sourceRow == lastRow) {
      std::memcpy(dst + s.xa, lastDestination + s.xa, sizeof(Pixel) * static_cast<std::size_t>(columns));
      lastDestination = dst;
      continue;
    }
    const Pixel* src = source.pixels + sourceRow * ScreenWidth;
    StretchRowFast(src, dst, rowGroups);
    for (std::int32_t t = 0; t < singles; ++t) dst[s.xa + single[t]] = src[column[single[t]]];
    lastRow = sourceRow;
    lastDestination = dst;
  }
}
