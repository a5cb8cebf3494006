// A small floating-point RGBA canvas for designing the default pictures, with
// the few drawing operations they need. Colours are 0..1 per channel; alpha is
// coverage (used to decide which sprite pixels are transparent).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

struct Rgb {
  float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, float k);
Rgb Mix(Rgb a, Rgb b, float t);
Rgb Hex(std::uint32_t rrggbb);

// The house palette.
namespace Palette {
inline const Rgb Night = {0.04f, 0.024f, 0.10f};
inline const Rgb Indigo = {0.16f, 0.09f, 0.38f};
inline const Rgb Violet = {0.47f, 0.19f, 0.78f};
inline const Rgb Magenta = {1.0f, 0.16f, 0.55f};
inline const Rgb Cyan = {0.16f, 0.86f, 1.0f};
inline const Rgb Amber = {1.0f, 0.70f, 0.24f};
inline const Rgb White = {1.0f, 1.0f, 1.0f};
// The rendered show's palette (tools/datagen/ART.md, art/house.inc).
inline const Rgb Dusk = Hex(0x23204f);
inline const Rgb Ember = Hex(0xff7a3d);
inline const Rgb Gold = Hex(0xffc15e);
inline const Rgb Teal = Hex(0x2fd3c4);
inline const Rgb Rose = Hex(0xff4f8b);
inline const Rgb Ink = Hex(0x171a36);
inline const Rgb Paper = Hex(0xf4efe6);
}  // namespace Palette

struct Canvas {
  int width, height;
  std::vector<Rgb> rgb;
  std::vector<float> alpha;
  Canvas(int w, int h, Rgb fill = {}, float a = 1.0f);

  Rgb& At(int x, int y) { return rgb[static_cast<std::size_t>(y) * width + x]; }
  float& AlphaAt(int x, int y) { return alpha[static_cast<std::size_t>(y) * width + x]; }

  // Paints colour c with coverage `cover` (0..1) at a pixel: over, or added.
  void Blend(int x, int y, Rgb c, float cover);
  void Add(int x, int y, Rgb c, float amount);

  // Per-pixel shader over the whole canvas: f(x, y) -> colour.
  void Shade(const std::function<Rgb(float x, float y)>& f);
  // Coverage-based shapes, anti-aliased by supersampling `inside` 4x4 per pixel.
  void FillShape(const std::function<bool(float x, float y)>& inside, const std::function<Rgb(float x, float y)>& colour,
                 float opacity = 1.0f);
  // Additive soft glow of radius r around (cx, cy).
  void Glow(float cx, float cy, float r, Rgb c, float strength = 1.0f);
  // Anti-aliased line of the given width, added or painted over.
  void Line(float x0, float y0, float x1, float y1, float width, Rgb c, bool additive = true);

  std::vector<std::uint32_t> Pixels() const;  // 0x00RRGGBB, clamped
};

// Periodic value noise: period p (in lattice cells) in both directions, so a
// texture built from it tiles without a seam.
float PeriodicNoise(float x, float y, int period, std::uint32_t seed);
float FractalNoise(float x, float y, int period, int octaves, std::uint32_t seed);

// Deterministic small random numbers for layouts.
struct Random {
  std::uint32_t state;
  explicit Random(std::uint32_t seed) : state(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
  float Range(float a, float b) { return a + (b - a) * Unit(); }
};
