// The cards and the pictures part one cuts to: title, badges, overlays,
// slides, the first cut picture, the bridge and the end card.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "drawing.h"

using namespace Palette;

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
