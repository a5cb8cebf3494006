// The warning card: its text wrapped to the frame, drawn onto a panel, its
// choices changed by keys and clicks, and nothing at all without a font.
#include "player/warning_card.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <utility>

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

TEST(WarningCardTest, TextOnAPanelTheCountdownAndTheChosenLine) {
  std::vector<std::uint32_t> ten(ScreenWidth * ScreenHeight), three(ScreenWidth * ScreenHeight);
  CardState card;
  CardLayout layout;
  ASSERT_TRUE(DrawWarningCard(Font(), card, ten.data(), &layout));
  card.secondsLeft = 3;
  ASSERT_TRUE(DrawWarningCard(Font(), card, three.data()));
  int panel = 0, text = 0, other = 0;
  for (std::uint32_t p : ten) {
    if (p >> 24 == 0xFF) ++text;
    else if (p >> 24 >= 0xC0) ++panel;
    else ++other;
  }
  EXPECT_EQ(other, 0);  // nothing of the frame shows through clearly
  EXPECT_GT(text, 2000);
  EXPECT_GT(panel, ScreenWidth * ScreenHeight / 2);
  // Only the Start line, which holds the seconds, differs.
  auto changedRows = [](const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    int first = ScreenHeight, last = -1;
    for (int i = 0; i < ScreenWidth * ScreenHeight; ++i)
      if (a[i] != b[i]) first = std::min(first, i / ScreenWidth), last = std::max(last, i / ScreenWidth);
    return std::pair{first, last};
  };
  const int start = static_cast<int>(CardLine::Start);
  auto [first, last] = changedRows(ten, three);
  EXPECT_GE(first, layout.top[start]);
  EXPECT_LT(last, layout.bottom[start]);
  // The lines lie one under the other, and the note under them still fits the card.
  for (int i = 1; i < CardLineCount; ++i) EXPECT_EQ(layout.top[i], layout.bottom[i - 1]);
  EXPECT_LE(layout.bottom[start] + 2 * 14, ScreenHeight);
  // Another line chosen lights that line and unlights Start, nothing else.
  card.selected = CardLine::Gentle;
  ASSERT_TRUE(DrawWarningCard(Font(), card, ten.data()));
  std::tie(first, last) = changedRows(ten, three);
  EXPECT_GE(first, layout.top[static_cast<int>(CardLine::Gentle)]);
  EXPECT_LT(last, layout.bottom[start]);

  const BitmapFont none;
  EXPECT_FALSE(DrawWarningCard(none, card, ten.data()));
}

TEST(WarningCardTest, KeysAndClicksChangeTheChoicesAndSayWhat) {
  CardState card;
  card.displays = 3;
  // A letter changes its line, says so, and stops the countdown: the viewer is choosing.
  CardResult r = PressOnCard(card, CardKey::GentleKey);
  EXPECT_EQ(r.outcome, CardOutcome::Changed);
  EXPECT_EQ(r.line, CardLine::Gentle);
  EXPECT_TRUE(card.choices.gentle);
  EXPECT_FALSE(card.counting);
  EXPECT_EQ(CardLineText(card, CardLine::Gentle), "Gentle mode: on");
  EXPECT_NE(card.confirmation.find("Gentle"), std::string::npos);
  EXPECT_EQ(CardLineText(card, CardLine::Start), "Start");
  // Up and Down wrap round the five lines; Change and ChangeBack step the displays both ways.
  card.selected = CardLine::Screen;
  EXPECT_EQ(PressOnCard(card, CardKey::Up).line, CardLine::Start);
  EXPECT_EQ(PressOnCard(card, CardKey::Down).line, CardLine::Screen);
  EXPECT_EQ(PressOnCard(card, CardKey::Down).line, CardLine::Display);
  for (int expected : {1, 2, 0}) {
    EXPECT_EQ(PressOnCard(card, CardKey::Change).outcome, CardOutcome::Changed);
    EXPECT_EQ(card.choices.display, expected);
  }
  PressOnCard(card, CardKey::ChangeBack);
  EXPECT_EQ(card.choices.display, 2);
  EXPECT_EQ(CardLineText(card, CardLine::Display), "Display: 3 of 3");
  // One display, or no sound device: nothing to change, and the card says why.
  card.displays = 1, card.choices.display = 0, card.soundAvailable = false;
  EXPECT_EQ(PressOnCard(card, CardKey::DisplayKey).outcome, CardOutcome::Moved);
  EXPECT_EQ(card.choices.display, 0);
  const bool sound = card.choices.sound;
  EXPECT_EQ(PressOnCard(card, CardKey::SoundKey).outcome, CardOutcome::Moved);
  EXPECT_EQ(card.choices.sound, sound);
  EXPECT_EQ(CardLineText(card, CardLine::Sound), "Sound: none here");
  EXPECT_NE(card.confirmation.find("No sound"), std::string::npos);
  // Change on Start starts; Enter and any other key start; Escape quits.
  card.selected = CardLine::Start;
  EXPECT_EQ(PressOnCard(card, CardKey::Change).outcome, CardOutcome::Start);
  EXPECT_EQ(PressOnCard(card, CardKey::Other).outcome, CardOutcome::Start);
  EXPECT_EQ(PressOnCard(card, CardKey::Quit).outcome, CardOutcome::Quit);

  // Clicks: on a line it is chosen and changed; on Start the show starts; elsewhere nothing.
  CardState clicked;
  CardLayout layout;
  std::vector<std::uint32_t> pixels(ScreenWidth * ScreenHeight);
  ASSERT_TRUE(DrawWarningCard(Font(), clicked, pixels.data(), &layout));
  const int screen = static_cast<int>(CardLine::Screen);
  r = ClickOnCard(clicked, layout, (layout.top[screen] + layout.bottom[screen]) / 2);
  EXPECT_EQ(r.outcome, CardOutcome::Changed);
  EXPECT_FALSE(clicked.choices.fullScreen);
  EXPECT_EQ(CardLineText(clicked, CardLine::Screen), "Screen: window");
  EXPECT_EQ(ClickOnCard(clicked, layout, 2).outcome, CardOutcome::Nothing);
  EXPECT_EQ(ClickOnCard(clicked, layout, layout.top[static_cast<int>(CardLine::Start)]).outcome, CardOutcome::Start);
}
