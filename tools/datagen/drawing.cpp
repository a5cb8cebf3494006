#include "drawing.h"

#include <algorithm>
#include <cmath>
#include <vector>

using namespace Palette;

bool InPolygon(const std::vector<Point>& poly, float x, float y) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    if ((poly[i].y > y) != (poly[j].y > y) &&
        x < (poly[j].x - poly[i].x) * (y - poly[i].y) / (poly[j].y - poly[i].y) + poly[i].x) {
      in = !in;
    }
  }
  return in;
}

float SegmentDistance(float px, float py, Point a, Point b) {
  const float dx = b.x - a.x, dy = b.y - a.y;
  const float t = std::clamp(((px - a.x) * dx + (py - a.y) * dy) / std::max(dx * dx + dy * dy, 1e-6f), 0.0f, 1.0f);
  const float ex = px - a.x - t * dx, ey = py - a.y - t * dy;
  return std::sqrt(ex * ex + ey * ey);
}

// Night sky: a vertical gradient.
void Sky(Canvas& c, Rgb top, Rgb bottom) {
  c.Shade([&](float, float y) { return Mix(top, bottom, y / c.height); });
}

// Stars, added once everything else is drawn: only above the horizon and only
// where the picture is still the bare sky around the star (no lettering, glow
// or emblem within two pixels).
void Stars(Canvas& c, const Canvas& sky, std::uint32_t seed, int stars, float horizon) {
  Random r(seed);
  auto bare = [&](int x, int y) {
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const int px = std::clamp(x + dx, 0, c.width - 1), py = std::clamp(y + dy, 0, c.height - 1);
        const std::size_t i = static_cast<std::size_t>(py) * c.width + px;
        const Rgb a = c.rgb[i], b = sky.rgb[i];
        if (std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b) > 0.04f) return false;
      }
    }
    return true;
  };
  for (int i = 0; i < stars; ++i) {
    const int x = static_cast<int>(r.Range(0, c.width)), y = static_cast<int>(r.Range(0, horizon - 4));
    const float s = r.Range(0.2f, 1.0f);
    const Rgb tint = Mix(Cyan, White, r.Unit());
    if (bare(x, y)) c.Add(x, y, tint, s);
  }
}

// A ring of radius r and thickness w, shaded from colour a to b around it.
void Ring(Canvas& c, float cx, float cy, float r, float w, Rgb a, Rgb b, float opacity) {
  c.FillShape(
      [=](float x, float y) {
        const float d = std::hypot(x - cx, y - cy);
        return d > r - w / 2 && d < r + w / 2;
      },
      [=](float x, float y) { return Mix(a, b, (std::atan2(y - cy, x - cx) / Pi + 1) / 2); }, opacity);
}

// The house emblem: a bold Z made of three bars.
std::vector<Point> ZShape(float cx, float cy, float s) {
  return {{cx - s, cy - s},         {cx + s, cy - s},         {cx + s, cy - s * 0.6f},
          {cx - s * 0.35f, cy + s * 0.6f}, {cx + s, cy + s * 0.6f}, {cx + s, cy + s},
          {cx - s, cy + s},         {cx - s, cy + s * 0.6f},  {cx + s * 0.35f, cy - s * 0.6f},
          {cx - s, cy - s * 0.6f}};
}

void FillPolygon(Canvas& c, const std::vector<Point>& poly, Rgb a, Rgb b, float opacity) {
  float minY = 1e9f, maxY = -1e9f;
  for (const Point& p : poly) minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  c.FillShape([&](float x, float y) { return InPolygon(poly, x, y); },
              [&](float, float y) { return Mix(a, b, std::clamp((y - minY) / (maxY - minY + 1e-3f), 0.0f, 1.0f)); },
              opacity);
}

void Outline(Canvas& c, const std::vector<Point>& poly, float w, Rgb colour, bool additive) {
  for (std::size_t i = 0; i < poly.size(); ++i) {
    const Point a = poly[i], b = poly[(i + 1) % poly.size()];
    c.Line(a.x, a.y, b.x, b.y, w, colour, additive);
  }
}

