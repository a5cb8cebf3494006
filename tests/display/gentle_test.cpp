// The gentle mode's limiter, judged by the flash count of scripts/analyse-recording
// recomputed here from the shown frames: a strobe comes out at three flashes a
// second or fewer, while moving detail and flicker of a small area, which are
// no flash by that count, pass byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include "display/gentle.h"

namespace {

constexpr Pixel Black = 0x000000u, White = 0xFFFFFFu, Dark = 0x101820u;

double Linear(int v) {
  static const std::vector<double> table = [] {
    std::vector<double> t(256);
    for (int i = 0; i < 256; ++i) {
      const double c = i / 255.0;
      t[i] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    }
    return t;
  }();
  return table[v];
}

// The flash count of shown frames at `fps`: for every window of `fps` frames,
// the 12th largest count of flashes (two transitions) among the 48 blocks.
class FlashCount {
 public:
  explicit FlashCount(int fps) : fps_(fps) {}
  void Add(const Pixel* p) {
    std::array<double, 48> level{};
    for (int y = 0; y < ScreenHeight; ++y) {
      for (int x = 0; x < ScreenWidth; ++x) {
        const Pixel v = p[y * ScreenWidth + x];
        level[(y / 40) * 8 + x / 40] +=
            0.2126 * Linear((v >> 16) & 0xFF) + 0.7152 * Linear((v >> 8) & 0xFF) + 0.0722 * Linear(v & 0xFF);
      }
    }
    std::array<int, 48> mark{};
    for (int b = 0; b < 48; ++b) {
      const double x = level[b] / 1600;
      if (marks_.empty()) {
        lo_[b] = hi_[b] = x, last_[b] = 0;
        continue;
      }
      const bool fall = last_[b] != -1 && hi_[b] - x >= 0.1 && x < 0.8;
      const bool rise = !fall && last_[b] != 1 && x - lo_[b] >= 0.1 && lo_[b] < 0.8;
      if (fall || rise) {
        mark[b] = 1, last_[b] = fall ? -1 : 1, lo_[b] = hi_[b] = x;
      } else {
        lo_[b] = std::min(lo_[b], x), hi_[b] = std::max(hi_[b], x);
      }
    }
    marks_.push_back(mark);
  }
  // The largest count of any window.
  int Worst() const {
    int worst = 0;
    for (std::size_t s = 0; s < marks_.size(); ++s) {
      std::array<int, 48> n{};
      for (std::size_t f = s; f < std::min(marks_.size(), s + fps_); ++f) {
        for (int b = 0; b < 48; ++b) n[b] += marks_[f][b];
      }
      for (int& c : n) c /= 2;
      std::sort(n.begin(), n.end());
      worst = std::max(worst, n[48 - 12]);
    }
    return worst;
  }

 private:
  std::size_t fps_;
  std::array<double, 48> lo_{}, hi_{};
  std::array<int, 48> last_{};
  std::vector<std::array<int, 48>> marks_;
};

void Fill(std::vector<Pixel>& p, int x0, int y0, int w, int h, Pixel c) {
  for (int y = std::max(0, y0); y < std::min(ScreenHeight, y0 + h); ++y) {
    for (int x = std::max(0, x0); x < std::min(ScreenWidth, x0 + w); ++x) p[y * ScreenWidth + x] = c;
  }
}

// Runs `draw` for `frames` frames at `fps` through the limiter; returns how
// many shown frames differ from the drawn ones and counts the shown frames' flashes.
int Play(int fps, int frames, const std::function<void(int, std::vector<Pixel>&)>& draw, FlashCount* count = nullptr,
        std::uint32_t startMs = 1000) {
  std::vector<Pixel> frame(PicturePixels), shown(PicturePixels);
  int changed = 0;
  for (int n = 0; n < frames; ++n) {
    draw(n, frame);
    LimitFlashes(frame.data(), shown.data(), startMs + static_cast<std::uint32_t>(n * 1000 / fps));
    changed += shown != frame;
    if (count) count->Add(shown.data());
  }
  return changed;
}

// A ticker: a band of glyph-like white bits scrolling left and waving, over a
// dark picture; plus bright figures sliding across it.
void TickerAndFigures(int n, std::vector<Pixel>& p) {
  std::fill(p.begin(), p.end(), Dark);
  const int wave = static_cast<int>(std::lround(12 * std::sin(n * 0.09)));
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const int u = x + 5 * n;  // scrolls 5 pixels a frame
      const unsigned bits = (static_cast<unsigned>(u / 2) * 2654435761u) >> 27;
      if ((u / 10 + y / 3) % 3 != 0 && bits % 3 != 0) p[(180 + wave + y) * ScreenWidth + x] = White;
    }
  }
  Fill(p, (n * 7) % 400 - 60, 30, 56, 90, 0xF0E8FFu);
  Fill(p, 300 - (n * 4) % 380, 90, 40, 60, 0xFFFFFFu);
  Fill(p, 100, (n * 3) % 300 - 60, 30, 30, 0xFFD040u);
}

}  // namespace

