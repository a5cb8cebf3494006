// zintavel-art 320x240
// The first of the finale's full-frame overlays: warm rays and a small hoop.
#include "cards_burst.inc"
Burst(28, 201, Amber * 0.32, 60)
