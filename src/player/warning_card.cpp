#include "player/warning_card.h"

#include <algorithm>
#include <sstream>

#include "pixel/picture.h"

namespace {

constexpr int Margin = 16;
constexpr int LineHeight = 14;
constexpr std::uint32_t Panel = 0xE8080810, Lit = 0xF0283048;
constexpr std::uint32_t Title = 0xFFD040, Body = 0xE8E8E8, Keys = 0x90D0FF, Choice = 0xFFFFFF;

// Text on the panel: the glyph's grey as coverage of colour over the background.
std::uint32_t Over(std::uint32_t background, std::uint32_t colour, std::uint32_t coverage) {
  auto lane = [&](int shift) {
    const std::uint32_t bg = (background >> shift) & 0xFF, fg = (colour >> shift) & 0xFF;
    return ((bg * (255 - coverage) + fg * coverage) / 255) << shift;
  };
  return 0xFF000000 | lane(16) | lane(8) | lane(0);
}

CardLine Next(CardLine line, int by) {
  const int n = (static_cast<int>(line) + by + CardLineCount) % CardLineCount;
  return static_cast<CardLine>(n);
}

// Changes one line's choice, forward or back; says what it did.
CardResult Change(CardState& card, CardLine line, bool back) {
  SetupChoices& c = card.choices;
  switch (line) {
    case CardLine::Screen:
      c.fullScreen = !c.fullScreen;
      card.confirmation = c.fullScreen ? "Full screen. F11 switches it during the show too."
                                       : "In a window. F11 switches it during the show too.";
      break;
    case CardLine::Display:
      if (card.displays <= 1) {
        card.confirmation = "There is only one display.";
        return {CardOutcome::Moved, line};
      }
      c.display = (c.display + (back ? card.displays - 1 : 1)) % card.displays;
      card.confirmation = "The show plays on display " + std::to_string(c.display + 1) + ".";
      break;
    case CardLine::Gentle:
      c.gentle = !c.gentle;
      card.confirmation = c.gentle ? "Gentle: brightness swings slowly. Softer, not safe for all."
                                   : "Gentle mode off: the flashes are at full strength.";
      break;
    case CardLine::Sound:
      if (!card.soundAvailable) {
        card.confirmation = "No sound here: the show plays silently.";
        return {CardOutcome::Moved, line};
      }
      c.sound = !c.sound;
      card.confirmation = c.sound ? "Sound on. M mutes it during the show." : "Sound off. M turns it on again.";
      break;
    case CardLine::Start: return {CardOutcome::Start, line};
  }
  card.counting = false;
  return {CardOutcome::Changed, line};
}

}  // namespace

CardResult PressOnCard(CardState& card, CardKey key) {
  switch (key) {
    case CardKey::Up:
    case CardKey::Down:
      card.selected = Next(card.selected, key == CardKey::Up ? -1 : 1);
      card.counting = false;  // someone is choosing: wait for them
      return {CardOutcome::Moved, card.selected};
    case CardKey::Change:
    case CardKey::ChangeBack: return Change(card, card.selected, key == CardKey::ChangeBack);
    case CardKey::ScreenKey: card.selected = CardLine::Screen; return Change(card, CardLine::Screen, false);
    case CardKey::DisplayKey: card.selected = CardLine::Display; return Change(card, CardLine::Display, false);
    case CardKey::GentleKey: card.selected = CardLine::Gentle; return Change(card, CardLine::Gentle, false);
    case CardKey::SoundKey: card.selected = CardLine::Sound; return Change(card, CardLine::Sound, false);
    case CardKey::Quit: return {CardOutcome::Quit, card.selected};
    case CardKey::Start:
    case CardKey::Other: return {CardOutcome::Start, card.selected};
  }
  return {};
}

CardResult ClickOnCard(CardState& card, const CardLayout& layout, int y) {
  for (int i = 0; i < CardLineCount; ++i) {
    if (y < layout.top[i] || y >= layout.bottom[i]) continue;
    card.selected = static_cast<CardLine>(i);
    return Change(card, card.selected, false);
  }
  return {};
}

