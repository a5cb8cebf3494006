#include "display/gentle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr int BlockSize = 40, BlocksX = ScreenWidth / BlockSize, BlocksY = ScreenHeight / BlockSize;
constexpr int EncodeSteps = 4096;

struct Tables {
  std::array<float, 256> linear{};
  std::array<std::uint8_t, EncodeSteps + 1> encode{};
  Tables() {
    for (int i = 0; i < 256; ++i) {
      const double v = i / 255.0;
      linear[i] = static_cast<float>(v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
    }
    for (int i = 0; i <= EncodeSteps; ++i) {
      const double l = static_cast<double>(i) / EncodeSteps;
      const double v = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
      encode[i] = static_cast<std::uint8_t>(std::clamp(std::lround(v * 255), 0L, 255L));
    }
  }
};

const Tables& Lut() {
  static const Tables t;
  return t;
}

// What was shown, in linear light, three channels a pixel.
std::vector<float> Shown;
std::uint32_t LastMs = 0;

inline float Luminance(float r, float g, float b) { return 0.2126f * r + 0.7152f * g + 0.0722f * b; }

}  // namespace

void ResetFlashLimiter() { Shown.clear(); }

void LimitFlashes(const Pixel* frame, Pixel* shown, std::uint32_t nowMs) {
  const Tables& t = Lut();
  const bool first = Shown.empty();
  if (first) Shown.resize(static_cast<std::size_t>(PicturePixels) * 3);
  const double seconds = first ? 0 : std::clamp((nowMs - LastMs) / 1000.0, 0.001, 0.1);
  LastMs = nowMs;
  const float step = static_cast<float>(GentleRate * seconds);
  // The step toward the new picture: the smallest any block allows, taken by
  // the whole screen (a block-by-block step would show the blocks' seams).
  float k = 1.0f;
  for (int by = 0; by < BlocksY && !first; ++by) {
    for (int bx = 0; bx < BlocksX; ++bx) {
      // The block's mean luminance as shown and as the scene wants it.
      double before = 0, after = 0;
      for (int y = by * BlockSize; y < (by + 1) * BlockSize; ++y) {
        for (int x = bx * BlockSize; x < (bx + 1) * BlockSize; ++x) {
          const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
          const Pixel p = frame[i];
          after += Luminance(t.linear[(p >> 16) & 0xFF], t.linear[(p >> 8) & 0xFF], t.linear[p & 0xFF]);
          before += Luminance(Shown[3 * i], Shown[3 * i + 1], Shown[3 * i + 2]);
        }
      }
      const double change = std::fabs(after - before) / (BlockSize * BlockSize);
      if (change > step) k = std::min(k, static_cast<float>(step / change));
    }
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(PicturePixels); ++i) {
    const Pixel p = frame[i];
    Pixel out = p & 0xFF000000u;
    for (int c = 0; c < 3; ++c) {
      const int shift = 16 - 8 * c;
      float& s = Shown[3 * i + c];
      s += k * (t.linear[(p >> shift) & 0xFF] - s);
      out |= static_cast<Pixel>(t.encode[static_cast<int>(std::clamp(s, 0.0f, 1.0f) * EncodeSteps + 0.5f)]) << shift;
    }
    shown[i] = out;
  }
}
