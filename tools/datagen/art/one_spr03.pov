// zintavel-art 320x240 alpha
// A teal glass prism in a chrome frame, right of the middle (centre 224,
// 133), inside the overlay band (rows 80-159) clear of the sliding words.
#include "one_stage.inc"
#declare Tri = Polygon(3, 44, 90);
union {
  object { Slab(Tri, 3, 26)
    material {
      // Lit from within a little, as thick glass gathers the light: teal
      // under the amber sun would otherwise turn olive.
      texture { pigment { color srgbf <0.30, 0.85, 0.80, 0.3> }
                finish { ambient 0 emission 0.45 diffuse 0.3 specular 0.8 roughness 0.003 reflection { 0.08, 0.6 fresnel on } conserve_energy } }
      interior { ior 1.5 } } }
  object { Frame(Tri, 3, 2.4) translate -13 * z material { Chrome } }
  object { Frame(Tri, 3, 2.4) translate 13 * z material { Chrome } }
  rotate <0, 24, 0>
  translate Px(224, 131, 0)
}
