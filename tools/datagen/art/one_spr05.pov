// zintavel-art 320x240 alpha
// A brass hexagon nut left of the middle (centre 88, 120), inside the
// overlay band clear of the sliding words; the texture shows through its hole.
#include "one_stage.inc"
#declare Hex = Polygon(6, 40, 0);
difference {
  object { Slab(Hex, 6, 16) }
  cylinder { -20 * z, 20 * z, 22 }
  material { Brass }
  rotate <0, 26, 0>
  translate Px(88, 120, 0)
}
