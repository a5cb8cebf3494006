// zintavel-art 320x240
// The bridge into part two: a ringed giant in the last light, the sun low on
// its left (Ember), a teal rim from behind, over the night sky. One unit is
// one pixel: the orthographic camera maps x to the column and y to 240 minus
// the row. The datagen adds the stars and the lettering above the planet.
#include "house.inc"

camera {
  orthographic
  location <160, 120, -1000>
  look_at <160, 120, 0>
  right x * 320
  up y * 240
}

background { color Night }
// The sky: night above, a breath of dusk towards the bottom of the picture.
plane {
  z, 600
  pigment { gradient y color_map { [0 color Dusk * 0.9] [0.45 color Night * 1.1] [1 color Night] } scale 240 }
  finish { emission 1 diffuse 0 ambient 0 }
  no_shadow
}

#declare Centre = <160, 240 - 146, 0>;
#declare Radius = 78;

light_source { Centre + <-2600, 900, -1500> color Ember * 1.6 }
light_source { Centre + <1400, 500, 3000> color Teal * 1.1 }

// The giant: bands that follow the ring's tilt, stirred a little.
sphere {
  0, Radius
  pigment {
    gradient y
    turbulence 0.12 octaves 3 lambda 2.5
    color_map {
      [0.00 color Dusk * 2.0]
      [0.20 color Amber * 0.7]
      [0.32 color Ember * 0.75]
      [0.45 color Dusk * 2.2]
      [0.58 color Rose * 0.55]
      [0.70 color Amber * 0.8]
      [0.84 color Dusk * 2.4]
      [1.00 color Dusk * 2.0]
    }
    scale Radius * 0.42
  }
  finish { ambient 0 diffuse 0.9 brilliance 1.2 specular 0.15 roughness 0.08 }
  rotate z * -11
  translate Centre
}

// Its air: clear face on, teal towards the edge.
sphere {
  0, Radius * 1.04
  hollow
  pigment { aoi color_map { [0.50 color Teal transmit 0.2] [0.56 color Teal transmit 0.6] [0.66 color rgbt <0, 0, 0, 1>] [1.0 color rgbt <0, 0, 0, 1>] } }
  finish { emission 0.8 diffuse 0.4 ambient 0 }
  no_shadow
  translate Centre
}

// The ring, nearly edge on: thin bands of brass and dust with gaps.
disc {
  0, y, Radius * 2.05, Radius * 1.3
  pigment {
    onion
    color_map {
      [0.00 color Amber * 0.9 transmit 0.15]
      [0.68 color Amber * 0.9 transmit 0.15]
      [0.70 color Ember * 0.7 transmit 0.5]
      [0.76 color rgbt <0, 0, 0, 1>]
      [0.79 color Paper * 0.8 transmit 0.3]
      [0.90 color Amber * 0.7 transmit 0.4]
      [0.97 color Ember * 0.5 transmit 0.7]
      [1.00 color rgbt <0, 0, 0, 1>]
    }
    scale Radius * 2.1
  }
  finish { ambient 0 diffuse 0.9 emission 0.06 }
  rotate x * -12
  rotate z * -11
  translate Centre
}

// A small moon high on the right, lit the same way.
sphere {
  <272, 240 - 52, 0>, 9
  pigment { granite color_map { [0 color Paper * 0.6] [1 color Amber * 0.5] } scale 6 }
  finish { ambient 0 diffuse 1 }
}
