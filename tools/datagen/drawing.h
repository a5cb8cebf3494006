// Drawing helpers shared by the default pictures: shapes, lettering, skies and
// the figures' capsule bodies, on the floating-point canvas.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "text.h"

inline constexpr float Pi = 3.14159265358979f;

struct Point {
  float x, y;
};

// A humanoid figure from capsules: head, torso, arms, legs (figure-local units).
struct Limb {
  Point a, b;
  float r;
};

bool InPolygon(const std::vector<Point>& poly, float x, float y);
float SegmentDistance(float px, float py, Point a, Point b);
// Night sky: a vertical gradient.
void Sky(Canvas& c, Rgb top, Rgb bottom);
// Stars, added once everything else is drawn: only above the horizon and only
// where the picture is still the bare sky around the star (no lettering, glow
// or emblem within two pixels).
void Stars(Canvas& c, const Canvas& sky, std::uint32_t seed, int stars, float horizon);
// A ring of radius r and thickness w, shaded from colour a to b around it.
void Ring(Canvas& c, float cx, float cy, float r, float w, Rgb a, Rgb b, float opacity = 1.0f);
// The house emblem: a bold Z made of three bars.
std::vector<Point> ZShape(float cx, float cy, float s);
void FillPolygon(Canvas& c, const std::vector<Point>& poly, Rgb a, Rgb b, float opacity = 1.0f);
void Outline(Canvas& c, const std::vector<Point>& poly, float w, Rgb colour, bool additive);
std::vector<Point> RegularPolygon(float cx, float cy, float r, int sides, float turn);
std::vector<Point> Star(float cx, float cy, float r0, float r1, int points, float turn);
// Centred lettering.
void Caption(Canvas& c, const Typeface& face, int size, const std::string& text, float cx, float baseline, Rgb colour,
             bool additive = false);
// Lettering in a vertical gradient with a soft glow behind it.
void GlowTitle(Canvas& c, const Typeface& face, int size, const std::string& text, float cx, float baseline, Rgb top,
               Rgb bottom, Rgb glow);
// Perspective floor grid below the horizon, added.
void FloorGrid(Canvas& c, float horizon, Rgb colour, float strength);
std::vector<Limb> FigureOne();
std::vector<Limb> FigureTwo();
// The limbs scaled by k about (cx, cy), then moved by (dx, dy).
std::vector<Limb> Scaled(std::vector<Limb> limbs, float k, Point about, Point move);
float FigureDistance(const std::vector<Limb>& limbs, float x, float y);
Canvas SolidFigure(const std::vector<Limb>& limbs, Rgb dark, Rgb light, Rgb rim, float lightX);
Canvas WireFigure(const std::vector<Limb>& limbs);
// A rim round every shape of a sprite: a dark line next to it, then a light
// one outside that, so the shape stands in front of the busy texture whatever
// their colours. Only transparent pixels are painted.
void Rim(Canvas& c, Rgb dark, Rgb light);
