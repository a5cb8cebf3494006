// zintavel-art 320x240 alpha
// Small chrome rings with a bead in each, drifting along the top and bottom
// edges (rows 8-52 and 186-232), clear of the middle band.
#include "one_stage.inc"
#declare Rand = seed(106);
#for (K, 0, 8)
  #declare Rad = 5 + rand(Rand) * 9;
  #declare X = 14 + rand(Rand) * 292;
  #declare Y = (mod(K, 2) = 0 ? 8 + Rad + rand(Rand) * (44 - 2 * Rad) : 186 + Rad + rand(Rand) * (46 - 2 * Rad));
  union {
    torus { Rad - 1.2, 1.6 rotate 90 * x material { Chrome } }
    sphere { 0, 2.2 material { Brass } }
    rotate <-20, (rand(Rand) - 0.5) * 60, 0>
    translate Px(X, Y, 0)
  }
#end
