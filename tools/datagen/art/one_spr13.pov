// zintavel-art 320x240 alpha
// The right emblem, the left one's twin: a brass ring round an ember enamel
// triangle. It rests in the right third (centre 262, 120).
#include "one_stage.inc"
#declare Tri = Polygon(3, 22, 90);
union {
  torus { 33, 6 rotate 90 * x material { Brass } }
  object { Slab(Tri, 3, 9) translate -3 * y Enamel(Ember) }
  object { Frame(Tri, 3, 2) translate -3 * y material { Chrome } }
  rotate <-14, -22, 0>
  translate Px(262, 120, 0)
}
