// How long the show runs when nobody quits it: a recording without --quit-at
// asks to quit once part two has shown its scanner scene and every text page
// (the first set three times, the second set once) and the module's final hit
// finds a page landed (show/end_rule.h); the closing fade follows.
// Reads the page counts made at start-up, so call it after the assets are loaded.
#pragma once

#include <cstdint>

#include "choreo/phases.h"

// Part two's time at which the whole of it has been shown.
std::uint32_t WholePartTwoMs();
