// zintavel-art 320x80
// The band of light part one lays over its rows 80 to 159: two glass
// strands, one teal and one amber, winding round each other along the band,
// on black. One unit is one pixel.
#include "house.inc"

camera {
  orthographic
  location <160, 40, -1000>
  look_at <160, 40, 0>
  right x * 320
  up y * 80
}
background { color rgb 0 }
light_source { <-3000, 1500, -2000> color Amber * 1.2 }
light_source { <3000, 800, 1500> color Teal * 1.2 }

#macro Strand(Phase, C)
  union {
    #local X = -12;
    #local P0 = <X, 40 + 24 * sin(X * 2 * pi / 160 + Phase), -24 * cos(X * 2 * pi / 160 + Phase)>;
    #while (X < 332)
      #local X = X + 3;
      #local P1 = <X, 40 + 24 * sin(X * 2 * pi / 160 + Phase), -24 * cos(X * 2 * pi / 160 + Phase)>;
      cylinder { P0, P1, 2.2 }
      sphere { P1, 2.2 }
      #local P0 = P1;
    #end
    texture {
      pigment { color C }
      finish { ambient 0 diffuse 0.5 emission 0.35 specular 0.9 roughness 0.004 }
    }
  }
#end
Strand(0, Teal * 0.8)
Strand(pi, Amber * 0.8)
