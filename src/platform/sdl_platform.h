// The real-time backend: an SDL2 window (desktop-sized full screen, or a
// resizable window; F11 or Alt+Enter switches between them), a renderer with a
// streaming texture in the display depth's format, drawn nearest-neighbour at
// the largest whole multiple (or the largest 4:3 size) that fits the real pixel
// size, letterboxed; sound through an SDL audio device at 44,100 Hz stereo,
// or, when none opens, through none: the show plays on silently, said once on
// stderr and for a few seconds in the window's title.
//
// Pacing: where the renderer's vsync holds presents to the display's refresh
// rate, that is all; where it does not (no vsync, a software renderer, or
// presents measurably faster than the refresh rate), Flip sleeps to the next
// refresh interval. Escape or a close request asks to quit; another during the
// closing fade ends it at once. Space or P pauses: the tick counter and the sound stop
// together and no frame is drawn until it resumes. SIGINT and SIGTERM ask to
// quit like the close button; a second one, or one during the closing fade,
// runs the clock out so the program ends at once through its usual teardown.
//
// Before the first frame is shown, the warning card (player/warning_card.h),
// which is also the set-up card, stands over it with the clock held, so the
// show starts from its beginning once it goes; its choices take effect as
// they are made. Not under the invisible drivers, where no one could read it
// or press a key.
#pragma once

#include <functional>
#include <memory>
#include <optional>

#include <string>

#include "assets/font.h"
#include "platform/engine_platform.h"

struct SdlOptions {
  bool window = false;                 // a resizable window instead of full screen
  std::optional<int> depth;            // only this depth "exists"
  bool forceDoubling = false;          // only the doubled size "exists"
  bool mute = false;                   // open no sound device
  bool pacing = true;                  // false: present as fast as frames come, for measuring
  std::optional<int> display;          // the screen to play on
  bool fit = false;                    // the largest 4:3 size instead of whole multiples
  std::optional<std::uint32_t> quitAt;
  // Called in the pump once the window's events are taken, with the ms since
  // the window opened (--watch reloads changed files here).
  std::function<void(std::uint32_t)> betweenFrames;
  bool warning = true;                 // the warning card before the show
  // The card's letters (loaded with the show, read when the card first shows)
  // and the title card the window's icon is made from.
  const BitmapFont* cardFont = nullptr;
  std::string cardPicture;
  // The gentle mode as the show starts, and the card switching it.
  bool gentle = false;
  std::function<void(bool)> gentleSet;
  // Sound opened but muted, as the card's choices last left it.
  bool startMuted = false;
  // The display came from the kept choices, not the command line: one that
  // is no longer there is passed over for the first.
  bool displayKept = false;
  // Where the card keeps its choices; empty: nowhere.
  std::string choicesPath;
};

// A fatal error in a message box, for a program started without a console
// (title "Zintavel"); false when none could be shown.
bool ShowErrorBox(const std::string& text);

std::unique_ptr<EnginePlatform> MakeSdlPlatform(const SdlOptions& options);
