// zintavel-art 320x240 alpha
// The left emblem: a brass ring round a chrome Z. It rests in the left third
// (centre 58, 120) beside the star and its twin.
#include "one_stage.inc"
union {
  torus { 33, 6 rotate 90 * x material { Brass } }
  object { ZRods(17, 5.5) material { Chrome } }
  rotate <-14, 22, 0>
  translate Px(58, 120, 0)
}