std::vector<std::string> WrapText(const BitmapFont& font, const std::string& text, int width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && TextWidth(font, longer.c_str()) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::string CardLineText(const CardState& card, CardLine line) {
  const SetupChoices& c = card.choices;
  switch (line) {
    case CardLine::Screen: return std::string("Screen: ") + (c.fullScreen ? "full screen" : "window");
    case CardLine::Display:
      return "Display: " + std::to_string(std::min(c.display, card.displays - 1) + 1) + " of " +
             std::to_string(card.displays);
    case CardLine::Gentle: return std::string("Gentle mode: ") + (c.gentle ? "on" : "off");
    case CardLine::Sound:
      return card.soundAvailable ? std::string("Sound: ") + (c.sound ? "on" : "off") : "Sound: none here";
    case CardLine::Start:
      return card.counting ? "Start (by itself in " + std::to_string(card.secondsLeft) + " s)" : "Start";
  }
  return "";
}

bool DrawWarningCard(const BitmapFont& font, const CardState& card, std::uint32_t* argb, CardLayout* layout) {
  if (font.glyphCount == 0) return false;
  // Greys first, each row's colour and background remembered, then onto the panel.
  std::vector<Pixel> grey(static_cast<std::size_t>(ScreenWidth) * ScreenHeight, 0);
  std::vector<std::uint32_t> rowColour(ScreenHeight, Body), rowBack(ScreenHeight, Panel);
  int y = Margin - 4;
  auto line = [&](const std::string& text, std::uint32_t colour, int x, std::uint32_t back = Panel) {
    DrawText(font, text.c_str(), 0xFFFFFF, 3, x, y, grey.data(), ScreenWidth, ScreenHeight);
    for (int r = std::max(0, y - 1); r < std::min(y + LineHeight - 1, static_cast<int>(ScreenHeight)); ++r)
      rowColour[r] = colour, rowBack[r] = back;
    y += LineHeight;
  };
  auto paragraph = [&](const std::string& text, std::uint32_t colour, bool centred) {
    for (const std::string& l : WrapText(font, text, ScreenWidth - 2 * Margin))
      line(l, colour, centred ? (ScreenWidth - TextWidth(font, l.c_str())) / 2 : Margin);
    y += LineHeight / 3;
  };
  paragraph("WARNING: FLASHING LIGHTS", Title, true);
  paragraph("This demo flashes: full-screen white flashes, negative flashes and fast flicker, several times "
            "a second in places.",
            Body, false);
  paragraph("If you or anyone watching is sensitive to flashing light, do not watch it. Gentle mode softens "
            "the show but does not make it safe for everyone.",
            Body, false);
  constexpr const char* Letters[CardLineCount] = {"F", "D", "G", "S", "Enter"};
  for (int i = 0; i < CardLineCount; ++i) {
    const CardLine l = static_cast<CardLine>(i);
    const bool lit = l == card.selected;
    if (layout) layout->top[i] = y - 1, layout->bottom[i] = y + LineHeight - 1;
    const int top = y;
    line(std::string(lit ? "> " : "  ") + CardLineText(card, l), lit ? Choice : Keys, Margin, lit ? Lit : Panel);
    const std::string letter = Letters[i];
    y = top;
    DrawText(font, letter.c_str(), 0xFFFFFF, 3, ScreenWidth - Margin - TextWidth(font, letter.c_str()), y, grey.data(),
             ScreenWidth, ScreenHeight);
    y += LineHeight;
  }
  y += LineHeight / 3;
  const std::string note = card.confirmation.empty() ? "Arrows and Enter, or click. Escape quits." : card.confirmation;
  for (const std::string& l : WrapText(font, note, ScreenWidth - 2 * Margin)) line(l, Title, Margin);
  for (int row = 0; row < ScreenHeight; ++row) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const std::size_t i = static_cast<std::size_t>(row) * ScreenWidth + x;
      const std::uint32_t v = grey[i] & 0xFF;
      argb[i] = v ? Over(rowBack[row], rowColour[row], v) : rowBack[row];
    }
  }
  return true;
}