std::vector<Point> RegularPolygon(float cx, float cy, float r, int sides, float turn) {
  std::vector<Point> p;
  for (int i = 0; i < sides; ++i) {
    const float a = turn + 2 * Pi * i / sides;
    p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return p;
}

std::vector<Point> Star(float cx, float cy, float r0, float r1, int points, float turn) {
  std::vector<Point> p;
  for (int i = 0; i < 2 * points; ++i) {
    const float a = turn + Pi * i / points, r = i % 2 ? r1 : r0;
    p.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return p;
}

// Centred lettering.
void Caption(Canvas& c, const Typeface& face, int size, const std::string& text, float cx, float baseline, Rgb colour,
             bool additive) {
  face.SetPixelSize(size);
  face.Draw(c, text, cx - face.TextWidth(text) / 2.0f, baseline, colour, additive);
}

// Lettering in a vertical gradient with a soft glow behind it.
void GlowTitle(Canvas& c, const Typeface& face, int size, const std::string& text, float cx, float baseline, Rgb top,
               Rgb bottom, Rgb glow) {
  Canvas mask(c.width, c.height, {}, 0);
  Caption(mask, face, size, text, cx, baseline, White);
  // Glow: a cheap blur of the mask, added.
  std::vector<float> m(mask.alpha.size());
  for (std::size_t i = 0; i < m.size(); ++i) m[i] = mask.alpha[i];
  for (int pass = 0; pass < 3; ++pass) {
    std::vector<float> next(m.size(), 0);
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        float s = 0;
        int n = 0;
        for (int d = -3; d <= 3; ++d) {
          const int xx = x + (pass % 2 ? 0 : d), yy = y + (pass % 2 ? d : 0);
          if (xx < 0 || yy < 0 || xx >= c.width || yy >= c.height) continue;
          s += m[yy * c.width + xx], ++n;
        }
        next[y * c.width + x] = s / n;
      }
    }
    m.swap(next);
  }
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) c.Add(x, y, glow, m[y * c.width + x] * 1.2f);
  }
  const float height = size * 0.75f;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const float a = mask.alpha[y * c.width + x];
      if (a > 0) c.Blend(x, y, Mix(top, bottom, std::clamp((y - (baseline - height)) / height, 0.0f, 1.0f)), a);
    }
  }
}

// Perspective floor grid below the horizon, added.
void FloorGrid(Canvas& c, float horizon, Rgb colour, float strength) {
  const float cx = c.width / 2.0f;
  for (int i = -12; i <= 12; ++i) c.Line(cx + i * 6.0f, horizon, cx + i * 60.0f, c.height + 20.0f, 1.0f, colour * strength);
  for (int k = 1; k < 12; ++k) {
    const float y = horizon + (c.height - horizon) * std::pow(k / 11.0f, 2.2f);
    c.Line(0, y, c.width, y, 1.0f, colour * (strength * (0.3f + 0.7f * k / 11.0f)));
  }
}

std::vector<Limb> FigureOne() {
  return {
      {{95, 38}, {95, 38}, 17},     // head
      {{95, 62}, {95, 64}, 9},      // neck
      {{95, 75}, {95, 128}, 26},    // torso
      {{95, 130}, {95, 140}, 22},   // hips
      {{70, 78}, {40, 118}, 8},     // left upper arm
      {{40, 118}, {30, 160}, 7},    // left forearm
      {{120, 78}, {148, 52}, 8},    // right upper arm, raised
      {{148, 52}, {160, 14}, 7},    // right forearm
      {{83, 145}, {72, 190}, 11},   // left thigh
      {{72, 190}, {66, 228}, 9},    // left shin
      {{107, 145}, {124, 188}, 11}, // right thigh
      {{124, 188}, {138, 226}, 9},  // right shin
  };
}

