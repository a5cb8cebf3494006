#include "quantize.h"

#include <algorithm>
#include <array>

namespace {

struct Box {
  std::vector<std::uint32_t> colours;  // 0xRRGGBB, one per pixel (repeats kept as weight)
  int Range(int shift) const {
    int lo = 255, hi = 0;
    for (std::uint32_t c : colours) {
      const int v = (c >> shift) & 255;
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
    return hi - lo;
  }
};

}  // namespace

Indexed Quantize(const Canvas& canvas, int colours, int transparentIndex) {
  const std::vector<std::uint32_t> pixels = canvas.Pixels();
  std::vector<bool> opaque(pixels.size());
  Box all;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    opaque[i] = transparentIndex < 0 || canvas.alpha[i] >= 0.5f;
    if (opaque[i]) all.colours.push_back(pixels[i]);
  }

  std::vector<Box> boxes;
  if (!all.colours.empty()) boxes.push_back(std::move(all));
  while (static_cast<int>(boxes.size()) < colours) {
    // Split the box with the widest channel range at its median.
    int best = -1, bestRange = 0, bestShift = 0;
    for (int b = 0; b < static_cast<int>(boxes.size()); ++b) {
      if (boxes[b].colours.size() < 2) continue;
      for (int shift : {16, 8, 0}) {
        const int r = boxes[b].Range(shift);
        if (r > bestRange) best = b, bestRange = r, bestShift = shift;
      }
    }
    if (best < 0) break;
    std::vector<std::uint32_t>& c = boxes[best].colours;
    const auto mid = c.begin() + static_cast<std::ptrdiff_t>(c.size() / 2);
    std::nth_element(c.begin(), mid, c.end(), [bestShift](std::uint32_t a, std::uint32_t b) {
      return ((a >> bestShift) & 255) < ((b >> bestShift) & 255);
    });
    Box upper{std::vector<std::uint32_t>(mid, c.end())};
    c.erase(mid, c.end());
    boxes.push_back(std::move(upper));
  }

  Indexed out;
  out.palette.assign(768, 0);
  std::vector<std::array<int, 3>> entries;
  for (const Box& b : boxes) {
    long sum[3] = {0, 0, 0};
    for (std::uint32_t c : b.colours) sum[0] += (c >> 16) & 255, sum[1] += (c >> 8) & 255, sum[2] += c & 255;
    const long n = static_cast<long>(b.colours.size());
    entries.push_back({static_cast<int>((sum[0] + n / 2) / n), static_cast<int>((sum[1] + n / 2) / n),
                       static_cast<int>((sum[2] + n / 2) / n)});
  }
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (int c = 0; c < 3; ++c) out.palette[3 * i + c] = static_cast<std::uint8_t>(entries[i][c]);
  }

  std::vector<int> nearest(1 << 18, -1);  // cache by 6 bits per channel
  out.indices.assign(pixels.size(), static_cast<std::uint8_t>(std::max(transparentIndex, 0)));
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    if (!opaque[i] || entries.empty()) continue;
    const std::uint32_t c = pixels[i];
    const int key = static_cast<int>(((c >> 18) & 63) << 12 | ((c >> 10) & 63) << 6 | ((c >> 2) & 63));
    if (nearest[key] < 0) {
      const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
      int best = 0, bestDistance = 1 << 30;
      for (std::size_t e = 0; e < entries.size(); ++e) {
        const int dr = r - entries[e][0], dg = g - entries[e][1], db = b - entries[e][2];
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) best = static_cast<int>(e), bestDistance = d;
      }
      nearest[key] = best;
    }
    out.indices[i] = static_cast<std::uint8_t>(nearest[key]);
  }
  return out;
}
