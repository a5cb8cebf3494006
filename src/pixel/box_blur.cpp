#include "pixel/box_blur.h"

#include <algorithm>
#include <cstring>

#include "pixel/frame_kernels.h"
#include "pixel/span_kernels.h"

namespace {

struct LaneSums {
  std::int32_t lane[4] = {0, 0, 0, 0};
  void Add(Pixel p, std::int32_t times = 1) {
    for (int i = 0; i < 4; ++i) lane[i] += static_cast<std::int32_t>((p >> (8 * i)) & 0xFFu) * times;
  }
  void Sub(Pixel p) {
    for (int i = 0; i < 4; ++i) lane[i] -= static_cast<std::int32_t>((p >> (8 * i)) & 0xFFu);
  }
  Pixel Scaled(std::uint32_t b) const {
    Pixel out = 0;
    for (int i = 0; i < 4; ++i) out |= ((static_cast<std::uint32_t>(lane[i]) * b) >> 16) << (8 * i);
    return out;
  }
};

// One line of `length` pixels, `stride` apart, blurred from src into dst.
void BlurLine(std::int32_t r, const Pixel* src, Pixel* dst, std::int32_t length, std::int32_t stride) {
  r = std::min(r, 32768);  // keeps the lane sums in range; such a window is all clamped taps anyway
  const auto b = static_cast<std::uint32_t>(65536 / (2 * r));
  const std::int32_t last = length - 1;
  auto at = [&](std::int32_t i) { return src[std::clamp(i, 0, last) * stride]; };
  LaneSums sums;
  // Taps -r .. r - 1; the taps left of the line are the first pixel. Clamping the
  // right end too only matters for a radius wider than the line.
  sums.Add(src[0], r);
  for (std::int32_t i = 0; i < r; ++i) sums.Add(at(i));
  for (std::int32_t x = 0; x < length; ++x) {
    sums.Sub(at(x - r));
    sums.Add(at(x + r));
    dst[x * stride] = sums.Scaled(b);
  }
}

// The fast passes keep their sums in 16 bits, which holds 2r x 255 up to r = 128.
bool Fast(std::int32_t r) { return r <= 128 && !UsingReferenceKernels(); }

}  // namespace

void BoxBlurHorizontalReference(std::int32_t r, const Picture& source, Picture& destination) {
  for (std::int32_t y = 0; y < ScreenHeight; ++y) {
    BlurLine(r, source.pixels + y * ScreenWidth, destination.pixels + y * ScreenWidth, ScreenWidth, 1);
  }
}

void BoxBlurVerticalReference(std::int32_t r, const Picture& source, Picture& destination) {
  for (std::int32_t x = 0; x < ScreenWidth; ++x) {
    BlurLine(r, source.pixels + x, destination.pixels + x, ScreenHeight, ScreenWidth);
  }
}

void BoxBlurHorizontal(std::int32_t r, std::int32_t copyFlag, const Picture& source, Picture& destination) {
  if (r < 1) {
    if (copyFlag == 0) std::memcpy(destination.pixels, source.pixels, sizeof source.pixels);
    return;
  }
  if (Fast(r)) BoxBlurRowsFast(r, source, destination);
  else BoxBlurHorizontalReference(r, source, destination);
}

void BoxBlurVertical(std::int32_t r, std::int32_t copyFlag, const Picture& source, Picture& destination) {
  if (r < 1) {
    if (copyFlag == 0) std::memcpy(destination.pixels, source.pixels, sizeof source.pixels);
    return;
  }
  if (Fast(r)) BoxBlurColumnsFast(r, source, destination);
  else BoxBlurVerticalReference(r, source, destination);
}
