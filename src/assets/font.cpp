#include "assets/font.h"

#include <algorithm>
#include <cstring>

#include "assets/pcx.h"
#include "assets/report.h"

namespace {

BitmapFont EmptyFont(const char* charset, std::int32_t spaceAdvance, std::int32_t sheetWidth,
                     std::int32_t sheetHeight) {
  BitmapFont font;
  const auto length = static_cast<std::size_t>(std::strlen(charset));
  font.charset = charset;
  font.glyphOffsets.assign(length, 0);
  font.glyphWidths.assign(length, 0);
  font.spaceAdvance = spaceAdvance;
  font.sheetWidth = std::max(sheetWidth, 0);
  font.sheetHeight = std::max(sheetHeight, 0);
  font.pixels.assign(static_cast<std::size_t>(font.sheetWidth) * static_cast<std::size_t>(font.sheetHeight), 0);
  return font;
}

// Finds the glyphs from the markers of the first row, once the sheet holds
// `decoded` indices from the file.
void FindGlyphs(const char* name, BitmapFont& font, std::int32_t decoded) {
  const auto length = static_cast<std::int32_t>(font.glyphOffsets.size());
  // What a missing or short sheet lacks is blank, not a row of markers.
  std::fill(font.pixels.begin() + decoded, font.pixels.end(), 0);

  std::int32_t prev = -1, n = 0, extra = 0;
  for (std::int32_t x = 0; x < font.sheetWidth && font.sheetHeight > 0; ++x) {
    if (font.pixels[x] != 255) continue;
    font.pixels[x] = 0;
    if (n < length) {
      font.glyphOffsets[n] = prev;
      font.glyphWidths[n] = x - prev;
      ++n;
    } else {
      ++extra;
    }
    prev = x;
  }
  if (n > 0) font.glyphOffsets[0] = 0;
  if (extra > 0) {
    ReportAssetProblem(name, "%d glyph markers beyond the %d characters of the font were ignored", extra,
                       length);
  }
  // A sheet that could not be read has said so already.
  if (n == 0 && length > 0 && decoded > 0) {
    ReportAssetProblem(name, "no glyph markers (index 255) in the first row: the font has no glyphs and draws "
                             "no text");
  }
  font.glyphCount = n;
}

}  // namespace

BitmapFont BuildBitmapFont(const char* path, const char* charset, std::int32_t spaceAdvance,
                           std::int32_t sheetWidth, std::int32_t sheetHeight) {
  BitmapFont font = EmptyFont(charset, spaceAdvance, sheetWidth, sheetHeight);
  std::uint8_t palette[768];
  std::int32_t decoded = 0;
  ReadPcxIndices(path, font.pixels.data(), palette, font.sheetWidth, font.sheetHeight, &decoded);
  FindGlyphs(path, font, decoded);
  return font;
}

BitmapFont BuildBitmapFontFromMemory(const char* name, const std::uint8_t* file, std::size_t size,
                                     const char* charset, std::int32_t spaceAdvance, std::int32_t sheetWidth,
                                     std::int32_t sheetHeight) {
  BitmapFont font = EmptyFont(charset, spaceAdvance, sheetWidth, sheetHeight);
  std::uint8_t palette[768];
  std::int32_t decoded = 0;
  DecodePcxIndices(name, file, size, font.pixels.data(), palette, font.sheetWidth, font.sheetHeight, &decoded);
  FindGlyphs(name, font, decoded);
  return font;
}

