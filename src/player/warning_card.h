// The card shown before the live show: the photosensitivity warning, and the
// set-up of the show on it: full screen or a window, which display, the
// gentle mode, sound on or off, then Start. Each choice shows on the card as
// it changes, and is kept for next time (player/setup_choices.h). Our layer
// draws it over the presented picture (never into the frame buffer, never in
// a recording) with the presentation's page font, at the frame's own 320x240
// so it scales like the show.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "assets/font.h"
#include "player/setup_choices.h"

inline constexpr int WarningCardSeconds = 10;  // then the show starts by itself, unless a choice was changed

// The card's lines that can be chosen, top to bottom.
enum class CardLine { Screen, Display, Gentle, Sound, Start };
inline constexpr int CardLineCount = 5;

struct CardState {
  SetupChoices choices;
  int displays = 1;             // how many the system has
  bool soundAvailable = true;   // false: no sound device (or --mute): the sound line says so
  CardLine selected = CardLine::Start;
  int secondsLeft = WarningCardSeconds;
  bool counting = true;         // false once the viewer changed a choice: then only a key starts it
  std::string confirmation;     // what the last change did, shown under the choices
};

// Where each choosable line lies on the card, in its 320x240 rows: [top, bottom).
struct CardLayout {
  std::array<int, CardLineCount> top{}, bottom{};
};

// The viewer's input on the card, turned into what it does.
enum class CardKey { Up, Down, Change, ChangeBack, Start, Quit, ScreenKey, DisplayKey, GentleKey, SoundKey, Other };

// What a key or click did: a choice that changed (the caller applies it), the
// show starting, the program quitting, or nothing.
enum class CardOutcome { Nothing, Moved, Changed, Start, Quit };
struct CardResult {
  CardOutcome outcome = CardOutcome::Nothing;
  CardLine line = CardLine::Start;  // the line changed, when Changed
};

// A key on the card: Up/Down move between lines, Change (Space, Left, Right)
// changes the line chosen or starts on Start, the letters change their line
// directly; Start (Enter) and any other key start the show.
CardResult PressOnCard(CardState& card, CardKey key);
// A click at row y of the card (320x240 rows): a choice line changes, Start starts.
CardResult ClickOnCard(CardState& card, const CardLayout& layout, int y);

// text cut at spaces into lines no wider than width pixels in font (a single
// word wider than that stands alone on its line).
std::vector<std::string> WrapText(const BitmapFont& font, const std::string& text, int width);

// The text of each choice line as the card shows it ("Gentle mode: on").
std::string CardLineText(const CardState& card, CardLine line);

// The card in 320x240 ARGB pixels (0xAARRGGBB): a dark, nearly opaque panel
// with the text, the chosen line lit. False when the font draws nothing (a
// presentation without it): then there is no card to show.
bool DrawWarningCard(const BitmapFont& font, const CardState& card, std::uint32_t* argb, CardLayout* layout = nullptr);
