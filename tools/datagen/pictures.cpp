#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float Pi = 3.14159265358979f;
using namespace Palette;

struct Point {
  float x, y;
};

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
void Ring(Canvas& c, float cx, float cy, float r, float w, Rgb a, Rgb b, float opacity = 1.0f) {
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

void FillPolygon(Canvas& c, const std::vector<Point>& poly, Rgb a, Rgb b, float opacity = 1.0f) {
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
             bool additive = false) {
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

// A humanoid figure from capsules: head, torso, arms, legs (figure-local units).
struct Limb {
  Point a, b;
  float r;
};
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

}  // namespace

Canvas TitleCard(const Fonts& fonts) {
  Canvas c(320, 240);
  Sky(c, Night, Indigo);
  const Canvas sky = c;
  c.Glow(160, 150, 70, Magenta * 0.55f, 1.0f);
  c.Glow(160, 150, 28, Amber, 0.6f);
  FloorGrid(c, 150, Violet, 0.8f);
  // The group's emblem rises on the horizon where the sun would be: its ring,
  // cut by the horizon, round the Z.
  c.FillShape([](float x, float y) { const float d = std::hypot(x - 160, y - 150); return y < 150 && d > 24.5f && d < 29.5f; },
              [](float, float y) { return Mix(Amber, Magenta, std::clamp((y - 121) / 29, 0.0f, 1.0f)); });
  FillPolygon(c, ZShape(160, 137, 10), White, Amber);
  Outline(c, ZShape(160, 137, 10), 1, Night, false);
  // Horizon line.
  c.Line(0, 150, 320, 150, 1.5f, Magenta * 0.9f);
  Caption(c, fonts.bold, 12, "SATURATE presents", 160, 44, Mix(Cyan, White, 0.55f));
  GlowTitle(c, fonts.bold, 54, "ZINTAVEL", 160, 112, Cyan, Magenta, Violet * 0.9f);
  Caption(c, fonts.regular, 11, "a real-time software-rendered demo", 160, 210, Mix(Cyan, White, 0.4f));
  Stars(c, sky, 11, 160, 150);
  return c;
}

Canvas Sprite(int index) {
  Canvas c(320, 240, {}, 0);
  // Part one's sections each have their own colours over the blue texture:
  // ice (the emblems), dusk (totems, range and moon), rose (prism, hexagon,
  // rings), fire (the large Z). Where sprites share the screen they are drawn
  // for the places their moves give them, so none covers another at rest.
  const Rgb ice = Mix(Cyan, White, 0.45f), gold = Amber, ember = Rgb{0.95f, 0.36f, 0.12f};
  const Rgb rose = Mix(Magenta, White, 0.25f), plum = Rgb{0.30f, 0.06f, 0.26f};
  switch (index) {
    // The three emblems rest together, left, middle and right, each in its
    // own third of the screen.
    case 0:  // left emblem: ring and Z, slides in from the right, then falls
      Ring(c, 58, 120, 42, 9, Cyan, Indigo * 1.6f);
      Ring(c, 58, 120, 31, 3, ice, Cyan);
      FillPolygon(c, ZShape(58, 120, 19), White, Cyan);
      break;
    case 13:  // its twin on the right, arriving from the left
      Ring(c, 262, 120, 42, 9, Indigo * 1.6f, Cyan);
      Ring(c, 262, 120, 31, 3, Cyan, ice);
      FillPolygon(c, RegularPolygon(262, 122, 21, 3, -Pi / 2), White, Cyan);
      break;
    case 14:  // a star between the two
      FillPolygon(c, Star(160, 120, 40, 15, 8, 0.2f), White, ice);
      Ring(c, 160, 120, 50, 2.5f, Cyan, White);
      break;
    case 1:  // two totems meeting from opposite sides, at x 95 and 225
    case 2: {
      const float cx = index == 1 ? 95.0f : 225.0f;
      const Rgb a = index == 1 ? gold : ember, b = index == 1 ? ember : plum * 1.5f;
      for (int k = 0; k < 5; ++k) {
        const float y = 30 + k * 40.0f;
        FillPolygon(c, RegularPolygon(cx, y + 14, 24 - k * 2.0f, 6, Pi / 6), Mix(a, White, 0.3f), b);
        Outline(c, RegularPolygon(cx, y + 14, 26 - k * 2.0f, 6, Pi / 6), 1.5f, Mix(gold, White, 0.5f), false);
      }
      c.FillShape([=](float x, float y) { return std::fabs(x - cx) < 3 && y > 20 && y < 225; },
                  [=](float, float) { return Mix(a, White, 0.6f); });
      break;
    }
    case 11: {  // mountains along the bottom
      std::vector<Point> ridge = {{0, 240}};
      Random r(7);
      for (int x = 0; x <= 320; x += 16) {
        // The range sinks into the ground toward both ends: when it slides
        // aside, its end is a slope, not a cut.
        const float rise = std::min(1.0f, std::min(x + 16.0f, 336.0f - x) / 96.0f);
        const float peak = 150 + r.Range(-30, 30) + 25 * std::sin(x * 0.02f);
        ridge.push_back({static_cast<float>(x), 240 - (240 - peak) * std::sqrt(rise)});
      }
      ridge.push_back({320, 240});
      FillPolygon(c, ridge, Rgb{0.58f, 0.24f, 0.08f}, Rgb{0.16f, 0.05f, 0.06f});
      for (std::size_t i = 1; i + 2 < ridge.size(); ++i) c.Line(ridge[i].x, ridge[i].y, ridge[i + 1].x, ridge[i + 1].y, 2, gold, false);
      break;
    }
    case 12:  // crescent moon, high in the gap between the totems
      c.FillShape([](float x, float y) { return std::hypot(x - 160, y - 46) < 28 && std::hypot(x - 172, y - 38) > 23; },
                  [&](float x, float) { return Mix(White, gold, (x - 132) / 56); });
      break;
    case 4:  // a large Z: a dark body, so the sliding words still read over it
      FillPolygon(c, ZShape(160, 120, 86), Rgb{0.80f, 0.10f, 0.06f}, Rgb{0.45f, 0.04f, 0.08f});
      Outline(c, ZShape(160, 120, 86), 3, Mix(ember, gold, 0.5f), false);
      break;
    // Prism and hexagon share the overlay band (rows 80-159) with the starburst
    // between them; the words slide above and below it; the drifting rings
    // keep to the top and bottom edges.
    case 3:  // prism, right
      FillPolygon(c, RegularPolygon(224, 133, 48, 3, -Pi / 2), rose * 0.9f, plum);
      Outline(c, RegularPolygon(224, 133, 48, 3, -Pi / 2), 3, White, false);
      c.Line(224, 89, 224, 155, 2, White, false);
      break;
    case 5:  // hexagon, left
      FillPolygon(c, RegularPolygon(88, 120, 42, 6, 0), rose, Violet);
      FillPolygon(c, RegularPolygon(88, 120, 24, 6, 0), Night, plum);
      break;
    case 6:
    case 7:
    case 8:
    case 9: {  // faint clusters of rings and dots that drift along the edges
      Random r(100 + index);
      const Rgb tint = index % 2 ? Violet * 1.3f : Magenta;
      for (int k = 0; k < 9; ++k) {
        const bool top = k % 2 == 0;
        const float rad = r.Range(5, 14), x = r.Range(14, 306);
        const float y = top ? r.Range(8 + rad, 52 - rad) : r.Range(186 + rad, 232 - rad);
        Ring(c, x, y, rad, 2.5f, tint, White);
        c.FillShape([=](float px, float py) { return std::hypot(px - x, py - y) < 2.0f; }, [](float, float) { return White; });
      }
      break;
    }
    case 10:  // a compact starburst at the centre, inside the overlay band
      for (int k = 0; k < 24; ++k) {
        const float a = 2 * Pi * k / 24, len = k % 2 ? 19.0f : 24.0f;
        c.Line(160 + 9 * std::cos(a), 120 + 9 * std::sin(a), 160 + len * std::cos(a), 120 + len * std::sin(a),
               k % 2 ? 1.5f : 3.0f, k % 2 ? rose : White, false);
      }
      Ring(c, 160, 120, 8, 3, White, rose);
      break;
  }
  // Rims for the solid shapes, light in a colour the texture has little of;
  // the faint rings and the starburst stay light on their own.
  switch (index) {
    case 0: case 13: case 14: Rim(c, Night, Amber); break;
    case 1: case 2: case 12: Rim(c, Night, Cyan); break;
    case 3: case 4: case 5: Rim(c, Night, Mix(Amber, White, 0.5f)); break;
    default: break;
  }
  return c;
}

Canvas Figure(char which) {
  switch (which) {
    case 'a':
      return SolidFigure(FigureOne(), Indigo, Mix(Cyan, White, 0.3f), Cyan, -6);
    case 'c':
      return WireFigure(FigureOne());
    case '4': {
      // The figure seen closer, head and shoulders, dissolving downward: the
      // demo blanks rows 120..147 of this picture in one of its uses, so no
      // opaque pixel may reach row 120 (its box then stays clear of the band).
      Canvas c = SolidFigure(Scaled(FigureOne(), 1.5f, {95, 38}, {15, 12}), Night, Magenta, Amber, 6);
      // It springs up from below as the music crashes (the scene's drop
      // curves): a burst of light behind the head makes that moment a peak.
      const float hx = 110, hy = 50;
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (c.AlphaAt(x, y) > 0.5f) continue;
          const float dx = x + 0.5f - hx, dy = y + 0.5f - hy, d = std::hypot(dx, dy);
          const float a = std::atan2(dy, dx);
          const bool ray = std::sin(a * 14) > 0.2f && d > 32 && d < 60 + 90 * (0.6f + 0.4f * std::cos(a * 7));
          const bool ring = std::fabs(d - 34) < 1.6f;
          if (!ray && !ring) continue;
          c.At(x, y) = ring ? Mix(Amber, White, 0.6f) : Mix(Mix(Amber, White, 0.45f), Mix(Amber, Magenta, 0.6f), std::clamp((d - 32) / 120, 0.0f, 1.0f));
          c.AlphaAt(x, y) = 1;
        }
      }
      static const int bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
      for (int y = 88; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          if (y >= FigureBandTop || (bayer[y % 4][x % 4] + 0.5f) / 16 > (FigureBandTop - y) / 32.0f) c.AlphaAt(x, y) = 0;
        }
      }
      return c;
    }
    default:
      // Kept to the right edge, so the ticker reads across most of the screen.
      // Dimmer than the close figure that rises at the crash, which should outshine it.
      return SolidFigure(Scaled(FigureTwo(), 0.8f, {300, 13}, {12, 0}), Violet * 0.45f, Mix(Amber, Magenta, 0.45f) * 0.8f,
                         Amber, -5);
  }
}

