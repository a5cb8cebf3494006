#include "assets/font.h"

#include <gtest/gtest.h>

#include <vector>

#include "pcx_writer.h"
#include "support/test_support.h"

namespace {

// A sheet for "abc" of 12 x 3: markers (255) in the first row at columns 3, 7
// and 10; glyph a spans 0..3, b 3..6, c 7..9. Every other pixel holds `value`.
std::string WriteSheet(const TempDir& dir, std::uint8_t value, std::vector<int> markers = {3, 7, 10},
                       int width = 12) {
  std::vector<std::uint8_t> sheet(width * 3, value);
  for (int m : markers) sheet[m] = 255;
  const std::string path = dir.Path("font.pcx");
  std::vector<std::uint8_t> palette(768, 0);
  EXPECT_TRUE(WritePcxFile(path, width, 3, sheet.data(), palette.data()));
  return path;
}

struct Canvas {
  int width = 16, height = 8;
  std::vector<Pixel> pixels = std::vector<Pixel>(16 * 8, 0x80101010);
  Pixel At(int x, int y) const { return pixels[y * width + x]; }
};

}  // namespace

TEST(FontTest, MarkersDefineTheGlyphsAndAreCleared) {
  TempDir dir;
  BitmapFont font = BuildBitmapFont(WriteSheet(dir, 9).c_str(), "abc", 5, 12, 3);
  ASSERT_EQ(font.glyphCount, 3);
  EXPECT_EQ(font.glyphOffsets, (std::vector<std::int32_t>{0, 3, 7}));
  EXPECT_EQ(font.glyphWidths, (std::vector<std::int32_t>{4, 4, 3}));
  EXPECT_EQ(font.pixels[3], 0);
  EXPECT_EQ(font.pixels[7], 0);
  EXPECT_EQ(font.pixels[10], 0);
  EXPECT_EQ(CharacterWidth(font, 'a'), 4);
  EXPECT_EQ(CharacterWidth(font, ' '), 5);
  EXPECT_EQ(TextWidth(font, "ab c\n"), 4 + 4 + 5 + 3 + 5);
}

TEST(FontTest, ExtraMarkersAreIgnoredOnceAndAMissingSheetHasNoGlyphs) {
  TempDir dir;
  std::string said = CaptureStderrOf([&] {
    BitmapFont font = BuildBitmapFont(WriteSheet(dir, 9, {1, 3, 5, 7, 9}).c_str(), "ab", 5, 12, 3);
    EXPECT_EQ(font.glyphCount, 2);
    EXPECT_EQ(font.glyphOffsets.size(), 2u);
  });
  EXPECT_NE(said.find("3 glyph markers beyond the 2 characters"), std::string::npos) << said;
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1);

  said = CaptureStderrOf([&] {
    BitmapFont none = BuildBitmapFont(dir.Path("absent.pcx").c_str(), "abc", 7, 12, 3);
    EXPECT_EQ(none.glyphCount, 0);
    Canvas canvas;
    EXPECT_EQ(DrawText(none, "abc", 0xFFFFFF, 6, 0, 0, canvas.pixels.data(), canvas.width, canvas.height), 21);
    for (Pixel p : canvas.pixels) ASSERT_EQ(p, 0x80101010u);
  });
  EXPECT_NE(said.find("absent.pcx: cannot open"), std::string::npos) << said;
}

