// Sine plasma motion of PlasmaGrid. t is a scene time in ms / 10 or / 20 as a
// float; u drifts one texel per unit of t (plus up to +-512 and a +-128 ripple),
// v ripples around its own drift. Double precision throughout except the four
// wave numbers, which are rounded to float; every x / q is x times the double
// nearest 1 / q; values are truncated and stored in 16 bits with wrap-around.
#pragma once

#include "grid/grid.h"

void MovePlasmaGrid(float t);
// Four sines or cosines per vertex, as the formulas say: what MovePlasmaGrid must match.
void MovePlasmaGridReference(float t);
void DrawPlasma(float t, const Pixel* texture, Picture& destination);
