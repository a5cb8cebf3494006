// The program's icon, for the desktop entry and the window alike: the title
// card scaled down by area averaging into the middle of a square, the bands
// above and below in the card's own top and bottom colours.
#pragma once

#include <vector>

#include "pixel/picture.h"

// size x size pixels, 0x00RRGGBB.
std::vector<Pixel> MakeIcon(const Picture& card, int size);
