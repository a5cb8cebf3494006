// The card shown before the live show: the photosensitivity warning, that
// --gentle exists and the key that switches it on there and then. Our layer
// draws it over the presented picture (never into the frame buffer, never in
// a recording) with the presentation's page font, at the frame's own 320x240
// so it scales like the show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "assets/font.h"

inline constexpr int WarningCardSeconds = 10;  // then the show starts by itself

// text cut at spaces into lines no wider than width pixels in font (a single
// word wider than that stands alone on its line).
std::vector<std::string> WrapText(const BitmapFont& font, const std::string& text, int width);

// The card in 320x240 ARGB pixels (0xAARRGGBB): a dark, nearly opaque panel
// with the text; secondsLeft counts down to the show. False when the font
// draws nothing (a presentation without it): then there is no card to show.
bool DrawWarningCard(const BitmapFont& font, int secondsLeft, bool gentleOn, std::uint32_t* argb);
