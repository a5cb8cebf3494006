// zintavel-art 176x3
// The rail over the lettering of part one's sliding strips: a thin glass rod
// lit from inside, brightest in the middle and dying out towards its ends, on
// black (the strips are added). Neutral: the datagen colours it per strip.
#include "house.inc"

camera {
  orthographic
  location <88, 1.5, -1000>
  look_at <88, 1.5, 0>
  right x * 176
  up y * 3
}
background { color rgb 0 }
light_source { <-2000, 800, -1500> color rgb 1 }

cylinder {
  <4, 1.5, 0>, <172, 1.5, 0>, 0.8
  pigment {
    gradient x
    color_map { [0 color rgb 0] [0.2 color Paper * 0.5] [0.5 color Paper] [0.8 color Paper * 0.5] [1 color rgb 0] }
    scale 168 translate x * 4
  }
  finish { emission 0.8 diffuse 0.3 specular 0.9 roughness 0.003 ambient 0 }
}
