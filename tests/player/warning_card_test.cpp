// The warning card: its text wrapped to the frame, drawn onto a panel, and
// nothing at all without a font.
#include "player/warning_card.h"

#include <gtest/gtest.h>

#include <sstream>

#include "pixel/picture.h"

namespace {

const char* const PageCharset =
    "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6"
    "1234567890+=!?.,;:'/@-&$()";

const BitmapFont& Font() {
  static const BitmapFont font =
      BuildBitmapFont(ZINTAVEL_DEMO_DIR "/data/font3.pcx", PageCharset, 5, 564, 12);
  return font;
}

}  // namespace

TEST(WarningCardTest, WrapsAtSpacesWithinTheWidthKeepingEveryWord) {
  const BitmapFont& font = Font();
  ASSERT_GT(font.glyphCount, 0);
  const std::string text = "If you or anyone watching is sensitive to flashing light, do not watch it. "
                           "Unbreakablewordwiderthanthewholelineitself ends here.";
  for (int width : {60, 120, 288}) {
    const std::vector<std::string> lines = WrapText(font, text, width);
    std::string joined;
    for (const std::string& line : lines) {
      joined += (joined.empty() ? "" : " ") + line;
      if (line.find(' ') != std::string::npos) {
        EXPECT_LE(TextWidth(font, line.c_str()), width) << line;
      }
    }
    EXPECT_EQ(joined, text) << width;
  }
  EXPECT_TRUE(WrapText(font, "   ", 100).empty());
}

TEST(WarningCardTest, TextOnAPanelAndTheCountdownChangesIt) {
  std::vector<std::uint32_t> ten(ScreenWidth * ScreenHeight), three(ScreenWidth * ScreenHeight);
  ASSERT_TRUE(DrawWarningCard(Font(), 10, false, ten.data()));
  ASSERT_TRUE(DrawWarningCard(Font(), 3, false, three.data()));
  int panel = 0, text = 0, other = 0;
  for (std::uint32_t p : ten) {
    if (p >> 24 == 0xFF) ++text;
    else if (p >> 24 >= 0xC0) ++panel;
    else ++other;
  }
  EXPECT_EQ(other, 0);  // nothing of the frame shows through clearly
  EXPECT_GT(text, 2000);
  EXPECT_GT(panel, ScreenWidth * ScreenHeight / 2);
  EXPECT_NE(ten, three);
  // Only the line with the seconds differs.
  int firstRow = ScreenHeight, lastRow = -1;
  for (int i = 0; i < ScreenWidth * ScreenHeight; ++i)
    if (ten[i] != three[i]) firstRow = std::min(firstRow, i / ScreenWidth), lastRow = std::max(lastRow, i / ScreenWidth);
  EXPECT_LT(lastRow - firstRow, 14);

  const BitmapFont none;
  EXPECT_FALSE(DrawWarningCard(none, 10, false, ten.data()));
}
