// zintavel-art 320x240 alpha
// A compact brass starburst round a chrome bead at the centre, inside the overlay band.
#include "one_stage.inc"
union {
  #for (K, 0, 23)
    #declare A = 2 * pi * K / 24;
    #declare L = (mod(K, 2) = 0 ? 23 : 17);
    Rod(<9 * cos(A), 9 * sin(A), 0>, <L * cos(A), L * sin(A), 0>, (mod(K, 2) = 0 ? 2 : 1.3))
  #end
  material { Brass }
  rotate <-15, 10, 0>
  translate Px(160, 120, 0)
}
sphere { 0, 7 translate Px(160, 120, -10) material { Chrome } }
