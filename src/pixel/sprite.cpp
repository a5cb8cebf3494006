#include "pixel/sprite.h"

#include <algorithm>

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

template <typename Combine>
void DrawSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                const Picture& source, Picture& destination, Combine combine) {
  if (k < 1) return;
  if (k > 255) k = 255;
  Clip c;
  if (!ClipSprite(dx, dy, *box, c)) return;
  const auto weight = static_cast<std::uint32_t>(k);
  for (std::int32_t y = c.ya; y < c.yb; ++y) {
    const Pixel* src = source.pixels + (y - dy) * ScreenWidth - dx;
    Pixel* dst = destination.pixels + y * ScreenWidth;
    for (std::int32_t x = c.xa; x < c.xb; ++x) {
      Pixel s = src[x];
      if (s != TransparentKey) dst[x] = combine(dst[x], s, weight);
    }
  }
}

inline std::uint32_t Lane(Pixel p, int shift) { return (p >> shift) & 0xFFu; }

}  // namespace

void BlendSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
                 const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, [](Pixel d, Pixel s, std::uint32_t w) {
    Pixel out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
      std::uint32_t v = ((Lane(d, shift) * (255u - w)) >> 8) + ((Lane(s, shift) * w) >> 8);
      out |= std::min(v, 255u) << shift;
    }
    return out;
  });
}

void AddSprite(std::int32_t dx, std::int32_t dy, std::int32_t k, const SpriteBox* box,
               const Picture& source, Picture& destination) {
  DrawSprite(dx, dy, k, box, source, destination, [](Pixel d, Pixel s, std::uint32_t w) {
    Pixel out = 0;
    for (int shift = 0; shift <= 24; shift += 8) {
      out |= std::min(Lane(d, shift) + ((Lane(s, shift) * w) >> 8), 255u) << shift;
    }
    return out;
  });
}

void StretchPicture(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                    const Picture& source, Picture& destination) {
  if (right <= left || bottom <= top) return;  // empty or inverted: nothing to draw
  const std::int32_t xstep = TruncateToInt32(320.0 * 65536.0 / (static_cast<double>(right) - left));
  const float ys = static_cast<float>(240.0 / (static_cast<double>(bottom) - top));
  const std::int32_t ystep = TruncateToInt32(static_cast<double>(ys) * 65536.0);

  const std::uint32_t columnStart =
      left < 0 ? static_cast<std::uint32_t>(-left) * static_cast<std::uint32_t>(xstep) : 0u;
  std::int32_t rowAcc =
      top < 0 ? TruncateToInt32(65536.0 * static_cast<double>(ys) * (-static_cast<double>(top) - 1.0)) : -ystep;
  const std::int32_t xa = std::max(left, 0), ya = std::max(top, 0);
  const std::int32_t xb = std::min(right - 1, ScreenWidth), yb = std::min(bottom - 1, ScreenHeight);

  for (std::int32_t y = ya; y < yb; ++y) {
    rowAcc = static_cast<std::int32_t>(static_cast<std::uint32_t>(rowAcc) + static_cast<std::uint32_t>(ystep));
    const std::int32_t sourceRow = rowAcc >> 16;
    if (sourceRow < 0 || sourceRow >= ScreenHeight) continue;  // only for absurd rectangles
    const Pixel* src = source.pixels + sourceRow * ScreenWidth;
    Pixel* dst = destination.pixels + y * ScreenWidth;
    std::uint32_t columnAcc = columnStart;
    for (std::int32_t x = xa; x < xb; ++x) {
      columnAcc += static_cast<std::uint32_t>(xstep);
      const std::uint32_t sourceColumn = columnAcc >> 16;
      if (sourceColumn >= static_cast<std::uint32_t>(ScreenWidth)) break;
      dst[x] = src[sourceColumn];
    }
  }
}
