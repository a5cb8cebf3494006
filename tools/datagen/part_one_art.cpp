// Part one's own pictures: the emblem sprites, the warped texture, the
// mirrored picture and the opening picture.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "drawing.h"

using namespace Palette;

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

Canvas PartOneTexture() {
  Canvas c(256, 256);
  c.Shade([](float x, float y) {
    // A sunset sky to be warped: long cloud banks lit ember and amber from
    // below, Dusk between them, thin teal veins of the high sky. Every period
    // divides 256, so it tiles.
    const float n = FractalNoise(x / 32, y / 32, 8, 4, 9);
    const float m = FractalNoise(x / 16, y / 16, 16, 3, 23);
    auto smooth = [](float a, float b, float v) {
      const float t = std::clamp((v - a) / (b - a), 0.0f, 1.0f);
      return t * t * (3 - 2 * t);
    };
    // Banks: slanted bands, bent by the noise and frayed by the finer one.
    const float bank = 0.5f + 0.5f * std::sin(y * 2 * Pi / 64 + x * 2 * Pi / 256 + n * 7);
    const float cloud = smooth(0.58f, 0.9f, bank * 0.75f + m * 0.45f);
    // The lit underside of each bank: the band's falling edge.
    const float edge = smooth(0.6f, 1.0f, 0.5f + 0.5f * std::sin(y * 2 * Pi / 64 + x * 2 * Pi / 256 + n * 7 - 0.9f));
    const float v = std::sin((x * 2 * Pi / 256) * 2 + (y * 2 * Pi / 256) * 3 + n * 10);
    const float vein = std::exp(-v * v * 90) * smooth(0.35f, 0.6f, m);
    // Colours sit near the middle of the range: the beats double the frame
    // and the finale swings it to its negative, so neither should glare.
    Rgb col = Mix(Hex(0x1f2250), Hex(0x3a2c62), smooth(0.3f, 0.7f, n));
    col = Mix(col, Mix(Hex(0xa8404a), Ember, m), cloud * 0.9f);
    col = col + Gold * (0.5f * edge * cloud);
    col = col + Teal * (0.55f * vein * (1 - cloud));
    return col;
  });
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
