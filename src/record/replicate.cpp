#include "record/replicate.h"

#include <cstddef>
#include <cstring>

void ReplicatePixels(const std::uint32_t* src, int width, int height, int n, std::uint32_t* dst) {
  const std::size_t out = static_cast<std::size_t>(width) * n;
  for (int y = 0; y < height; ++y) {
    std::uint32_t* row = dst + static_cast<std::size_t>(y) * n * out;
    for (int x = 0; x < width; ++x)
      for (int k = 0; k < n; ++k) row[x * n + k] = src[static_cast<std::size_t>(y) * width + x];
    for (int k = 1; k < n; ++k) std::memcpy(row + k * out, row, out * sizeof *row);
  }
}
