// zintavel-art 320x240
// The second picture part one cuts to: a tall pane of coloured glass lit
// from behind, between dark pillars, over black. Besides the cuts it tints the
// lettering of the first pages (the demo moves it 65 columns right): the
// pane fills source columns 115 to 256, the pages' text lies under 117 to
// 254, so that is where the glass must be deep and saturated, never near
// white nor near black, its colours changing slowly across it: no leading
// or frame crosses it, or every letter over that line would change colour.
#include "house.inc"

camera {
  orthographic
  location <160, 120, -1000>
  look_at <160, 120, 0>
  right x * 320
  up y * 240
}
background { color rgb 0 }
light_source { <-2000, 900, -1500> color Amber * 0.9 }
light_source { <2000, 600, -400> color Teal * 0.8 }

// The glass: ink blue into teal, back to blue, then rose and ember across, with slow streaks
// down it. Lit from behind, so it glows by itself.
box {
  <115, -2, 10>, <257, 242, 12>
  pigment {
    gradient x
    turbulence <0.03, 0.3, 0> octaves 2
    color_map {
      [0.00 color srgb <0.14, 0.18, 0.46>]
      [0.12 color srgb <0.14, 0.18, 0.46>]
      [0.30 color srgb <0.05, 0.40, 0.42>]
      [0.46 color srgb <0.16, 0.18, 0.51>]
      [0.64 color srgb <0.50, 0.11, 0.32>]
      [0.88 color srgb <0.54, 0.20, 0.10>]
      [1.00 color srgb <0.54, 0.20, 0.10>]
    }
    scale 184 translate x * 94
  }
  finish { emission 1 diffuse 0 ambient 0 }
}

// Dark frame pillars either side, caught only along their edges.
#declare Pillar = material { texture {
  pigment { color Night }
  finish { ambient 0 diffuse 0.5 specular 0.8 roughness 0.004 reflection 0.1 }
} }
cylinder { <107, -5, 0>, <107, 245, 0>, 8 material { Pillar } }
cylinder { <265, -5, 0>, <265, 245, 0>, 8 material { Pillar } }
// Thin rods of light across the dark on either side.
#declare Rod = material { texture { pigment { color Teal } finish { emission 0.6 diffuse 0.3 ambient 0 } } }
cylinder { <0, 60, 4>, <99, 60, 4>, 0.7 material { Rod } }
cylinder { <0, 182, 4>, <99, 182, 4>, 0.5 material { Rod } }
cylinder { <273, 96, 4>, <320, 96, 4>, 0.6 material { Rod } }
cylinder { <273, 206, 4>, <320, 206, 4>, 0.5 material { Rod } }
