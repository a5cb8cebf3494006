#include "page_font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

constexpr int Baseline = 10;  // rows above the baseline in the sheet
constexpr std::uint8_t Ink = 254;  // 255 marks the ends of glyphs

struct Glyph {
  int width = 0;                      // ink columns
  std::vector<std::uint8_t> columns;  // sheet height x width, row after row
};

class Strike {
 public:
  ~Strike() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
  }
  // False (and said) when the file or its strike of `pixels` rows is missing.
  bool Open(const std::string& path, int pixels) {
    path_ = path;
    if (FT_Init_FreeType(&library_) != 0) return Fail("FreeType does not start");
    if (FT_New_Face(library_, path.c_str(), 0, &face_) != 0)
      return Fail("cannot open the font (Debian package fonts-terminus-otb)");
    for (int i = 0; i < face_->num_fixed_sizes; ++i) {
      if (face_->available_sizes[i].height == pixels) return FT_Select_Size(face_, i) == 0 || Fail("cannot select a size");
    }
    char why[64];
    std::snprintf(why, sizeof why, "has no %d-pixel strike", pixels);
    return Fail(why);
  }
  // The glyph's ink, cropped left and right, set on the sheet's baseline.
  bool Render(unsigned char code, int sheetHeight, Glyph& out) const {
    if (FT_Load_Char(face_, code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) != 0) return false;
    const FT_GlyphSlot slot = face_->glyph;
    const FT_Bitmap& b = slot->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_MONO) return false;
    auto on = [&](int x, int y) { return (b.buffer[y * b.pitch + x / 8] >> (7 - x % 8)) & 1; };
    int left = static_cast<int>(b.width), right = -1;
    for (int y = 0; y < static_cast<int>(b.rows); ++y) {
      const int row = Baseline - slot->bitmap_top + y;
      for (int x = 0; x < static_cast<int>(b.width); ++x) {
        if (on(x, y) && row >= 0 && row < sheetHeight) left = std::min(left, x), right = std::max(right, x);
      }
    }
    if (right < left) return false;
    out.width = right - left + 1;
    out.columns.assign(static_cast<std::size_t>(out.width) * sheetHeight, 0);
    for (int y = 0; y < static_cast<int>(b.rows); ++y) {
      const int row = Baseline - slot->bitmap_top + y;
      if (row < 0 || row >= sheetHeight) continue;
      for (int x = left; x <= right; ++x) {
        if (on(x, y)) out.columns[static_cast<std::size_t>(row) * out.width + (x - left)] = Ink;
      }
    }
    return true;
  }
  const std::string& Path() const { return path_; }

 private:
  bool Fail(const char* why) {
    std::fprintf(stderr, "zintavel-datagen: %s: %s\n", path_.c_str(), why);
    return false;
  }
  std::string path_;
  FT_Library library_ = nullptr;
  FT_Face face_ = nullptr;
};

// Accented capitals need the rows above the capitals that a 12-row sheet does
// not have at 14 pixels; the few signs here are narrower at 12 and keep the
// whole set within the sheet's width.
bool FromSmallStrike(unsigned char c) { return c >= 0xC0 || std::strchr("'$-=", c) != nullptr; }

}  // namespace

const char* TerminusPath(bool bold) {
  return bold ? "/usr/share/fonts/opentype/terminus/terminus-bold.otb"
              : "/usr/share/fonts/opentype/terminus/terminus-normal.otb";
}

PageFontSheet BuildPageFontSheet(const std::string& regularPath, const std::string& boldPath,
                                 const std::string& charset, int sheetWidth, int sheetHeight) {
  PageFontSheet sheet;
  Strike regular, bold, small;
  if (!regular.Open(regularPath, 14) || !bold.Open(boldPath, 14) || !small.Open(boldPath, 12)) return sheet;

  std::vector<Glyph> glyphs;
  int total = 0;
  for (unsigned char c : charset) {
    const bool capital = (c >= 'A' && c <= 'Z');
    const Strike& from = FromSmallStrike(c) ? small : capital ? bold : regular;
    Glyph g;
    if (!from.Render(c, sheetHeight, g)) {
      std::fprintf(stderr, "zintavel-datagen: %s: no glyph for character %d\n", from.Path().c_str(), c);
      return sheet;
    }
    total += g.width + 1;
    glyphs.push_back(std::move(g));
  }
  if (total + 1 > sheetWidth) {  // the last marker is a column of its own
    std::fprintf(stderr, "zintavel-datagen: the page font takes %d columns, more than its sheet's %d\n", total + 1,
                 sheetWidth);
    return sheet;
  }

  sheet.width = sheetWidth, sheet.height = sheetHeight;
  sheet.pixels.assign(static_cast<std::size_t>(sheetWidth) * sheetHeight, 0);
  // Every glyph is its column of air, then its ink, and its marker is the
  // next glyph's air column. The reader takes glyph 0 to end on its marker
  // and every later glyph to begin on the previous one, so glyph 0 alone has
  // air on both sides (one column wider) and the others their left column.
  int x = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const Glyph& g = glyphs[i];
    const int ink = x + 1;
    for (int row = 0; row < sheetHeight; ++row) {
      for (int col = 0; col < g.width; ++col) {
        sheet.pixels[static_cast<std::size_t>(row) * sheetWidth + ink + col] =
            g.columns[static_cast<std::size_t>(row) * g.width + col];
      }
    }
    x = ink + g.width;  // the next glyph's air column
    sheet.pixels[static_cast<std::size_t>(x)] = 255;
  }
  return sheet;
}
