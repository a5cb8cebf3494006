#include "text.h"

#include <algorithm>
#include <cstdio>

#include <ft2build.h>
#include FT_FREETYPE_H

struct Typeface::Impl {
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  ~Impl() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
};

const char* DefaultFontPath(bool bold) {
  return bold ? "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf" : "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

std::unique_ptr<Typeface> Typeface::Open(const std::string& path) {
  std::unique_ptr<Typeface> t(new Typeface);
  t->impl_ = std::make_unique<Impl>();
  if (FT_Init_FreeType(&t->impl_->library) != 0) {
    std::fprintf(stderr, "zintavel-datagen: FreeType does not start\n");
    return nullptr;
  }
  if (FT_New_Face(t->impl_->library, path.c_str(), 0, &t->impl_->face) != 0) {
    std::fprintf(stderr, "zintavel-datagen: %s: cannot open the font (Debian package fonts-dejavu-core)\n", path.c_str());
    return nullptr;
  }
  return t;
}

Typeface::~Typeface() = default;

void Typeface::SetPixelSize(int size) const { FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(size)); }

int Typeface::Ascender() const { return static_cast<int>(impl_->face->size->metrics.ascender >> 6); }

Typeface::Glyph Typeface::Render(std::uint32_t code) const {
  Glyph g;
  FT_Face face = impl_->face;
  if (FT_Load_Char(face, code, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return g;
  const FT_Bitmap& b = face->glyph->bitmap;
  g.width = static_cast<int>(b.width);
  g.rows = static_cast<int>(b.rows);
  g.left = face->glyph->bitmap_left;
  g.top = face->glyph->bitmap_top;
  g.advance = static_cast<int>((face->glyph->advance.x + 32) >> 6);
  g.coverage.resize(static_cast<std::size_t>(g.width) * g.rows);
  for (int y = 0; y < g.rows; ++y) {
    for (int x = 0; x < g.width; ++x) g.coverage[y * g.width + x] = b.buffer[y * b.pitch + x];
  }
  return g;
}

int Typeface::TextWidth(const std::string& text) const {
  int w = 0;
  for (unsigned char c : text) w += Render(c).advance;
  return w;
}

void Typeface::Draw(Canvas& canvas, const std::string& text, float x, float baseline, Rgb colour, bool additive) const {
  float pen = x;
  for (unsigned char c : text) {
    const Glyph g = Render(c);
    for (int y = 0; y < g.rows; ++y) {
      for (int gx = 0; gx < g.width; ++gx) {
        const float cover = g.coverage[y * g.width + gx] / 255.0f;
        const int px = static_cast<int>(pen) + g.left + gx, py = static_cast<int>(baseline) - g.top + y;
        if (additive) canvas.Add(px, py, colour, cover);
        else canvas.Blend(px, py, colour, cover);
      }
    }
    pen += g.advance;
  }
}

FontSheet BuildFontSheet(const Typeface& face, const std::string& charset, int sheetWidth, int sheetHeight,
                         int startSize, const std::vector<DrawnGlyph>& drawn) {
  auto drawnFor = [&](unsigned char c) -> const DrawnGlyph* {
    for (const DrawnGlyph& d : drawn) {
      if (static_cast<unsigned char>(d.character) == c) return &d;
    }
    return nullptr;
  };
  FontSheet sheet{sheetWidth, sheetHeight, {}, startSize};
  for (int size = startSize; size >= 4; --size) {
    face.SetPixelSize(size);
    std::vector<Typeface::Glyph> glyphs;
    int total = 0;
    for (unsigned char c : charset) {
      if (const DrawnGlyph* d = drawnFor(c)) {
        Typeface::Glyph g;
        g.rows = static_cast<int>(d->rows.size());
        g.width = g.rows ? static_cast<int>(d->rows[0].size()) : 0;
        g.left = 0, g.advance = g.width + 1;
        for (const std::string& row : d->rows) {
          for (char p : row) g.coverage.push_back(p == '#' ? 254 : p == '+' ? 150 : 0);
        }
        // Drawn glyphs stand on the sheet's top row, whatever the baseline.
        g.top = std::min(sheetHeight - 1, static_cast<int>(sheetHeight * 0.8f + 0.5f));
        glyphs.push_back(std::move(g));
        total += glyphs.back().advance;
        continue;
      }
      glyphs.push_back(face.Render(c));
      // The marker column before the ink is the glyph's air on the left.
      const Typeface::Glyph& g = glyphs.back();
      total += std::max(g.advance, std::max(g.left, 0) + g.width + 1);
    }
    if (total > sheetWidth) continue;

    sheet.pixelSize = size;
    sheet.pixels.assign(static_cast<std::size_t>(sheetWidth) * sheetHeight, 0);
    // Baseline so that capitals with a ring (Å) and descenders both fit.
    const int baseline = std::min(sheetHeight - 1, static_cast<int>(sheetHeight * 0.8f + 0.5f));
    int start = 0;  // first column of the glyph
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
      const Typeface::Glyph& g = glyphs[i];
      const int width = std::max(g.advance, std::max(g.left, 0) + g.width + 1);
      // Glyph 0 keeps its marker in its last column; the others in their first.
      const int inkStart = i == 0 ? start : start + 1;
      for (int y = 0; y < g.rows; ++y) {
        const int sy = baseline - g.top + y;
        if (sy < 0 || sy >= sheetHeight) continue;
        for (int x = 0; x < g.width; ++x) {
          const int sx = inkStart + std::max(g.left, 0) + x;
          if (sx >= start + width - (i == 0 ? 1 : 0)) continue;
          sheet.pixels[static_cast<std::size_t>(sy) * sheetWidth + sx] =
              std::min<std::uint8_t>(g.coverage[y * g.width + x], 254);
        }
      }
      const int marker = i == 0 ? start + width - 1 : start + width;
      sheet.pixels[marker] = 255;
      start = marker;
    }
    return sheet;
  }
  std::fprintf(stderr, "zintavel-datagen: the font does not fit a %dx%d sheet\n", sheetWidth, sheetHeight);
  return sheet;
}

const std::vector<DrawnGlyph>& CountdownDigits() {
  // Strokes two pixels wide across and down: the countdown shows them four
  // times enlarged, alone on black, and thin bars read as grey there.
  static const std::vector<DrawnGlyph> digits = {
      {'0', {"..###..", ".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", ".#####.", "..###.."}},
      {'1', {"...##..", "..###..", ".####..", "##.##..", "...##..", "...##..", "...##..", "...##..", "#######", "#######"}},
      {'2', {".#####.", "#######", "##...##", ".....##", "....###", "...###.", "..###..", ".###...", "#######", "#######"}},
      {'3', {"######.", "#######", ".....##", ".....##", ".#####.", ".#####.", ".....##", ".....##", "#######", "######."}},
      {'4', {"....##.", "...###.", "..####.", ".##.##.", "##..##.", "#######", "#######", "....##.", "....##.", "....##."}},
      {'5', {"#######", "#######", "##.....", "######.", "#######", ".....##", ".....##", "##...##", "#######", ".#####."}},
      {'6', {"..####.", ".#####.", "##.....", "######.", "#######", "##...##", "##...##", "##...##", "#######", ".#####."}},
      {'7', {"#######", "#######", ".....##", "....##.", "...###.", "...##..", "..###..", "..##...", "..##...", "..##..."}},
      {'8', {".#####.", "#######", "##...##", "##...##", ".#####.", "#######", "##...##", "##...##", "#######", ".#####."}},
      {'9', {".#####.", "#######", "##...##", "##...##", "#######", ".######", ".....##", ".....##", ".#####.", ".####.."}},
  };
  return digits;
}