Canvas Badge(int which) {
  // The two pictures alternate every 200 ms for over twelve seconds: they are
  // two steps of one turning beacon, the same box and emblem with the light on
  // opposite corners, so the change reads as motion, not as a blink.
  Canvas c(32, 30, Night);
  c.FillShape([](float x, float y) { return x > 2 && x < 30 && y > 2 && y < 28; },
              [&](float, float y) { return Mix(Indigo, Night, y / 30); });
  Outline(c, {{2, 2}, {30, 2}, {30, 28}, {2, 28}}, 1.5f, Cyan * 0.8f, false);
  FillPolygon(c, ZShape(16, 15, 8), White, Cyan);
  const float lx = which == 0 ? 5.0f : 27.0f, ly = which == 0 ? 5.0f : 25.0f;
  c.FillShape([=](float x, float y) { return std::hypot(x - lx, y - ly) < 2.2f; }, [](float, float) { return Magenta; });
  return c;
}

Canvas EndCard(const Fonts& fonts) {
  // Seen at full strength only for a moment in the middle of the closing
  // fade: big, bright lettering on the dark sky, the group first.
  Canvas c(320, 240);
  Sky(c, Night, Indigo * 0.8f);
  const Canvas sky = c;
  c.Glow(160, 74, 80, Violet * 0.6f);
  Ring(c, 160, 72, 40, 6, Cyan, Magenta);
  FillPolygon(c, ZShape(160, 72, 20), White, Cyan);
  GlowTitle(c, fonts.bold, 44, "SATURATE", 160, 162, White, Cyan, Magenta * 0.7f);
  Caption(c, fonts.bold, 14, "zintavel", 160, 184, Amber);
  Caption(c, fonts.regular, 10, "code tick  -  pictures ochre  -  music hertz", 160, 205, White * 0.92f);
  Caption(c, fonts.bold, 11, "see you at the next party!", 160, 226, Cyan);
  Stars(c, sky, 31, 120, 120);
  return c;
}

