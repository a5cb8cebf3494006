// The cards and the pictures part one cuts to: title, badges, overlays,
// slides, the first cut picture, the bridge and the end card. Each is rendered
// by the build (art/cards_*.pov) and finished here: placed, coloured and
// lettered with the house fonts.
#include "pictures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "art.h"
#include "drawing.h"

using namespace Palette;

namespace {

// Paints `src` over `dst` with its top left corner at (left, top), by its alpha.
void Place(Canvas& dst, const Canvas& src, int left, int top) {
  for (int y = 0; y < src.height; ++y) {
    for (int x = 0; x < src.width; ++x) {
      const std::size_t i = static_cast<std::size_t>(y) * src.width + x;
      dst.Blend(left + x, top + y, src.rgb[i], src.alpha[i]);
    }
  }
}

// The picture as the ground that Stars compares against, with everything that
// is not the dim blue night sky (a planet's lit and unlit sides, a moon, the
// sun's glow) marked off, so that no star lands on it.
Canvas DarkSky(const Canvas& c) {
  Canvas sky = c;
  for (Rgb& p : sky.rgb) {
    const float sum = p.r + p.g + p.b;
    if (sum < 0.12f || sum > 0.45f || p.b < p.r || p.b < p.g) p = {1, 0, 1};
  }
  return sky;
}

// The slide strips' lettering: its baseline in the picture's rows.
constexpr float SlideBaseline = 118;

}  // namespace

Canvas TitleCard(const Fonts& fonts) {
  // The sun sets behind the sea; the emblem stands in front of it on the
  // horizon, the name in the sky above.
  Canvas c = Art("cards_title", 320, 240);
  const Canvas ground = DarkSky(c);
  c.Glow(160, 150, 52, Ember * 0.22f);
  Place(c, Art("cards_emblem_title", 56, 56), 132, 116);
  Caption(c, fonts.bold, 12, "SATURATE presents", 160, 44, Mix(Teal, Paper, 0.55f));
  GlowTitle(c, fonts.bold, 54, "ZINTAVEL", 160, 112, Paper, Gold, Rose * 0.55f);
  Caption(c, fonts.regular, 11, "a real-time software-rendered demo", 160, 210, Mix(Teal, Paper, 0.45f));
  Stars(c, ground, 11, 160, 150);
  return c;
}

Canvas Badge(int which) {
  // The two pictures alternate every 200 ms for over twelve seconds: they are
  // two steps of one turning beacon, the same box and emblem with the light on
  // opposite corners, so the change reads as motion, not as a blink.
  Canvas c(32, 30, Night);
  c.FillShape([](float x, float y) { return x > 2 && x < 30 && y > 2 && y < 28; },
              [&](float, float y) { return Mix(Dusk, Night, y / 30); });
  Outline(c, {{2, 2}, {30, 2}, {30, 28}, {2, 28}}, 1.5f, Teal * 0.8f, false);
  Place(c, Art("cards_emblem_badge", 26, 26), 3, 2);
  const float lx = which == 0 ? 5.0f : 27.0f, ly = which == 0 ? 5.0f : 25.0f;
  c.FillShape([=](float x, float y) { return std::hypot(x - lx, y - ly) < 2.2f; }, [](float, float) { return Rose; });
  return c;
}

Canvas EndCard(const Fonts& fonts) {
  // Seen at full strength only for a moment in the middle of the closing
  // fade: big, bright lettering over the night sea, the group first.
  Canvas c = Art("cards_night", 320, 240);
  const Canvas ground = DarkSky(c);
  c.Glow(160, 72, 56, Dusk * 0.7f);
  Place(c, Art("cards_emblem_end", 112, 112), 104, 16);
  GlowTitle(c, fonts.bold, 44, "SATURATE", 160, 162, Paper, Teal, Rose * 0.5f);
  Caption(c, fonts.bold, 14, "zintavel", 160, 184, Gold);
  Caption(c, fonts.regular, 10, "code tick  -  pictures ochre  -  music hertz", 160, 205, Paper * 0.92f);
  Caption(c, fonts.bold, 11, "see you at the next party!", 160, 226, Teal);
  Stars(c, ground, 31, 120, 112);
  return c;
}

Canvas CutPicture(int which, const Fonts& fonts) {
  // Cut in whole at a strength that flickers from frame to frame: thin lit
  // edges on black, so a cut changes little of the screen by much. The
  // second one is also the tint of the first pages' lettering: its coloured
  // window is where their text lies (see art/cards_cut_window.pov).
  (void)fonts;  // no words: the cuts drift and the tint would carry them
  return which == 0 ? Art("cards_cut_gyro", 320, 240) : Art("cards_cut_window", 320, 240);
}

Canvas OverlayPicture(int which, const Fonts& fonts) {
  (void)fonts;
  if (which == 0) {  // only rows 80..159 show: the band of strands
    Canvas c(320, 240, {});
    Place(c, Art("cards_overlay_band", 320, 80), 0, 80);
    return c;
  }
  // The finale adds these twice over the whole frame and its beats then
  // double the frame twice: few, thin, dim rays on black, so that pile-up
  // still leaves dark between them instead of a flat clipped screen.
  return which == 1 ? Art("cards_burst_amber", 320, 240) : Art("cards_burst_teal", 320, 240);
}

Canvas SlidePicture(int which, const Fonts& fonts) {
  Canvas c(320, 240, {});
  // Only rows 107..124 and columns 70..244 are ever shown, added over the
  // scene. The lettering sits high, its descenders four rows clear of the
  // strip's bottom edge: the lower strip ends just above the horizon line of
  // the mirror picture, and a cut-off tail or a rule along the baseline reads
  // as a mistake.
  const Rgb colour = which == 0 ? Teal : Rose;
  const Canvas rail = Art("cards_slide_rail", 176, 3);
  for (int y = 0; y < rail.height; ++y) {
    for (int x = 0; x < rail.width; ++x) {
      const Rgb r = rail.rgb[static_cast<std::size_t>(y) * rail.width + x];
      c.At(69 + x, 107 + y) = {r.r * colour.r, r.g * colour.g, r.b * colour.b};
    }
  }
  Caption(c, fonts.bold, 11, which == 0 ? "real time - every pixel" : "software - rendered", 157, SlideBaseline,
          Mix(colour, Paper, 0.7f), true);
  return c;
}

Canvas BridgePicture(const Fonts& fonts) {
  // A ringed giant in the last light, lit by the low sun from the left with a
  // teal rim from behind. The stage fades it in from white and dims it to
  // black, so it keeps its lit side bright.
  Canvas c = Art("cards_planet", 320, 240);
  const Canvas sky = DarkSky(c);
  Caption(c, fonts.bold, 16, "part two", 160, 40, Paper * 0.9f, true);
  Stars(c, sky, 51, 200, 240);
  return c;
}