TEST(GentleTest, StrobesComeOutAtThreeFlashesASecondOrFewer) {
  for (int fps : {60, 30}) {
    for (int every : {1, 2, 3}) {
      ResetFlashLimiter();
      FlashCount count(fps);
      const int changed = Play(fps, 4 * fps, [&](int n, std::vector<Pixel>& p) {
        std::fill(p.begin(), p.end(), (n / every) % 2 ? White : Black);
      }, &count);
      EXPECT_LE(count.Worst(), 3) << fps << " fps, swapping every " << every;
      EXPECT_EQ(count.Worst(), 3) << "held further than needed: " << fps << " fps, every " << every;
      EXPECT_GT(changed, 0);
    }
  }
  // A strobe behind moving figures is held the same way.
  ResetFlashLimiter();
  FlashCount count(60);
  Play(60, 180, [](int n, std::vector<Pixel>& p) {
    TickerAndFigures(n, p);
    if (n % 2) Fill(p, 0, 0, ScreenWidth, 170, White);
  }, &count);
  EXPECT_LE(count.Worst(), 3);
}

TEST(GentleTest, MotionAndSmallFlickerPassUntouched) {
  // The first frame, whatever it holds.
  ResetFlashLimiter();
  EXPECT_EQ(Play(60, 1, [](int, std::vector<Pixel>& p) {
    for (int i = 0; i < PicturePixels; ++i) p[i] = (i * 2654435761u) & 0x00FFFFFFu;
  }), 0);
  // A waving ticker and sliding figures, for ten seconds at 60 and at 30 fps.
  for (int fps : {60, 30}) {
    ResetFlashLimiter();
    EXPECT_EQ(Play(fps, 10 * fps, TickerAndFigures), 0) << fps;
  }
  // A strobe over eleven blocks (under a quarter of the screen) with the ticker.
  ResetFlashLimiter();
  EXPECT_EQ(Play(60, 300, [](int n, std::vector<Pixel>& p) {
    TickerAndFigures(n, p);
    if (n % 2) Fill(p, 0, 0, 200, 80, White), Fill(p, 0, 80, 40, 40, White);
  }), 0);
}

TEST(GentleTest, OnlyTheFlashIsHeldAndTheShowComesBackExactly) {
  ResetFlashLimiter();
  std::vector<Pixel> frame(PicturePixels), shown(PicturePixels);
  std::uint32_t ms = 0;
  int figureX = 100;
  auto show = [&](Pixel background) {
    std::fill(frame.begin(), frame.end(), background);
    // A small grey figure sliding right, 4 pixels a frame.
    Fill(frame, figureX += 4, 150, 20, 20, 0x404040u);
    LimitFlashes(frame.data(), shown.data(), ms += 16);
  };
  // Ten steady frames, then a strobe: the fourth flash inside a second is held.
  for (int n = 0; n < 10; ++n) show(Black);
  int held = 0;
  for (int n = 0; n < 60; ++n) {
    show(n % 2 ? White : Black);
    if (shown == frame) continue;
    ++held;
    // Held part way: neither the old picture nor the full swing.
    EXPECT_NE(shown[0], 0u);
    EXPECT_NE(shown[0], White);
    // And the picture is the new one: where the figure was a frame ago shows
    // the background, as bright as the background beside it, not a trail.
    const Pixel left = shown[160 * ScreenWidth + figureX - 30], trail = shown[160 * ScreenWidth + figureX - 2];
    EXPECT_NEAR(static_cast<int>(trail & 0xFF), static_cast<int>(left & 0xFF), 3) << n;
    EXPECT_LE(shown[160 * ScreenWidth + figureX + 10] & 0xFF, trail & 0xFF) << n;
  }
  EXPECT_GE(held, 20);  // every other frame: the swings back to black pass
  // Once the strobe stops, the show is back byte for byte within a second.
  for (int n = 0; n < 63; ++n) show(Black);
  EXPECT_EQ(shown, frame);
}
