// zintavel-art 320x240 alpha
// A large Z (centre 160, 120): a Dusk enamel body in a chrome frame,
// dark so the words that slide across it still read.
#include "one_stage.inc"
#declare S = 86;
#declare Z = array[10] { <-S, S>, <S, S>, <S, 0.6 * S>, <-0.35 * S, -0.6 * S>, <S, -0.6 * S>, <S, -S>,
                         <-S, -S>, <-S, -0.6 * S>, <0.35 * S, 0.6 * S>, <-S, 0.6 * S> }
union {
  object { Slab(Z, 10, 14) Enamel(srgb <0.10, 0.10, 0.30>) }
  object { Frame(Z, 10, 2.6) translate -7 * z material { Chrome } }
  rotate <-8, 14, 0>
  scale 0.96
  translate Px(160, 120, 0)
}
