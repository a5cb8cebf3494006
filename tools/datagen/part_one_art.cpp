// Part one's own pictures: the emblem sprites, the warped texture, the
// mirrored picture and the opening picture.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <vector>

#include "art.h"
#include "drawing.h"

using namespace Palette;

namespace {

// A rendered sprite as the demo keys it: coverage below one half is
// background (the transparent index), everything else opaque in its own
// colour, so no edge pixel carries a blend with a background that is not
// there. Round every shape then runs a dark rim `width` pixels wide: it
// parts the object from the busy texture whatever its colour there.
void KeyWithRim(Canvas& c, Rgb dark, float width) {
  for (float& a : c.alpha) a = a >= 0.5f ? 1.0f : 0.0f;
  const Canvas shape = c;
  const int reach = static_cast<int>(std::ceil(width));
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      if (shape.alpha[static_cast<std::size_t>(y) * c.width + x] > 0) continue;
      bool near = false;
      for (int dy = -reach; dy <= reach && !near; ++dy) {
        for (int dx = -reach; dx <= reach && !near; ++dx) {
          const int px = x + dx, py = y + dy;
          if (px < 0 || py < 0 || px >= c.width || py >= c.height) continue;
          near = shape.alpha[static_cast<std::size_t>(py) * c.width + px] > 0 && std::hypot(float(dx), float(dy)) <= width;
        }
      }
      if (near) c.At(x, y) = dark, c.AlphaAt(x, y) = 1;
    }
  }
}

}  // namespace

Canvas Sprite(int index) {
  // Each sprite is a POV-Ray object (art/one_sprNN.pov) on the part-one stage:
  // chrome, brass and enamel lit by the house sun, drawn where its moves give
  // it its place. The three emblems rest together, left, middle and right;
  // the totems meet from opposite sides (x 95 and 225) with the moon high
  // between them and the range along the bottom; prism and hexagon share the
  // overlay band (rows 80-159) with the starburst between them, the words
  // sliding above and below it, the drifting rings along the top and bottom
  // edges; the large Z has a dark body so the words read over it.
  char name[16];
  std::snprintf(name, sizeof name, "one_spr%02d", index);
  Canvas c = Art(name, 320, 240);
  // The drifting rings are small: a thinner rim, or it would swamp them.
  const bool small = index >= 6 && index <= 9;
  KeyWithRim(c, Night, small ? 1.0f : 1.5f);
  return c;
}

Canvas PartOneTexture() {
  Canvas c(256, 256);
  c.Shade([](float x, float y) {
    // A sunset sky to be warped: long cloud banks lit red from below by the
    // sun just gone, Dusk between them, thin teal veins of the high sky. Every
    // period divides 256, so it tiles.
    const float n = FractalNoise(x / 32, y / 32, 8, 4, 9);
    const float m = FractalNoise(x / 16, y / 16, 16, 3, 23);
    auto smooth = [](float a, float b, float v) {
      const float t = std::clamp((v - a) / (b - a), 0.0f, 1.0f);
      return t * t * (3 - 2 * t);
    };
    // Banks: slanted bands, bent by the noise and frayed by the finer one.
    const float bank = 0.5f + 0.5f * std::sin(y * 2 * Pi / 64 + x * 2 * Pi / 256 + n * 7);
    const float cloud = smooth(0.42f, 0.78f, bank * 0.75f + m * 0.45f);
    // The lit underside of each bank: the band's falling edge.
    const float edge = smooth(0.6f, 1.0f, 0.5f + 0.5f * std::sin(y * 2 * Pi / 64 + x * 2 * Pi / 256 + n * 7 - 0.9f));
    const float v = std::sin((x * 2 * Pi / 256) * 2 + (y * 2 * Pi / 256) * 3 + n * 10);
    const float vein = std::exp(-v * v * 90) * smooth(0.35f, 0.6f, m);
    // The beat flash adds the frame to itself twice (about four times as
    // bright) and the finale swings it to its negative and back, five times a
    // second. So every colour is one whose flashed form and that form's
    // negative are about equally bright, or the swing flickers the whole
    // screen: Dusk (clips to periwinkle, negative olive) and a deep sunset red
    // with little green (clips to red-orange, negative sky blue). Green sets
    // the balance; the lit edges of the banks only redden.
    Rgb col = Mix(Hex(0x1a1c50), Hex(0x261e5e), smooth(0.3f, 0.7f, n));
    col = Mix(col, Mix(Hex(0x700a26), Hex(0xf01a0c), smooth(0.25f, 0.8f, m)), cloud * 0.97f);
    col = col + Rgb{0.3f, 0.05f, 0.0f} * (edge * cloud);
    col = col + Teal * (0.5f * vein * (1 - cloud));
    return col;
  });
  // Stars in the clear sky between the banks: where the scene shows nothing
  // but the warped sky (the end of the tunnel, the finale's gaps) they stream
  // past with the flow and twinkle as the grid stretches them. Few and small,
  // so the flashes and negatives hardly see them.
  Random r(5);
  for (int k = 0; k < 140; ++k) {
    const int sx = static_cast<int>(r.Range(0, 256)), sy = static_cast<int>(r.Range(0, 256));
    const float bright = r.Range(0.35f, 0.8f);
    const Rgb tint = k % 3 == 0 ? Teal : (k % 3 == 1 ? Gold : Paper);
    if (c.At(sx, sy).r > 0.25f) continue;  // behind a bank
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const float fall = dx == 0 && dy == 0 ? 1.0f : (dx == 0 || dy == 0 ? 0.3f : 0.0f);
        Rgb& q = c.At((sx + dx) & 255, (sy + dy) & 255);
        q = Mix(q, tint, bright * fall);
      }
    }
  }
  return c;
}

