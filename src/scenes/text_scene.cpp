#include "scenes/text_scene.h"

#include <algorithm>

#include "assets/inventory.h"
#include "pixel/colour.h"
#include "pixel/truncate.h"

const std::uint8_t WipePatterns[4][16] = {
    {0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 1, 1, 1, 1, 1},
    {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1},
    {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
    {1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace {

constexpr std::int32_t Band = 182;

// frame[x] = frame[x] * source[x] >> 8 in all four bytes, for `count` pixels.
void MultiplyRun(Pixel* frame, const Pixel* source, std::int32_t count) { MultiplySpan(source, frame, count); }

template <bool Yellow>
void FlyPoints(const PointPicture& page, std::int32_t time, std::int32_t slotStart, std::int32_t delay,
               std::int32_t flight, Picture& frame) {
  for (const PicturePoint& p : page.points) {
    // 32-bit wrap-around, as the schedule's integers have it.
    const auto m = static_cast<std::int32_t>(static_cast<std::uint32_t>(time) - static_cast<std::uint32_t>(slotStart) -
                                             static_cast<std::uint32_t>(delay) *
                                                 static_cast<std::uint32_t>(p.order - page.minOrder));
    if (m <= 0) continue;
    if (m > flight) {
      Pixel& target = frame.pixels[p.targetIndex];
      target = MultiplyColour(target, p.colour);
      continue;
    }
    const double s = static_cast<double>(m) / flight;
    const std::int32_t px = std::clamp(TruncateToInt32(p.startX * (1 - s) + p.targetX * s), 0, ScreenWidth - 1);
    const std::int32_t py = std::clamp(TruncateToInt32(p.startY * (1 - s) + p.targetY * s), 0, ScreenHeight - 1);
    Pixel& at = frame.pixels[py * ScreenWidth + px];
    at = Yellow ? 0x00FFFF00u : MultiplyColour(at, p.colour);
  }
}

}  // namespace

void RenderTextScene(std::uint32_t a, Picture& frame) {
  const std::uint32_t w = std::min<std::uint32_t>((a / 2) % 480, Band);
  const std::uint32_t P = a / 960 + 1;
  std::fill(std::begin(frame.pixels), std::end(frame.pixels), 0xFFFFFFFFu);
  const double g = 1 - w * 0.005494505494505495;
  const auto x = static_cast<float>((1 - g * g) * 182);
  const auto d = static_cast<std::int32_t>(a - 1920u);
  const std::int32_t e = d / 15000;
  // Both page counts may be 0 (a page file without any '}' line): the band is
  // still drawn, and a set without pages is skipped rather than indexed.
  const bool firstSet = e < 3 * PagesOneCount;
  if (firstSet) {
    PatternCrossfade(x, WipePatterns[P % 4], 16, TextBackgrounds[P % 3], TextBackgrounds[(P + 1) % 3], frame);
  } else {
    PatternCrossfade(x, WipePatterns[P % 4], 16, LastTextBackground, LastTextBackground, frame);
  }
  if (d <= 0) return;
  if (firstSet) {
    DrawFlyingPoints(PagesOne[e % PagesOneCount], d, e * 15000 + 1000, 10, 800, frame);
    return;
  }
  const std::int32_t d2 = d - 45000 * PagesOneCount;
  if (d2 <= 0 || PagesTwoCount <= 0) return;
  const std::int32_t l = d2 / 15000;
  DrawFlyingPointsYellow(PagesTwo[l % PagesTwoCount], d2, l * 15000 + 1000, 10, 800, frame);
}

void PatternCrossfade(float x, const std::uint8_t* flags, std::int32_t n, const Picture& from, const Picture& to,
                      Picture& frame) {
  if (n < 1) return;
  const std::int32_t xi = std::clamp(TruncateToInt32(x), 0, Band);
  const std::int32_t xr = std::clamp(TruncateToInt32(static_cast<double>(x) + 0.5), 0, Band);
  for (std::int32_t y = 0; y < ScreenHeight; ++y) {
    Pixel* row = frame.pixels + y * ScreenWidth;
    const Pixel* src = from.pixels + y * ScreenWidth;
    const Pixel* dst = to.pixels + y * ScreenWidth;
    if (flags[y % n]) {
      // The incoming picture slides in from the band's right edge.
      MultiplyRun(row, src, Band - xr);
      MultiplyRun(row + Band - xr, dst, xr);
    } else {
      // ... or from its left edge.
      MultiplyRun(row + xi, src + xi, Band - xi);
      MultiplyRun(row, dst + Band - xi, xi);
    }
  }
}

void DrawFlyingPoints(const PointPicture& page, std::int32_t time, std::int32_t slotStart, std::int32_t delay,
                      std::int32_t flight, Picture& frame) {
  FlyPoints<false>(page, time, slotStart, delay, flight, frame);
}

void DrawFlyingPointsYellow(const PointPicture& page, std::int32_t time, std::int32_t slotStart, std::int32_t delay,
                            std::int32_t flight, Picture& frame) {
  FlyPoints<true>(page, time, slotStart, delay, flight, frame);
}
