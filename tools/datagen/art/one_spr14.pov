// zintavel-art 320x240 alpha
// The star between the two emblems (centre 160, 120): a chrome star in a thin
// teal enamel ring, clear of both emblems at rest.
#include "one_stage.inc"
#declare Points = array[16];
#for (I, 0, 15)
  #declare A = pi / 2 + pi * I / 8;
  #declare R = (mod(I, 2) = 0 ? 40 : 15);
  #declare Points[I] = <R * cos(A), R * sin(A)>;
#end
union {
  // Faceted: a low star pyramid, its point toward the viewer, so every face
  // catches another part of the sky.
  prism { conic_sweep linear_spline 0, 1, 17,
    #for (I, 0, 15) <Points[I].x, Points[I].y>, #end <Points[0].x, Points[0].y>
    rotate -90 * x translate -z scale <1, 1, 14> material { Brass } }
  sphere { 0, 7 translate -12 * z material { Chrome } }
  torus { 49, 2.6 rotate 90 * x Enamel(Teal) }
  rotate <-18, 12, 0>
  translate Px(160, 120, 0)
}
