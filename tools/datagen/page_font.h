// The page font (data/font3.pcx): Terminus, a bitmap face drawn for reading at
// small sizes, copied pixel for pixel from its strikes, no smoothing, so every
// dark pixel of a page is a whole point of the text scene.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Debian's fonts-terminus-otb.
const char* TerminusPath(bool bold);

struct PageFontSheet {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // empty when the sheet could not be made (said on stderr)
};

// Body text (lower case, digits, signs) in the regular 14-pixel weight, the
// capitals that make the headings in the bold one, and the glyphs with no room
// at 14 pixels (accented capitals; the narrowest signs, so the whole set fits)
// from the 12-pixel bold strike. One column of air on the left of every glyph;
// the baseline under row 9, descenders in rows 10 and 11.
PageFontSheet BuildPageFontSheet(const std::string& regularPath, const std::string& boldPath,
                                 const std::string& charset, int sheetWidth, int sheetHeight);
