// zintavel-art 320x240 alpha
// The second figure: a dancer against the picture's right edge, chrome limbs
// on teal glass joints. Kept narrow (columns 264..319): it passes in front of
// the ticker, so the words come out from behind it and are read clear of it.
#include "two_figures.inc"
FigureLights(1)

#declare Head = <293, -20, 0>;
#declare Neck = <292, -36, 0>;
#declare Hip = <290, -100, 0>;
union {
  sphere { Head, 11 }
  Limb(Neck, <291, -62, 0>, 9)
  Limb(<291, -62, 0>, Hip, 7.5)
  // The arm toward the sun thrown up, the other bent on the hip.
  Limb(<284, -44, -4>, <274, -24, -4>, 4.5)
  Limb(<274, -24, -4>, <270, -5, -4>, 4)
  Limb(<300, -44, 4>, <312, -66, 4>, 4.5)
  Limb(<312, -66, 4>, <300, -88, 4>, 4)
  // Legs mid-step.
  Limb(<286, -104, -3>, <276, -150, -3>, 6)
  Limb(<276, -150, -3>, <282, -198, -3>, 5)
  Limb(<295, -104, 3>, <308, -146, 3>, 6)
  Limb(<308, -146, 3>, <302, -194, 3>, 5)
  material { Chrome }
}
// Joints of teal glass, lit from within.
#declare Joint = material { texture { pigment { color Teal } finish { ambient 0 emission 0.55 diffuse 0.4 specular 0.9 roughness 0.003 } } };
sphere { <274, -24, -10>, 4.5 material { Joint } }
sphere { <312, -66, 2>, 4.5 material { Joint } }
sphere { <276, -150, -9>, 5.5 material { Joint } }
sphere { <308, -146, -3>, 5.5 material { Joint } }
sphere { <291, -62, -8>, 6 material { Joint } }
sphere { <283, -204, -3>, 5 material { Joint } }
sphere { <302, -200, 3>, 5 material { Joint } }
