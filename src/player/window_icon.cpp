#include "player/window_icon.h"

namespace {

struct Sum {
  double r = 0, g = 0, b = 0, w = 0;
  void Add(Pixel p, double weight) {
    r += ((p >> 16) & 0xFF) * weight, g += ((p >> 8) & 0xFF) * weight, b += (p & 0xFF) * weight, w += weight;
  }
  Pixel Mean() const {
    auto c = [&](double v) { return static_cast<Pixel>(v / w + 0.5); };
    return w > 0 ? c(r) << 16 | c(g) << 8 | c(b) : 0;
  }
};

// How much of source cell i lies within [from, to).
double Overlap(int i, double from, double to) {
  const double a = i > from ? i : from, b = i + 1 < to ? i + 1 : to;
  return b > a ? b - a : 0;
}

}  // namespace

std::vector<Pixel> MakeIcon(const Picture& card, int size) {
  const int w = size, h = size * ScreenHeight / ScreenWidth, top = (size - h) / 2;
  const double sx = static_cast<double>(ScreenWidth) / w, sy = static_cast<double>(ScreenHeight) / h;
  std::vector<Pixel> icon(static_cast<std::size_t>(size) * size);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      Sum s;
      for (int v = static_cast<int>(y * sy); v < (y + 1) * sy && v < ScreenHeight; ++v)
        for (int u = static_cast<int>(x * sx); u < (x + 1) * sx && u < ScreenWidth; ++u)
          s.Add(card.pixels[v * ScreenWidth + u], Overlap(u, x * sx, (x + 1) * sx) * Overlap(v, y * sy, (y + 1) * sy));
      icon[static_cast<std::size_t>(top + y) * size + x] = s.Mean();
    }
  }
  Sum above, below;
  for (int x = 0; x < w; ++x) {
    above.Add(icon[static_cast<std::size_t>(top) * size + x], 1);
    below.Add(icon[static_cast<std::size_t>(top + h - 1) * size + x], 1);
  }
  for (int y = 0; y < size; ++y)
    if (y < top || y >= top + h)
      for (int x = 0; x < size; ++x) icon[static_cast<std::size_t>(y) * size + x] = (y < top ? above : below).Mean();
  return icon;
}
