#include "player/warning_card.h"

#include <algorithm>
#include <sstream>

#include "pixel/picture.h"

namespace {

constexpr int Margin = 16;
constexpr int LineHeight = 14;
constexpr std::uint32_t Panel = 0xE8080810;
constexpr std::uint32_t Title = 0xFFD040, Body = 0xE8E8E8, Keys = 0x90D0FF;

// Text on the panel: the glyph's grey as coverage of colour over the panel.
std::uint32_t Over(std::uint32_t colour, std::uint32_t coverage) {
  auto lane = [&](int shift) {
    const std::uint32_t bg = (Panel >> shift) & 0xFF, fg = (colour >> shift) & 0xFF;
    return ((bg * (255 - coverage) + fg * coverage) / 255) << shift;
  };
  return 0xFF000000 | lane(16) | lane(8) | lane(0);
}

}  // namespace

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

bool DrawWarningCard(const BitmapFont& font, int secondsLeft, bool gentleOn, std::uint32_t* argb) {
  if (font.glyphCount == 0) return false;
  // Greys first, each line's colour remembered by row, then onto the panel.
  std::vector<Pixel> grey(static_cast<std::size_t>(ScreenWidth) * ScreenHeight, 0);
  std::vector<std::uint32_t> rowColour(ScreenHeight, Body);
  int y = Margin;
  auto paragraph = [&](const std::string& text, std::uint32_t colour, bool centred) {
    for (const std::string& line : WrapText(font, text, ScreenWidth - 2 * Margin)) {
      const int x = centred ? (ScreenWidth - TextWidth(font, line.c_str())) / 2 : Margin;
      DrawText(font, line.c_str(), 0xFFFFFF, 3, x, y, grey.data(), ScreenWidth, ScreenHeight);
      for (int r = y; r < std::min(y + LineHeight, static_cast<int>(ScreenHeight)); ++r) rowColour[r] = colour;
      y += LineHeight;
    }
    y += LineHeight / 2;
  };
  paragraph("WARNING: FLASHING LIGHTS", Title, true);
  paragraph("This demo flashes: full-screen white flashes, negative flashes and fast flicker, several times "
            "a second in places.",
            Body, false);
  paragraph("If you or anyone watching is sensitive to flashing light, do not watch it.", Body, false);
  paragraph(gentleOn ? "Gentle mode is on: brightness swings slowly (--gentle). It softens the show but does not "
                       "make it safe for everyone."
                     : "Press G to play it gentler: brightness then swings slowly (--gentle). It softens the show "
                       "but does not make it safe for everyone.",
            Keys, false);
  paragraph("Any key starts the show, Escape quits. It starts by itself in " + std::to_string(secondsLeft) + " s.",
            Keys, false);
  for (int row = 0; row < ScreenHeight; ++row) {
    for (int x = 0; x < ScreenWidth; ++x) {
      const std::size_t i = static_cast<std::size_t>(row) * ScreenWidth + x;
      const std::uint32_t v = grey[i] & 0xFF;
      argb[i] = v ? Over(rowColour[row], v) : Panel;
    }
  }
  return true;
}
