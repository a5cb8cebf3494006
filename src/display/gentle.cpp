#include "display/gentle.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

constexpr int BlockSize = 40, BlocksX = ScreenWidth / BlockSize, BlocksY = ScreenHeight / BlockSize;
constexpr int Blocks = BlocksX * BlocksY;
constexpr double Swing = 0.1;     // a transition's least move, in relative luminance
constexpr double DarkSide = 0.8;  // a transition's darker side lies under this
constexpr double Margin = 0.01;   // how far short of a transition a held block stops (8-bit rounding)
constexpr int MostTransitions = 7;       // a block's transitions in a second: three flashes
constexpr int AreaBlocks = 12;           // a quarter of the screen
constexpr std::uint32_t WindowMs = 1000;
constexpr int Remembered = MostTransitions + 1;

struct Tables {
  std::array<double, 256> linear{};
  std::array<double, 256> red{}, green{}, blue{};  // weighted for luminance
  std::array<double, 255> mid{};                   // halfway between neighbouring codes, in linear light
  Tables() {
    for (int i = 0; i < 256; ++i) {
      const double v = i / 255.0;
      linear[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
      red[i] = 0.2126 * linear[i], green[i] = 0.7152 * linear[i], blue[i] = 0.0722 * linear[i];
    }
    for (int i = 0; i < 255; ++i) mid[i] = (linear[i] + linear[i + 1]) / 2;
  }
  // The code whose linear value is nearest `l`.
  Pixel Encode(double l) const {
    return static_cast<Pixel>(std::upper_bound(mid.begin(), mid.end(), l) - mid.begin());
  }
};

const Tables& Lut() {
  static const Tables t;
  return t;
}

// A block's level as shown and its transition state.
struct BlockState {
  double level, lo, hi;
  int last;                                     // direction of the last transition, 0 before the first
  std::array<std::uint32_t, Remembered> times;  // of the latest transitions, a ring
  int stored, next;
};

std::array<BlockState, Blocks> State;
std::array<Pixel, PicturePixels> Previous;  // what was shown last
bool Started = false;

void Levels(const Pixel* p, std::array<double, Blocks>& out) {
  const Tables& t = Lut();
  out.fill(0);
  for (int y = 0; y < ScreenHeight; ++y) {
    double* row = out.data() + (y / BlockSize) * BlocksX;
    const Pixel* line = p + y * ScreenWidth;
    for (int bx = 0; bx < BlocksX; ++bx) {
      double sum = 0;
      for (int x = bx * BlockSize; x < (bx + 1) * BlockSize; ++x) {
        const Pixel v = line[x];
        sum += t.red[(v >> 16) & 0xFF] + t.green[(v >> 8) & 0xFF] + t.blue[v & 0xFF];
      }
      row[bx] += sum;
    }
  }
  for (double& l : out) l /= BlockSize * BlockSize;
}

// -1 or 1 when a block moving to `x` makes a falling or rising transition, else 0.
int TransitionTo(const BlockState& s, double x) {
  if (s.last != -1 && s.hi - x >= Swing && x < DarkSide) return -1;
  if (s.last != 1 && x - s.lo >= Swing && s.lo < DarkSide) return 1;
  return 0;
}

int RecentTransitions(const BlockState& s, std::uint32_t nowMs) {
  int n = 0;
  for (int i = 0; i < s.stored; ++i) n += nowMs - s.times[i] < WindowMs;
  return n;
}

void Move(BlockState& s, double x, std::uint32_t nowMs) {
  const int turn = TransitionTo(s, x);
  if (turn != 0) {
    s.last = turn, s.lo = s.hi = x;
    s.times[s.next] = nowMs;
    s.next = (s.next + 1) % Remembered;
    s.stored = std::min(s.stored + 1, Remembered);
  } else {
    s.lo = std::min(s.lo, x), s.hi = std::max(s.hi, x);
  }
  s.level = x;
}

// Dims or lightens the held blocks of `frame` in linear light: a block held
// from rising is scaled toward black by dark[b], one held from falling toward
// white by light[b], so the picture stays the new one and only its brightness
// is held back. Each pixel takes the largest amounts of the blocks around it,
// interpolated between block centres, so no seam shows and no held block
// moves further than allowed.
void Hold(const Pixel* frame, const std::array<double, Blocks>& dark, const std::array<double, Blocks>& light, Pixel* out) {
  const Tables& t = Lut();
  std::array<double, Blocks> d, l;
  for (int by = 0; by < BlocksY; ++by) {
    for (int bx = 0; bx < BlocksX; ++bx) {
      double md = 0, ml = 0;
      for (int y = std::max(0, by - 1); y <= std::min(BlocksY - 1, by + 1); ++y) {
        for (int x = std::max(0, bx - 1); x <= std::min(BlocksX - 1, bx + 1); ++x) {
          md = std::max(md, dark[y * BlocksX + x]), ml = std::max(ml, light[y * BlocksX + x]);
        }
      }
      d[by * BlocksX + bx] = md, l[by * BlocksX + bx] = ml;
    }
  }
  // Between the centres of blocks i and i + 1: the lower index and the weight of the upper.
  auto span = [](int pos, int blocks, int& lower, double& weight) {
    const double c = (pos + 0.5) / BlockSize - 0.5;
    lower = std::clamp(static_cast<int>(std::floor(c)), 0, blocks - 2);
    weight = std::clamp(c - lower, 0.0, 1.0);
  };
  auto at = [](const double* f, double wx, double wy) {
    return (1 - wy) * ((1 - wx) * f[0] + wx * f[1]) + wy * ((1 - wx) * f[BlocksX] + wx * f[BlocksX + 1]);
  };
  for (int y = 0; y < ScreenHeight; ++y) {
    int y0;
    double wy;
    span(y, BlocksY, y0, wy);
    for (int x = 0; x < ScreenWidth; ++x) {
      int x0;
      double wx;
      span(x, BlocksX, x0, wx);
      const std::size_t i = static_cast<std::size_t>(y) * ScreenWidth + x;
      const double* pd = d.data() + y0 * BlocksX + x0;
      const double* pl = l.data() + y0 * BlocksX + x0;
      const bool none = pd[0] == 0 && pd[1] == 0 && pd[BlocksX] == 0 && pd[BlocksX + 1] == 0 && pl[0] == 0 &&
                        pl[1] == 0 && pl[BlocksX] == 0 && pl[BlocksX + 1] == 0;
      if (none) {
        out[i] = frame[i];
        continue;
      }
      const double keep = 1 - at(pd, wx, wy), lift = at(pl, wx, wy);
      const Pixel v = frame[i];
      Pixel held = v & 0xFF000000u;
      for (int shift = 0; shift <= 16; shift += 8) {
        const double c = t.linear[(v >> shift) & 0xFF] * keep;
        held |= t.Encode(c + lift * (1 - c)) << shift;
      }
      out[i] = held;
    }
  }
}

void CopyBlock(const Pixel* from, Pixel* to, int block) {
  const int bx = block % BlocksX, by = block / BlocksX;
  for (int y = by * BlockSize; y < (by + 1) * BlockSize; ++y) {
    const std::size_t at = static_cast<std::size_t>(y) * ScreenWidth + bx * BlockSize;
    std::memcpy(to + at, from + at, BlockSize * sizeof(Pixel));
  }
}

}  // namespace