Canvas TextBackground(int which) {
  Canvas c(320, 240);
  // Seen through a white frame by multiplication: keep them light enough that
  // the band reads as colour, not as black.
  const Rgb a[] = {Violet, Cyan, Amber, Magenta};
  const Rgb b[] = {Cyan, Violet, Magenta, Indigo};
  c.Shade([&](float x, float y) {
    const float n = FractalNoise(x / 40, y / 40, 64, 3, 40 + which);
    const float wave = 0.5f + 0.5f * std::sin(y * 0.07f + x * 0.03f + which * 2 + n * 4);
    Rgb col = Mix(a[which], b[which], wave);
    return Mix(col, White, 0.25f + 0.25f * n);
  });
  for (int k = 0; k < 8; ++k) c.Line(0, 20 + k * 28.0f, 182, 34 + k * 28.0f, 1, White * 0.25f);
  return c;
}

Canvas CutPicture(int which, const Fonts& fonts) {
  Canvas c(320, 240, {});
  // Cut in and drifted by the scene: thin shapes, no words, and dim enough
  // that a cut changes little of the screen by much. Lime: the cuts come
  // mostly in the tunnel section, and that is its colour.
  const Rgb Lime = {0.55f, 1.0f, 0.25f};
  (void)fonts;
  if (which == 0) {
    for (int k = 1; k <= 6; ++k) Ring(c, 160, 120, k * 22.0f, 1.5f, Mix(Lime, White, k / 6.0f) * 0.55f, Cyan * 0.45f);
    Outline(c, RegularPolygon(160, 120, 34, 6, 0), 2, Lime * 0.7f, true);
  } else {
    Random r(77);
    for (int k = 0; k < 28; ++k) {
      const float y = r.Range(0, 240), x = r.Range(-40, 320), len = r.Range(40, 160);
      c.Line(x, y, x + len, y - len * 0.25f, r.Range(1, 2), Mix(Cyan, Lime, r.Unit()) * r.Range(0.3f, 0.6f));
    }
    Outline(c, Star(160, 120, 44, 18, 4, 0), 2, Lime * 0.7f, true);
  }
  return c;
}

