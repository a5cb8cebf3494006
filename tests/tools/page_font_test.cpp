// The generated page font and pages: crisp glyphs big enough to read, capitals
// (the headings) in a heavier weight, and pages that fill the column, differ
// from one another and land well inside their 15 s.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "assets/font.h"
#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "show/end_rule.h"
#include "support/test_support.h"

namespace {

const std::string Demo = ZINTAVEL_DEMO_DIR;

void Load() {
  PresentationDirectory = Demo;
  bool ok = false;
  const std::string said = CaptureStderrOf([&] { ok = LoadAssets(); });
  PresentationDirectory = std::string(".");
  ASSERT_TRUE(ok) << said;
}

struct Ink {
  int pixels = 0, top = 99, bottom = -1;
};

Ink InkOf(char c) {
  Ink ink;
  const char* at = std::strchr(PageFont.charset, c);
  if (!at) return ink;
  const int g = static_cast<int>(at - PageFont.charset);
  for (int y = 0; y < PageFont.sheetHeight; ++y) {
    for (int x = 0; x < PageFont.glyphWidths[g]; ++x) {
      if (PageFont.pixels[y * PageFont.sheetWidth + PageFont.glyphOffsets[g] + x] > 1) {
        ++ink.pixels;
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      }
    }
  }
  return ink;
}

int LowestPoint(const PointPicture& page) {
  int y = -1;
  for (const PicturePoint& p : page.points) y = std::max(y, p.targetY);
  return y;
}

}  // namespace

TEST(PageFontTest, CrispGlyphsOfReadingSizeWithHeavierCapitals) {
  Load();
  // Whole pixels only: each one a point in full colour, none a grey speck.
  for (int i = PageFont.sheetWidth; i < PageFont.sheetWidth * PageFont.sheetHeight; ++i) {
    ASSERT_TRUE(PageFont.pixels[i] == 0 || PageFont.pixels[i] == 254) << "sheet pixel " << i;
  }
  EXPECT_GE(InkOf('H').bottom - InkOf('H').top + 1, 10) << "capital height";
  EXPECT_GE(InkOf('x').bottom - InkOf('x').top + 1, 7) << "x-height";
  EXPECT_GT(InkOf('g').bottom, InkOf('x').bottom) << "descenders";
  // Headings are capitals: their strokes carry clearly more ink than the body's.
  int capitals = 0, lower = 0;
  for (char c = 'A'; c <= 'Z'; ++c) capitals += InkOf(c).pixels;
  for (char c = 'a'; c <= 'z'; ++c) lower += InkOf(c).pixels;
  EXPECT_GT(capitals, lower * 3 / 2);
  // One column of air between any two glyphs: nothing touches its neighbour.
  for (int g = 0; g < PageFont.glyphCount; ++g) {
    const int first = PageFont.glyphOffsets[g];
    for (int y = 1; y < PageFont.sheetHeight; ++y) {
      EXPECT_LE(PageFont.pixels[y * PageFont.sheetWidth + first], 1) << "glyph " << g << " has ink in its first column";
    }
  }
}

TEST(PageFontTest, PagesDifferAndStayWholeToBeRead) {
  Load();
  // The first set runs three times over as a refrain: pages each its own,
  // short enough to be read whole for a good while every time round.
  ASSERT_GE(PagesOneCount, 1);
  std::set<std::vector<std::int32_t>> seen;
  for (int p = 0; p < PagesOneCount; ++p) {
    std::vector<std::int32_t> targets;
    for (const PicturePoint& q : PagesOne[p].points) targets.push_back(q.targetIndex);
    EXPECT_TRUE(seen.insert(targets).second) << "page " << p << " repeats an earlier one";
    EXPECT_GE(LowestPoint(PagesOne[p]), 120) << "page " << p << " is hardly a page";
    EXPECT_LE(PageLandedAfter(PagesOne[p]), SlotMs - 6000) << "page " << p << " is whole for less than 6 s";
  }
  // Every page lands before its slot is over and stays whole for a while to be read.
  for (int p = 0; p < PagesOneCount; ++p) EXPECT_LT(PageLandedAfter(PagesOne[p]), SlotMs - 3000) << p;
  for (int p = 0; p < PagesTwoCount; ++p) EXPECT_LT(PageLandedAfter(PagesTwo[p]), SlotMs - 3000) << p;
  // The sign-off is whole well before the music's final hit, half way through its slot.
  EXPECT_LE(PageLandedAfter(PagesTwo[PagesTwoCount - 1]) + 2000, SlotMs / 2);
}