void ResetFlashLimiter() { Started = false; }

void LimitFlashes(const Pixel* frame, Pixel* shown, std::uint32_t nowMs) {
  std::array<double, Blocks> want;
  Levels(frame, want);
  if (!Started) {
    for (int b = 0; b < Blocks; ++b) State[b] = BlockState{want[b], want[b], want[b], 0, {}, 0, 0};
    std::memcpy(Previous.data(), frame, sizeof Previous);
    std::memcpy(shown, frame, sizeof Previous);
    Started = true;
    return;
  }
  // Blocks past three flashes in the last second, and those the new frame would take there.
  std::array<int, Blocks> recent;
  int hot = 0, joining = 0;
  for (int b = 0; b < Blocks; ++b) {
    recent[b] = RecentTransitions(State[b], nowMs);
    hot += recent[b] > MostTransitions;
    joining += recent[b] == MostTransitions && TransitionTo(State[b], want[b]) != 0;
  }
  std::array<double, Blocks> level = want;
  if (hot + joining < AreaBlocks) {
    std::memcpy(shown, frame, sizeof Previous);
  } else {
    // Hold every joining block just short of its transition.
    std::array<double, Blocks> dark{}, light{};
    for (int b = 0; b < Blocks; ++b) {
      const BlockState& s = State[b];
      const int turn = recent[b] == MostTransitions ? TransitionTo(s, want[b]) : 0;
      if (turn > 0 && want[b] > 0) dark[b] = std::clamp(1 - (s.lo + Swing - Margin) / want[b], 0.0, 1.0);
      if (turn < 0 && want[b] < 1) light[b] = std::clamp(1 - (1 - (s.hi - Swing + Margin)) / (1 - want[b]), 0.0, 1.0);
    }
    Hold(frame, dark, light, shown);
    Levels(shown, level);
    // Rounding or uneven pixels may still tip a held block over: show it as it was.
    int joined = 0;
    for (int b = 0; b < Blocks; ++b) joined += recent[b] == MostTransitions && TransitionTo(State[b], level[b]) != 0;
    if (hot + joined >= AreaBlocks) {
      for (int b = 0; b < Blocks; ++b) {
        if (recent[b] == MostTransitions && TransitionTo(State[b], level[b]) != 0) {
          CopyBlock(Previous.data(), shown, b);
          level[b] = State[b].level;
        }
      }
    }
  }
  for (int b = 0; b < Blocks; ++b) Move(State[b], level[b], nowMs);
  std::memcpy(Previous.data(), shown, sizeof Previous);
}
