// zintavel-art 256x256
// The scanner's ground: dark slate seen from straight above, split by veins of
// teal light with a few thin ember seams. It tiles: the camera frames exactly
// one period of every function below, and the lights are parallel, so the
// shading does not depend on where a texel lies.
#include "house.inc"

camera { orthographic location <0.5, 5, 0.5> sky z look_at <0.5, 0, 0.5> right x up z }
light_source { <-1, 0.7, 0.25> color Amber * 0.3 parallel point_at <0, 0, 0> }
light_source { <1, 0.9, -0.4> color Teal * 0.2 parallel point_at <0, 0, 0> }
light_source { <0, 1, 0> color rgb <0.06, 0.06, 0.14> parallel point_at <0, 0, 0> }
HouseSky(Ember * 0.5, Dusk)

#declare Tau = 2 * pi;
// Meandering veins: the zero set of a sum of periodic waves (period 1 in x
// and z), bent by slower waves so they read as grown, not drawn.
#declare Vein = function(x, z) {
  sin(Tau * (2 * x + 0.35 * sin(Tau * z) + 0.12 * sin(Tau * (3 * z + x))))
  + 0.9 * sin(Tau * (2 * z + 0.4 * sin(Tau * (x + 0.25)) + 0.1 * sin(Tau * 2 * x)))
  + 0.45 * sin(Tau * (x + 3 * z + 0.2 * sin(Tau * 2 * z)))
}
#declare Seam = function(x, z) {
  sin(Tau * (5 * x - 2 * z + 0.3 * sin(Tau * (2 * z - x)))) + 0.7 * sin(Tau * (3 * z + 4 * x))
}
#declare Relief = function(x, z) {
  0.5 + 0.18 * sin(Tau * (6 * x + 0.5 * sin(Tau * 2 * z)))
  * sin(Tau * (5 * z + 0.4 * sin(Tau * 3 * x)))
  - 0.3 * exp(-pow(Vein(x, z) / 0.35, 2))
}
// Veins glow only along their middle; seams only where a slow mask allows.
#declare VeinLight = function(x, z) { exp(-pow(Vein(x, z) / 0.09, 2)) }
#declare SeamLight = function(x, z) {
  exp(-pow(Seam(x, z) / 0.1, 2)) * max(0, sin(Tau * (x - z + 0.1)) - 0.2)
}

plane { y, 0
  texture {
    pigment { color rgb <0.045, 0.05, 0.13> }
    normal { function { Relief(x, z) } 0.18 }
    finish { ambient 0 diffuse 0.75 specular 0.25 roughness 0.03 reflection 0.03 }
  }
  // Light in the veins: emission, so the lights do not dim it.
  texture {
    pigment {
      function { min(1, VeinLight(x, z)) }
      color_map {
        [0.00 color rgbt <0, 0, 0, 1>]
        [0.30 color rgbt <0, 0, 0, 1>]
        [0.55 color Teal transmit 0.4]
        [0.92 color Teal]
        [1.00 color rgb <0.75, 1, 0.95>]
      }
    }
    finish { ambient 0 diffuse 0 emission 1 }
  }
  texture {
    pigment {
      function { min(1, SeamLight(x, z) * 1.6) }
      color_map {
        [0.00 color rgbt <0, 0, 0, 1>]
        [0.35 color rgbt <0, 0, 0, 1>]
        [1.00 color Ember]
      }
    }
    finish { ambient 0 diffuse 0 emission 1 }
  }
}