TEST(FontTest, DrawModes) {
  TempDir dir;
  struct Case {
    std::uint8_t value;
    std::uint32_t colour;
    int mode;
    Pixel expected;  // on a destination of 0x80101010
  };
  const Case cases[] = {
      {0, 1, 0, 0x00000000},           {1, 1, 0, 0x00010101},          {0, 1, 3, 0x80101010},
      {1, 1, 3, 0x00010101},           {0xF8, 1, 6, 0x80FFFFFF},       {1, 1, 6, 0x80101010},
      {0x80, 300, 7, 0x808F8F8F},      {0x80, 0xFFFFFFFF, 7, 0x808F8F8F},
      {0x80, 0x00FF0000, 8, 0x808F1010}, {0x08, 1, 9, 0x80080808},     {0xFE, 1, 9, 0x80000000},
      {0x80, 0x40, 10, 0x80000000},    {0x80, 0x0000FF00, 11, 0x80100010}, {62, 0x12345678, 12, 0x80101010},
      {63, 0x12345678, 12, 0x12345678}, {0x80, 1, 13, 0x80101010},     {0x80, 1, -1, 0x80101010},
      {0x80, 0, 0, 0x80101010},
  };
  for (const Case& c : cases) {
    BitmapFont font = BuildBitmapFont(WriteSheet(dir, c.value).c_str(), "abc", 5, 12, 3);
    Canvas canvas;
    EXPECT_EQ(DrawCharacter(font, 'b', c.colour, c.mode, 2, 1, canvas.pixels.data(), canvas.width, canvas.height),
              4);
    // b's first column is its cleared marker in row 0; row 1 has the value.
    EXPECT_EQ(canvas.At(3, 2), c.expected) << "mode " << c.mode << " value " << int(c.value);
    EXPECT_EQ(canvas.At(6, 2), 0x80101010u) << "glyph b is 4 wide";
  }
}

TEST(FontTest, UnimplementedModesWriteTheirNotice) {
  TempDir dir;
  BitmapFont font = BuildBitmapFont(WriteSheet(dir, 40, {2, 4, 6, 8, 10}, 12).c_str(), "notim", 2, 12, 3);
  Canvas canvas;
  EXPECT_EQ(DrawCharacter(font, 'o', 0xFFFFFF, 4, 10, 4, canvas.pixels.data(), canvas.width, canvas.height), 2);
  EXPECT_EQ(canvas.At(0, 1), 0x00282828u);   // "not implemented" in mode 0 at the top left
  EXPECT_EQ(canvas.At(11, 5), 0x80101010u);  // the glyph itself is not drawn
}

TEST(FontTest, ClippingAtTheEdges) {
  TempDir dir;
  // One glyph of width 10 (marker at 9), value 50 everywhere below row 0.
  BitmapFont font = BuildBitmapFont(WriteSheet(dir, 50, {9}, 12).c_str(), "a", 5, 12, 3);
  ASSERT_EQ(font.glyphWidths[0], 10);
  Canvas right;
  EXPECT_EQ(DrawGlyph(font, 0, 1, 0, right.width - 4, 1, right.pixels.data(), right.width, right.height), 10);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(right.At(x, 2) == 0x00323232u, x >= 12) << x;
  Canvas left;
  DrawGlyph(font, 0, 1, 0, -3, -1, left.pixels.data(), left.width, left.height);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(left.At(x, 0) == 0x00323232u, x <= 6) << x;
  EXPECT_EQ(left.At(0, 2), 0x80101010u);  // glyph rows 1..2 land on rows 0..1 (y = -1)
  // Far outside, and an index outside the font.
  Canvas far;
  DrawGlyph(font, 0, 1, 0, 1000, -1000, far.pixels.data(), far.width, far.height);
  EXPECT_EQ(DrawGlyph(font, 5, 1, 0, 0, 0, far.pixels.data(), far.width, far.height), 5);
  for (Pixel p : far.pixels) ASSERT_EQ(p, 0x80101010u);
}

TEST(FontTest, DrawTextMeasuresLikeTextWidthAndUsesTheFirstDuplicate) {
  TempDir dir;
  BitmapFont font = BuildBitmapFont(WriteSheet(dir, 9).c_str(), "aba", 5, 12, 3);
  Canvas canvas;
  EXPECT_EQ(DrawText(font, "a b", 0, 6, 0, 0, canvas.pixels.data(), canvas.width, canvas.height),
            TextWidth(font, "a b"));
  EXPECT_EQ(CharacterWidth(font, 'a'), 4);  // glyph 0, not glyph 2 (width 3)
}
