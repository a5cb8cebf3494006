// Text through FreeType, for the font sheets and the lettering on pictures.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "canvas.h"

class Typeface {
 public:
  // Returns nullptr (and says why) when the font file cannot be opened.
  static std::unique_ptr<Typeface> Open(const std::string& path);
  ~Typeface();
  void SetPixelSize(int size) const;  // the FreeType face's size, not the object's identity

  struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<std::uint8_t> coverage;  // rows x width
  };
  Glyph Render(std::uint32_t code) const;
  int Ascender() const;
  int TextWidth(const std::string& latin1) const;
  // Draws Latin-1 text with its baseline at y, starting at x; colour by position.
  void Draw(Canvas& canvas, const std::string& latin1, float x, float baseline, Rgb colour, bool additive = false) const;

 private:
  Typeface() = default;
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A font sheet as the demo's font builder reads it: every glyph of `charset`
// side by side, its advance as its width, the markers (255) in the first row
// (glyph 0 ends on its marker column, each later glyph begins on the previous
// marker column), greys 0..254. The pixel size shrinks until the sheet fits.
struct FontSheet {
  int width, height;
  std::vector<std::uint8_t> pixels;
  int pixelSize;
};
// Glyphs drawn by hand, pixel by pixel, take the place of the face's: rows of
// '#' (full), '+' (half) and '.' (none), one column of air added on the left.
struct DrawnGlyph {
  char character;
  std::vector<std::string> rows;
};
FontSheet BuildFontSheet(const Typeface& face, const std::string& charset, int sheetWidth, int sheetHeight,
                         int startSize, const std::vector<DrawnGlyph>& drawn = {});

// Bold digits 0..9, 7x10, for a sheet of height 10 (the countdown enlarges them).
const std::vector<DrawnGlyph>& CountdownDigits();

const char* DefaultFontPath(bool bold);