Canvas OpeningPicture(const Fonts& fonts) {
  Canvas c(320, 240, {});
  // The flash cuts stretch this to twice its size and add it at a different
  // strength every frame: a dim body under bright edges keeps the shapes crisp
  // while little of the screen swings by much.
  c.Glow(160, 110, 60, Violet * 0.35f);
  Ring(c, 160, 110, 70, 5, Cyan, Magenta);
  Ring(c, 160, 110, 88, 2, Amber, Cyan, 0.6f);
  FillPolygon(c, ZShape(160, 110, 36), Mix(Violet, Cyan, 0.5f) * 0.5f, Indigo * 0.7f);
  Outline(c, ZShape(160, 110, 36), 2, Mix(Cyan, White, 0.5f), false);
  (void)fonts;  // no lettering: the flash cuts stretch and drift this picture
  return c;
}

Canvas OverlayPicture(int which, const Fonts& fonts) {
  Canvas c(320, 240, {});
  if (which == 0) {  // only rows 80..159 show: a band of light lines and a word
    for (int y = 82; y < 158; y += 4) c.Line(0, y, 320, y, 1, Mix(Violet, Cyan, (y - 80) / 80.0f) * 0.25f);
    // Two ribbons winding round each other along the band.
    for (int strand = 0; strand < 2; ++strand) {
      const float phase = strand * Pi;
      for (int x = 0; x < 320; x += 2) {
        const float y0 = 120 + 26 * std::sin(x * 2 * Pi / 160 + phase), y1 = 120 + 26 * std::sin((x + 2) * 2 * Pi / 160 + phase);
        c.Line(x, y0, x + 2, y1, 2.5f, (strand ? Magenta : Cyan) * 0.55f);
      }
    }
    (void)fonts;
  } else {
    // The finale adds these twice over the whole frame and its beats then
    // double the frame twice: few, thin, dim rays on black, so that pile-up
    // still leaves dark between them instead of a flat clipped screen.
    Random r(200 + which);
    for (int k = 0; k < 28; ++k) {
      const float a = 2 * Pi * (k + r.Range(-0.3f, 0.3f)) / 28, len = r.Range(70, 220);
      c.Line(160 + 20 * std::cos(a), 120 + 20 * std::sin(a), 160 + len * std::cos(a), 120 + len * std::sin(a),
             r.Range(1, 2), (which == 1 ? Mix(Amber, White, 0.4f) : White) * r.Range(0.12f, 0.3f));
    }
    Ring(c, 160, 120, which == 1 ? 60.0f : 100.0f, 3, Mix(Amber, White, 0.5f) * 0.45f, Amber * 0.3f);
  }
  return c;
}

