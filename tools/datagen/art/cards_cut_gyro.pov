// zintavel-art 320x240
// The first picture part one cuts to: a gyroscope of thin chrome hoops round
// a brass core, lit from the edges on black. The cuts add it whole at a
// strength that flickers from frame to frame, so it is mostly dark: light
// only along the hoops' rims.
#include "house.inc"

camera { location <0, 0, -9> look_at <0, 0, 0> right x * 4 / 3 angle 42 }
background { color rgb 0 }

light_source { <-9, 3, 2> color Ember * 1.4 }
light_source { <8, 4, 6> color Teal * 1.3 }

// Dark hoops: what they mirror is a sky the camera does not see, black but
// for one warm and one cool band, so each hoop is a pair of thin lines.
sphere {
  0, 60 hollow no_image no_shadow
  pigment {
    gradient y scale 120 translate y * -60
    color_map {
      [0.00 color rgb 0] [0.47 color rgb 0] [0.50 color Ember * 0.9] [0.53 color rgb 0]
      [0.62 color rgb 0] [0.65 color Teal * 0.8] [0.68 color rgb 0] [1.00 color rgb 0]
    }
  }
  finish { emission 1 diffuse 0 ambient 0 }
}

#declare Hoop = material { texture {
  pigment { color rgb 0.6 }
  finish { ambient 0 diffuse 0.05 reflection { 0.8 metallic } specular 0.9 roughness 0.003 metallic }
} }

#declare R = array[4] { 2.6, 2.15, 1.7, 1.25 };
#declare Tilt = array[4] { <72, 0, 18>, <10, 64, 0>, <-38, 25, 70>, <55, -40, -20> };
#declare I = 0;
#while (I < 4)
  torus { R[I], 0.075 material { Hoop } rotate Tilt[I] }
  #declare I = I + 1;
#end
sphere { 0, 0.42 material { Brass } }
cylinder { <0, -3.1, 0>, <0, 3.1, 0>, 0.05 material { Hoop } rotate z * 18 }
