// The gentle mode's limiter: a full-screen strobe comes out as at most three
// flashes a second by the documented measure, the first frame and anything
// that keeps its blocks' brightness pass untouched.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "display/gentle.h"

namespace {

double Linear(int v) {
  const double c = v / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double BlockLevel(const Pixel* p, int bx, int by) {
  double sum = 0;
  for (int y = by * 40; y < by * 40 + 40; ++y) {
    for (int x = bx * 40; x < bx * 40 + 40; ++x) {
      const Pixel v = p[y * ScreenWidth + x];
      sum += 0.2126 * Linear((v >> 16) & 0xFF) + 0.7152 * Linear((v >> 8) & 0xFF) + 0.0722 * Linear(v & 0xFF);
    }
  }
  return sum / 1600;
}

}  // namespace

TEST(GentleTest, StrobeBecomesAtMostThreeFlashesASecond) {
  ResetFlashLimiter();
  std::vector<Pixel> frame(PicturePixels), shown(PicturePixels);
  // 60 frames a second, black and white swapping every frame, for 3 s.
  std::vector<double> levels;
  for (int n = 0; n < 180; ++n) {
    std::fill(frame.begin(), frame.end(), n % 2 ? 0x00FFFFFFu : 0u);
    LimitFlashes(frame.data(), shown.data(), 1000 + n * 1000 / 60);
    levels.push_back(BlockLevel(shown.data(), 3, 2));
  }
  // Transitions: a swing of 0.1 from the last turning point, against the one before.
  int last = 0;
  double lo = levels[0], hi = levels[0];
  std::vector<int> marks;
  for (int n = 1; n < 180; ++n) {
    const double x = levels[n];
    EXPECT_LE(std::fabs(x - levels[n - 1]), GentleRate / 60 + 0.004) << n;
    const bool fall = last != -1 && hi - x >= 0.1 && x < 0.8;
    const bool rise = !fall && last != 1 && x - lo >= 0.1 && lo < 0.8;
    if (fall || rise) {
      marks.push_back(n), last = fall ? -1 : 1, lo = hi = x;
    }
    lo = std::min(lo, x), hi = std::max(hi, x);
  }
  for (int start = 0; start < 120; ++start) {
    int inside = 0;
    for (int m : marks) inside += m >= start && m < start + 60;
    EXPECT_LE(inside / 2, 3) << "from frame " << start;
  }
}

TEST(GentleTest, FirstFrameAndSteadyBrightnessPassUntouched) {
  ResetFlashLimiter();
  std::vector<Pixel> frame(PicturePixels), shown(PicturePixels);
  for (int i = 0; i < PicturePixels; ++i) frame[i] = (i * 2654435761u) & 0x00FFFFFFu;
  LimitFlashes(frame.data(), shown.data(), 0);
  EXPECT_EQ(shown, frame);
  // A picture whose pixels move but whose blocks keep their brightness: a
  // checkerboard stepping one pixel is shown as it is, sharp.
  // (After a few seconds to settle from the first picture.)
  auto checkerboard = [&](int step) {
    for (int y = 0; y < ScreenHeight; ++y) {
      for (int x = 0; x < ScreenWidth; ++x) frame[y * ScreenWidth + x] = ((x + y + step) / 2) % 2 ? 0x00C0C0C0u : 0x00202020u;
    }
  };
  checkerboard(0);
  for (int n = 1; n <= 300; ++n) LimitFlashes(frame.data(), shown.data(), 16 * n);
  for (int step = 1; step < 4; ++step) {
    checkerboard(step);
    LimitFlashes(frame.data(), shown.data(), 5000 + 16 * step);
    EXPECT_EQ(shown, frame) << step;
  }
}
