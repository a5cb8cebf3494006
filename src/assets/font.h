// Proportional bitmap fonts. A sheet is a PCX strip of glyphs whose palette
// indices are grey levels; palette index 255 in the first row marks glyph ends:
// glyph 0 spans columns 0..m0, glyph k spans m(k-1)..m(k)-1, and each marker is
// cleared to 0. Glyph i is character i of the character set.
//
// Draw modes, with v the sheet value, g = v * 0x010101 and D the destination:
//   0  every pixel: D = g            3  v != 0: D = g
//   6  v > 1: D = D + g (bytes, sat) 9  v > 1: D = D - g (bytes, floor 0)
//   7 / 10  v > 1: each colour channel +/- (v * k) >> 8, k = colour clamped to 255
//   8 / 11  v > 1: each colour channel +/- (v * that channel of colour) >> 8
//   12 v > 62: D = colour (all 32 bits)
//   1, 2, 4, 5 draw the words "not implemented" at the top left instead; others
//   draw nothing. Modes 6-11 keep D's top byte, modes 0 and 3 clear it.
// Colour 0 draws nothing in any mode. Every call returns the advance: the glyph
// width, or the space advance for characters without a glyph.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel/picture.h"

struct BitmapFont {
  const char* charset = "";               // not owned
  std::vector<std::int32_t> glyphOffsets;  // one entry per character of charset
  std::vector<std::int32_t> glyphWidths;
  std::vector<std::uint8_t> pixels;        // sheetWidth * sheetHeight grey levels
  std::int32_t glyphCount = 0;
  std::int32_t spaceAdvance = 0;
  std::int32_t sheetWidth = 0;
  std::int32_t sheetHeight = 0;
};

// Markers beyond the character set's length are ignored (said once on stderr); a
// sheet that decodes without any marker is said too, as it gives a font that
// draws nothing.
BitmapFont BuildBitmapFont(const char* path, const char* charset, std::int32_t spaceAdvance,
                           std::int32_t sheetWidth, std::int32_t sheetHeight);
// The same from a whole sheet file held in memory; `name` only names it in messages.
BitmapFont BuildBitmapFontFromMemory(const char* name, const std::uint8_t* file, std::size_t size,
                                     const char* charset, std::int32_t spaceAdvance, std::int32_t sheetWidth,
                                     std::int32_t sheetHeight);

std::int32_t DrawGlyph(const BitmapFont& font, std::int32_t glyph, std::uint32_t colour, std::int32_t mode,
                       std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                       std::int32_t height);
std::int32_t DrawCharacter(const BitmapFont& font, char character, std::uint32_t colour, std::int32_t mode,
                           std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                           std::int32_t height);
std::int32_t DrawText(const BitmapFont& font, const char* text, std::uint32_t colour, std::int32_t mode,
                      std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                      std::int32_t height);
std::int32_t CharacterWidth(const BitmapFont& font, char character);
std::int32_t TextWidth(const BitmapFont& font, const char* text);