Canvas MirrorPicture() {
  Canvas c(320, 240, {});
  // The sun going down on a horizon of thin light, dark elsewhere; it is also
  // shown upside down. The picture is added whole and then doubled by the
  // beat, so all of it is thin lines and a low afterglow, never a bright area.
  c.Shade([](float, float y) { return Ember * 0.16f * std::exp(-std::pow((y - 180) / 40, 2.0f)); });
  c.Glow(160, 180, 28, Gold * 0.22f);
  c.Line(0, 180, 320, 180, 2, Gold * 0.75f);
  c.Line(0, 186, 320, 186, 1, Teal * 0.35f);
  // The setting sun's rings over the horizon (arcs, not bars: nothing here may
  // look like a meter that should move with the music), amber low, teal high.
  for (int k = 0; k < 5; ++k) {
    const float r = 24 + k * 18.0f;
    c.FillShape([=](float px, float py) { const float d = std::hypot(px - 160, py - 180); return py < 179 && d > r - 1.6f && d < r + 1.6f; },
                [=](float, float py) { return Mix(Gold * 0.7f, Teal * 0.45f, std::clamp((180 - py) / 110, 0.0f, 1.0f)); },
                0.9f - k * 0.12f);
  }
  // Its reflection in the water below: broken amber strokes.
  Random r(41);
  for (int row = 0; row < 9; ++row) {
    const float y = 190 + row * 5.5f, half = 34 - row * 2.5f;
    for (float x = 160 - half; x < 160 + half;) {
      const float len = r.Range(4, 12);
      c.Line(x, y, std::min(x + len, 160 + half), y, 1.2f, Gold * (0.45f - row * 0.035f));
      x += len + r.Range(3, 7);
    }
  }
  return c;
}

Canvas OpeningPicture(const Fonts& fonts) {
  Canvas c(320, 240, {});
  // Light, not an object: every use adds this picture at a strength that
  // changes at random from frame to frame (the zoom, its flicker and the flash
  // cuts), so what it holds is seen flickering. A low sun in its corona
  // flickers as light does; an emblem would blink. Its rays reach the edges
  // and corners, which the drifting cuts bring on screen at twice the size.
  c.Glow(160, 120, 46, Ember * 0.24f);  // what the opening zoom's blur leaves of it
  c.Glow(160, 120, 12, Gold * 0.5f);
  Ring(c, 160, 120, 44, 2.5f, Gold * 0.85f, Ember * 0.7f);
  Ring(c, 160, 120, 72, 1.5f, Teal * 0.5f, Teal * 0.7f, 0.9f);
  Random r(11);
  for (int k = 0; k < 36; ++k) {
    const float a = 2 * Pi * (k + r.Range(-0.25f, 0.25f)) / 36;
    const bool longRay = k % 3 == 0;
    const float len = longRay ? 260.0f : r.Range(70, 140);
    const Rgb colour = k % 2 ? Teal * 0.38f : Gold * 0.48f;
    c.Line(160 + 22 * std::cos(a), 120 + 22 * std::sin(a), 160 + len * std::cos(a), 120 + len * std::sin(a),
           longRay ? 1.6f : 1.0f, colour);
  }
  // Flare ghosts up toward the top edge and the top-left corner: the cuts in
  // the finale drift the picture so far that only its top rows (at the foot
  // of the screen) or its top-left corner (at the bottom right) are seen, and
  // there the ghosts keep something lit.
  const Point ghosts[] = {{143, 88}, {128, 58}, {114, 30}, {104, 10}, {70, 42}, {38, 24}, {200, 22}};
  for (std::size_t g = 0; g < std::size(ghosts); ++g) {
    const float gr = 6 + static_cast<float>((g * 5) % 9);
    const Rgb tint = g % 2 ? Gold : Teal;
    c.Glow(ghosts[g].x, ghosts[g].y, gr * 0.8f, tint * 0.12f);
    Ring(c, ghosts[g].x, ghosts[g].y, gr, 1.4f, tint * 0.55f, tint * 0.35f);
  }
  (void)fonts;  // no lettering: the zoom and the cuts stretch and drift this picture
  return c;
}
