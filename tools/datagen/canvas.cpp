#include "canvas.h"

#include <algorithm>
#include <cmath>

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb Mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }
Rgb Hex(std::uint32_t v) {
  return {((v >> 16) & 255) / 255.0f, ((v >> 8) & 255) / 255.0f, (v & 255) / 255.0f};
}

Canvas::Canvas(int w, int h, Rgb fill, float a)
    : width(w), height(h), rgb(static_cast<std::size_t>(w) * h, fill), alpha(static_cast<std::size_t>(w) * h, a) {}

void Canvas::Blend(int x, int y, Rgb c, float cover) {
  if (x < 0 || y < 0 || x >= width || y >= height || cover <= 0) return;
  cover = std::min(cover, 1.0f);
  Rgb& d = At(x, y);
  d = Mix(d, c, cover);
  float& a = AlphaAt(x, y);
  a = a + (1 - a) * cover;
}

void Canvas::Add(int x, int y, Rgb c, float amount) {
  if (x < 0 || y < 0 || x >= width || y >= height || amount <= 0) return;
  At(x, y) = At(x, y) + c * amount;
}

void Canvas::Shade(const std::function<Rgb(float, float)>& f) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) At(x, y) = f(x + 0.5f, y + 0.5f);
  }
}

void Canvas::FillShape(const std::function<bool(float, float)>& inside, const std::function<Rgb(float, float)>& colour,
                       float opacity) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy) {
        for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4) ? 1 : 0;
      }
      if (hits) Blend(x, y, colour(x + 0.5f, y + 0.5f), opacity * hits / 16.0f);
    }
  }
}

void Canvas::Glow(float cx, float cy, float r, Rgb c, float strength) {
  const int x0 = std::max(0, static_cast<int>(cx - 3 * r)), x1 = std::min(width - 1, static_cast<int>(cx + 3 * r));
  const int y0 = std::max(0, static_cast<int>(cy - 3 * r)), y1 = std::min(height - 1, static_cast<int>(cy + 3 * r));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const float d2 = ((x + 0.5f - cx) * (x + 0.5f - cx) + (y + 0.5f - cy) * (y + 0.5f - cy)) / (r * r);
      Add(x, y, c, strength * std::exp(-d2));
    }
  }
}

void Canvas::Line(float x0, float y0, float x1, float y1, float w, Rgb c, bool additive) {
  const float minX = std::min(x0, x1) - w - 1, maxX = std::max(x0, x1) + w + 1;
  const float minY = std::min(y0, y1) - w - 1, maxY = std::max(y0, y1) + w + 1;
  const float dx = x1 - x0, dy = y1 - y0, len2 = std::max(dx * dx + dy * dy, 1e-6f);
  for (int y = std::max(0, static_cast<int>(minY)); y <= std::min(height - 1, static_cast<int>(maxY)); ++y) {
    for (int x = std::max(0, static_cast<int>(minX)); x <= std::min(width - 1, static_cast<int>(maxX)); ++x) {
      const float px = x + 0.5f - x0, py = y + 0.5f - y0;
      const float t = std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f);
      const float ex = px - t * dx, ey = py - t * dy;
      const float cover = std::clamp(w / 2 + 0.5f - std::sqrt(ex * ex + ey * ey), 0.0f, 1.0f);
      if (additive) Add(x, y, c, cover);
      else Blend(x, y, c, cover);
    }
  }
}

std::vector<std::uint32_t> Canvas::Pixels() const {
  std::vector<std::uint32_t> out(rgb.size());
  auto byte = [](float v) { return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
  for (std::size_t i = 0; i < rgb.size(); ++i) out[i] = byte(rgb[i].r) << 16 | byte(rgb[i].g) << 8 | byte(rgb[i].b);
  return out;
}

namespace {
float Lattice(int x, int y, int period, std::uint32_t seed) {
  x = ((x % period) + period) % period;
  y = ((y % period) + period) % period;
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}
float Smooth(float t) { return t * t * (3 - 2 * t); }
}  // namespace

float PeriodicNoise(float x, float y, int period, std::uint32_t seed) {
  const int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
  const float fx = Smooth(x - xi), fy = Smooth(y - yi);
  const float a = Lattice(xi, yi, period, seed), b = Lattice(xi + 1, yi, period, seed);
  const float c = Lattice(xi, yi + 1, period, seed), d = Lattice(xi + 1, yi + 1, period, seed);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

float FractalNoise(float x, float y, int period, int octaves, std::uint32_t seed) {
  float sum = 0, weight = 0, amp = 1;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * PeriodicNoise(x, y, period, seed + o);
    weight += amp;
    amp *= 0.5f;
    x *= 2, y *= 2, period *= 2;
  }
  return sum / weight;
}
