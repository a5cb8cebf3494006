// zintavel-art 320x240
// The title card's ground: the sun half set behind a calm sea at dusk. The
// horizon lies on row 150, the sun's centre on column 160; the datagen sets
// the emblem in front of the sun and the lettering in the sky.
#include "house.inc"

// Pitched up so that the horizon, straight ahead, lands 30 rows below the
// middle of the picture: tan(pitch) = 30 / (160 / tan(30 degrees)).
#declare Pitch = degrees(atan2(30 * tan(radians(30)), 160));
camera {
  location <0, 1, 0>
  direction z
  right x * 4 / 3
  up y
  angle 60
  rotate x * -Pitch
}

sky_sphere {
  pigment {
    gradient y
    color_map {
      [0.00 color Ember * 0.9]
      [0.03 color Rose * 0.55]
      [0.10 color Dusk * 1.1]
      [0.30 color Dusk * 0.6]
      [0.60 color Night]
      [1.00 color Night]
    }
  }
}

// The sun: a disc of light straight ahead on the horizon, 44 rows across its
// radius: tan(r) = 44 / 277.
#declare SunR = 2000 * 44 / (160 / tan(radians(30)));
disc {
  <0, 0, 2000>, -z, SunR
  pigment { gradient y color_map { [0 color Ember] [0.5 color Amber] [1 color Paper] } scale SunR * 1.2 }
  finish { emission 1.1 diffuse 0 ambient 0 }
  no_shadow
}

light_source { <0, 30, 2000> color Amber * 1.2 }
light_source { <-400, 80, -200> color Teal * 0.35 shadowless }

// The sea: dark, slightly rippled water that draws a road of light towards
// the sun.
plane {
  y, 0
  pigment { color Night }
  normal { bumps 0.3 scale <4, 1, 0.35> }
  finish { ambient 0 diffuse 0.2 specular 0.6 roughness 0.004 reflection { 0.08, 0.7 fresnel on } }
  interior { ior 1.33 }
}
