// zintavel-art 320x240
// The second of the finale's full-frame overlays: cool rays and a wide hoop.
#include "cards_burst.inc"
Burst(28, 202, (Teal * 0.7 + Paper * 0.3) * 0.3, 100)
