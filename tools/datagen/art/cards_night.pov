// zintavel-art 320x240
// The end card's ground: the same sea at night, the sun long gone, a last
// teal glow along the horizon (row 120). Dark below, where the datagen sets
// the lettering; the emblem hangs in the sky above.
#include "house.inc"

camera {
  location <0, 1, 0>
  direction z
  right x * 4 / 3
  up y
  angle 60
}

sky_sphere {
  pigment {
    gradient y
    color_map {
      [0.00 color Teal * 0.35]
      [0.03 color Dusk * 0.9]
      [0.15 color Night * 1.2]
      [1.00 color Night]
    }
  }
}

// A low moon off to the left, out of the picture, lays a faint road of light.
sphere {
  <-700, 260, 2000>, 60
  pigment { color Paper }
  finish { emission 1 diffuse 0 ambient 0 }
  no_shadow
}
light_source { <-700, 260, 2000> color Teal * 0.4 }

// The sea: dark, slightly rippled water that draws a road of light towards
// the sun.
plane {
  y, 0
  pigment { color Night }
  normal { bumps 0.3 scale <4, 1, 0.35> }
  finish { ambient 0 diffuse 0.2 specular 0.6 roughness 0.004 reflection { 0.08, 0.7 fresnel on } }
  interior { ior 1.33 }
}
