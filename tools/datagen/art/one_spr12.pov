// zintavel-art 320x240 alpha
// A crescent moon high in the gap between the totems (centre 160, 46), lit
// by the sun from the left.
#include "one_stage.inc"
difference {
  sphere { 0, 28 }
  cylinder { <12, 8, -50>, <12, 8, 50>, 24 }
  Enamel(Paper)
  rotate <0, 0, 0>
  translate Px(160, 46, 0)
}