Canvas MirrorPicture() {
  Canvas c(320, 240, {});
  // Light pillars over a horizon line, dark elsewhere; it is also shown upside down.
  // Warm: it lights the dusk section most. A faint afterglow along the
  // horizon tints the slate texture there; the rest stays black, since the
  // picture is added whole and then doubled by the beat.
  c.Shade([](float, float y) { return Rgb{0.20f, 0.07f, 0.0f} * std::exp(-std::pow((y - 180) / 45, 2.0f)); });
  c.Glow(160, 180, 26, Amber * 0.25f);
  c.Line(0, 180, 320, 180, 2, Amber * 0.8f);
  // A setting sun's rings over the horizon (arcs, not bars: nothing here may
  // look like a meter that should move with the music).
  for (int k = 0; k < 5; ++k) {
    const float r = 24 + k * 18.0f;
    c.FillShape([=](float px, float py) { const float d = std::hypot(px - 160, py - 180); return py < 179 && d > r - 2 && d < r + 2; },
                [=](float, float py) { return Mix(Amber * 0.7f, Magenta * 0.4f, (180 - py) / 110); }, 0.9f - k * 0.12f);
  }
  return c;
}

Canvas ScannerTexture() {
  Canvas c(256, 256);
  c.Shade([](float x, float y) {
    const float n = FractalNoise(x / 32, y / 32, 8, 4, 5);
    Rgb col = Mix(Night, Indigo * 1.4f, n);
    // Circuit grid with period 32 (divides 256: seamless).
    const int gx = static_cast<int>(x) % 32, gy = static_cast<int>(y) % 32;
    if (gx == 0 || gy == 0) col = col + Cyan * 0.45f;
    // Bright nodes where the traces cross: the warp sends them drifting as sparks.
    const float nx = std::min(gx, 32 - gx), ny = std::min(gy, 32 - gy);
    col = col + Mix(Cyan, White, 0.5f) * std::exp(-(nx * nx + ny * ny) / 5.0f);
    if ((gx == 16 && gy > 8 && gy < 24) || (gy == 16 && gx > 8 && gx < 24)) col = col + Violet * 0.5f;
    const float pulse = 0.5f + 0.5f * std::sin((x + y) * 2 * Pi / 128);
    return col + Magenta * (0.12f * pulse);
  });
  return c;
}

Canvas PartOneTexture() {
  Canvas c(256, 256);
  c.Shade([](float x, float y) {
    // Marble: noise-bent sine bands, sharpened; every period divides 256.
    const float n = FractalNoise(x / 32, y / 32, 8, 4, 9);
    auto sharp = [](float v, float k) { return std::clamp((v - 0.5f) * k + 0.5f, 0.0f, 1.0f); };
    const float band = sharp(0.5f + 0.5f * std::sin((x * 2 * Pi / 128) + (y * 2 * Pi / 256) + n * 6), 2.2f);
    const float wave2 = 0.5f + 0.5f * std::sin((y * 2 * Pi / 64) - n * 4);
    // Thin light veins where a third field crosses zero.
    const float v = std::sin((x * 2 * Pi / 256) * 3 - (y * 2 * Pi / 256) * 2 + n * 9);
    const float vein = std::exp(-v * v * 60);
    // Deep blue and violet bands, with the orange-red band across them. The
    // beat flash adds the frame to itself twice and the finale swings that to
    // its negative and back, so each colour is chosen for how it clips: blue
    // (a little green, no red) clips to azure, whose negative is orange;
    // violet clips to magenta, whose negative is green; red to orange-red,
    // whose negative is sky blue. Each pair is about equally bright, so the
    // negative changes the colour without flickering the brightness. Green is
    // the channel that sets the balance: too little makes dark seams that
    // flicker against their negatives (five flashes a second at the finale),
    // too much clips to white.
    Rgb col = Mix(Rgb{0.12f, 0.14f, 1.0f}, Rgb{0.56f, 0.09f, 0.9f}, band);
    col = Mix(col, Rgb{1.0f, 0.10f, 0.04f}, std::clamp((wave2 - 0.86f) * 7, 0.0f, 1.0f) * 0.9f);
    col = col + Rgb{0.35f, 0.12f, 0.45f} * vein;
    return Mix(col, Night, 0.07f + 0.2f * (1 - n));
  });
  return c;
}