std::vector<Limb> FigureTwo() {
  // A floating, curled figure seen from the side, right of centre.
  return {
      {{238, 28}, {238, 28}, 15},  {{236, 48}, {240, 50}, 7},   {{240, 62}, {252, 104}, 21},
      {{222, 66}, {200, 92}, 7},   {{200, 92}, {214, 118}, 6},  {{258, 66}, {284, 84}, 7},
      {{284, 84}, {296, 60}, 6},   {{250, 112}, {226, 134}, 10}, {{226, 134}, {240, 160}, 8},
      {{258, 112}, {276, 140}, 10}, {{276, 140}, {268, 168}, 8},
  };
}

// The limbs scaled by k about (cx, cy), then moved by (dx, dy).
std::vector<Limb> Scaled(std::vector<Limb> limbs, float k, Point about, Point move) {
  for (Limb& l : limbs) {
    for (Point* p : {&l.a, &l.b}) *p = {about.x + (p->x - about.x) * k + move.x, about.y + (p->y - about.y) * k + move.y};
    l.r *= k;
  }
  return limbs;
}

float FigureDistance(const std::vector<Limb>& limbs, float x, float y) {
  float best = 1e9f;
  for (const Limb& l : limbs) best = std::min(best, SegmentDistance(x, y, l.a, l.b) - l.r);
  return best;
}

Canvas SolidFigure(const std::vector<Limb>& limbs, Rgb dark, Rgb light, Rgb rim, float lightX) {
  Canvas c(320, 240, {}, 0);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const float d = FigureDistance(limbs, x + 0.5f, y + 0.5f);
      if (d > 0.5f) continue;
      // Fake a rounded surface: brighter toward the light, a rim at the edge.
      const float dl = FigureDistance(limbs, x + 0.5f - lightX, y + 0.5f - 3);
      const float shade = std::clamp(0.5f - dl / 14.0f, 0.0f, 1.0f);
      Rgb colour = Mix(dark, light, shade);
      if (d > -2.5f) colour = Mix(colour, rim, 0.7f);
      const float bands = 0.5f + 0.5f * std::sin(y * 0.9f);  // fine horizontal lines, a scanned look
      colour = colour * (0.85f + 0.15f * bands);
      c.Blend(x, y, colour, std::clamp(0.5f - d, 0.0f, 1.0f) > 0.5f ? 1.0f : 0.6f);
    }
  }
  return c;
}

Canvas WireFigure(const std::vector<Limb>& limbs) {
  Canvas c(320, 240, {}, 0);
  for (int y = 0; y < 240; ++y) {
    for (int x = 0; x < 320; ++x) {
      const float d = FigureDistance(limbs, x + 0.5f, y + 0.5f);
      const bool edge = d > -1.8f && d < 0.6f;
      const bool contour = d <= -1.8f && (y % 6 == 0 || (static_cast<int>(-d) % 7 == 0 && x % 2 == 0));
      if (edge) c.Blend(x, y, Cyan, 1);
      else if (contour) c.Blend(x, y, Mix(Indigo, Cyan, 0.55f), 1);
      else if (d <= -1.8f && (x + y) % 11 == 0) c.Blend(x, y, Indigo * 1.4f, 1);
    }
  }
  return c;
}

// A rim round every shape of a sprite: a dark line next to it, then a light
// one outside that, so the shape stands in front of the busy texture whatever
// their colours. Only transparent pixels are painted.
void Rim(Canvas& c, Rgb dark, Rgb light) {
  const Canvas shape = c;
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      if (shape.alpha[static_cast<std::size_t>(y) * c.width + x] >= 0.5f) continue;
      float nearest = 9;
      for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
          const int px = x + dx, py = y + dy;
          if (px < 0 || py < 0 || px >= c.width || py >= c.height) continue;
          if (shape.alpha[static_cast<std::size_t>(py) * c.width + px] >= 0.5f) nearest = std::min(nearest, std::hypot(float(dx), float(dy)));
        }
      }
      if (nearest <= 1.5f) c.At(x, y) = dark, c.AlphaAt(x, y) = 1;
      else if (nearest <= 2.3f) c.At(x, y) = light, c.AlphaAt(x, y) = 1;
    }
  }
}