namespace {

inline std::uint32_t SatAdd(std::uint32_t a, std::uint32_t b) { return std::min(a + b, 255u); }
inline std::uint32_t SatSub(std::uint32_t a, std::uint32_t b) { return a > b ? a - b : 0u; }
inline std::uint32_t Lane(Pixel p, int shift) { return (p >> shift) & 0xFFu; }

// Applies f(destination lane, amount lane) to the colour channels, keeping the top byte.
template <typename F>
inline Pixel PerChannel(Pixel d, std::uint32_t amount0, std::uint32_t amount1, std::uint32_t amount2, F f) {
  return (d & 0xFF000000u) | f(Lane(d, 0), amount0) | (f(Lane(d, 8), amount1) << 8) |
         (f(Lane(d, 16), amount2) << 16);
}

Pixel ApplyMode(std::int32_t mode, std::uint32_t v, std::uint32_t colour, Pixel d) {
  const Pixel g = v * 0x010101u;
  const std::uint32_t k = colour > 255u ? 255u : colour;
  switch (mode) {
    case 0:
      return g;
    case 3:
      return v != 0 ? g : d;
    case 6:
      return v > 1 ? PerChannel(d, v, v, v, SatAdd) : d;
    case 9:
      return v > 1 ? PerChannel(d, v, v, v, SatSub) : d;
    case 7:
    case 10: {
      if (v <= 1) return d;
      const std::uint32_t t = (v * k) >> 8;
      return mode == 7 ? PerChannel(d, t, t, t, SatAdd) : PerChannel(d, t, t, t, SatSub);
    }
    case 8:
    case 11: {
      if (v <= 1) return d;
      const std::uint32_t b = (v * Lane(colour, 0)) >> 8, gr = (v * Lane(colour, 8)) >> 8,
                          r = (v * Lane(colour, 16)) >> 8;
      return mode == 8 ? PerChannel(d, b, gr, r, SatAdd) : PerChannel(d, b, gr, r, SatSub);
    }
    case 12:
      return v > 62 ? colour : d;
    default:
      return d;
  }
}

std::int32_t FindGlyph(const BitmapFont& font, char character) {
  for (std::int32_t i = 0; i < font.glyphCount; ++i) {
    if (font.charset[i] == character) return i;
  }
  return -1;
}

}  // namespace

std::int32_t DrawGlyph(const BitmapFont& font, std::int32_t glyph, std::uint32_t colour, std::int32_t mode,
                       std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                       std::int32_t height) {
  if (glyph < 0 || glyph >= font.glyphCount) return font.spaceAdvance;
  const std::int32_t w = font.glyphWidths[glyph];
  const std::int32_t h = font.sheetHeight;
  if (colour == 0) return w;
  const std::int64_t colEnd = std::int64_t{x} + w > width ? std::int64_t{width} - x : w;
  const std::int64_t colStart = x < 0 ? -std::int64_t{x} : 0;
  if (colStart > colEnd) return w;
  const std::int64_t rowEnd = std::int64_t{y} + h > height ? std::int64_t{height} - y : h;
  const std::int64_t rowStart = y < 0 ? -std::int64_t{y} : 0;
  if (rowStart > rowEnd) return w;
  if (static_cast<std::uint32_t>(mode) > 12u) return w;
  if (mode == 1 || mode == 2 || mode == 4 || mode == 5) {
    DrawText(font, "not implemented", 255, 0, 0, 0, destination, width, height);
    return w;
  }
  for (std::int64_t r = rowStart; r < rowEnd; ++r) {
    const std::uint8_t* src = font.pixels.data() + r * font.sheetWidth + font.glyphOffsets[glyph];
    const std::int64_t rowAt = (y + r) * width + x;
    for (std::int64_t j = colStart; j < colEnd; ++j) {
      destination[rowAt + j] = ApplyMode(mode, src[j], colour, destination[rowAt + j]);
    }
  }
  return w;
}

std::int32_t DrawCharacter(const BitmapFont& font, char character, std::uint32_t colour, std::int32_t mode,
                           std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                           std::int32_t height) {
  const std::int32_t glyph = FindGlyph(font, character);
  if (glyph < 0) return font.spaceAdvance;
  return DrawGlyph(font, glyph, colour, mode, x, y, destination, width, height);
}

std::int32_t DrawText(const BitmapFont& font, const char* text, std::uint32_t colour, std::int32_t mode,
                      std::int32_t x, std::int32_t y, Pixel* destination, std::int32_t width,
                      std::int32_t height) {
  std::int32_t sum = 0;
  for (const char* c = text; *c; ++c) sum += DrawCharacter(font, *c, colour, mode, x + sum, y, destination, width, height);
  return sum;
}

std::int32_t CharacterWidth(const BitmapFont& font, char character) {
  const std::int32_t glyph = FindGlyph(font, character);
  return glyph < 0 ? font.spaceAdvance : font.glyphWidths[glyph];
}

std::int32_t TextWidth(const BitmapFont& font, const char* text) {
  std::int32_t sum = 0;
  for (const char* c = text; *c; ++c) sum += CharacterWidth(font, *c);
  return sum;
}