Canvas SlidePicture(int which, const Fonts& fonts) {
  Canvas c(320, 240, {});
  // Only rows 107..124 and columns 70..244 are ever shown.
  const Rgb colour = which == 0 ? Cyan : Magenta;
  for (int x = 70; x < 245; x += 6) c.Line(x, 108, x, which == 0 ? 111.0f : 110.0f, 1, colour * 0.7f);
  Caption(c, fonts.bold, 14, which == 0 ? "real time - every pixel" : "software - rendered", 157, 123,
          Mix(colour, White, 0.75f), true);
  return c;
}

Canvas BridgePicture(const Fonts& fonts) {
  Canvas c(320, 240);
  Sky(c, Night, Violet * 0.85f);
  const Canvas sky = c;
  // A ringed planet in part two's purple and cyan: a lit sphere (light from
  // the upper left, cloud bands, a cyan rim of atmosphere) and its tilted
  // ring, behind the planet at the back and in front of it at the front, with
  // its shadow on the planet. The stage shows it dimmed, so the lit side is
  // kept bright.
  constexpr float Px = 160, Py = 146, Pr = 78;
  constexpr float Lx = -0.55f, Ly = -0.62f, Lz = 0.56f;
  auto onPlanet = [=](float x, float y) { return std::hypot(x - Px, y - Py) < Pr; };
  c.Glow(Px, Py, Pr + 30, Cyan * 0.28f);
  c.FillShape(onPlanet, [=](float x, float y) {
    const float nx = (x - Px) / Pr, ny = (y - Py) / Pr, nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    const float lit = std::max(0.0f, nx * Lx + ny * Ly + nz * Lz);
    const float lat = ny + 0.2f * nx;  // the bands follow the ring's tilt
    const float bands = 0.5f + 0.5f * std::sin(lat * 17 + 1.5f * std::sin(nx * 6) + FractalNoise(x / 20, y / 20, 16, 2, 61) * 2.5f);
    const Rgb ground = Mix(Indigo * 1.3f, Mix(Violet, Magenta, 0.25f) * 1.1f, bands);
    Rgb col = ground * (0.4f + 1.0f * lit) + Mix(Violet, White, 0.4f) * (0.5f * std::pow(lit, 8.0f));
    return col + Cyan * (0.9f * std::pow(1 - nz, 3.0f) * (0.3f + lit));
  });
  // Ring coordinates: turned by the tilt, then scaled to a unit circle.
  constexpr float Tilt = -0.2f, Rx = 158, Ry = 32;
  const float ct = std::cos(Tilt), st = std::sin(Tilt);
  struct Along {
    float d, side, u;
  };
  auto along = [=](float x, float y, float lift) {
    const float dx = x - Px, dy = y - Py - lift;
    const float u = dx * ct + dy * st, v = -dx * st + dy * ct;
    return Along{(u / Rx) * (u / Rx) + (v / Ry) * (v / Ry), v, u / Rx};
  };
  auto band = [](float d) { return d > 0.56f && d < 1 && !(d > 0.78f && d < 0.82f); };
  auto ringColour = [=](float x, float y) {
    const Along a = along(x, y, 0);
    const float light = std::clamp(0.75f - a.u * 0.5f, 0.2f, 1.0f);
    const Rgb body = Mix(Mix(Indigo * 1.6f, Cyan, light), Mix(Cyan, White, 0.5f), a.d > 0.82f ? 0.15f : 0.5f * light);
    return body * (a.side < 0 ? 0.75f : 1.0f);
  };
  c.FillShape([=](float x, float y) { const Along a = along(x, y, 0); return band(a.d) && a.side < 0 && !onPlanet(x, y); },
              ringColour);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const Along a = along(x + 0.5f, y + 0.5f, 7);
      if (onPlanet(x + 0.5f, y + 0.5f) && a.side >= 0 && band(a.d)) c.At(x, y) = c.At(x, y) * 0.4f;
    }
  }
  c.FillShape([=](float x, float y) { const Along a = along(x, y, 0); return band(a.d) && a.side >= 0; }, ringColour);
  Caption(c, fonts.bold, 16, "part two", 160, 40, White * 0.9f, true);
  Stars(c, sky, 51, 200, 240);
  return c;
}
