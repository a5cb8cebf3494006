// The player's keys: one table that the window's backend, --help and the manual
// page all read, so what is pressed and what is written cannot drift apart.
#pragma once

#include <string>

enum class KeyAction {
  Quit, FullScreen, Pause, FrameBack, FrameForward, Back5, Forward5, Back60, Forward60, Start, PreviousPhase,
  NextPhase, Mute, VolumeDown, VolumeUp, Screenshot,
};

struct PlayerKey {
  KeyAction action;
  // SDL's names of the keys ("Left", "PageUp", "Keypad *", "m"), a null after
  // the last; "Alt+" in front asks for the Alt key held with it.
  const char* keys[4];
  const char* does;  // for --help and the manual page, after the keys
};

extern const PlayerKey PlayerKeys[];
extern const int PlayerKeyCount;

// A key's name as people write it: "PageUp" as "Page Up", "m" as "M".
std::string KeyShown(const char* key);
// "Left", "F11, Alt+Enter": the row's keys as people write them.
std::string KeysShown(const PlayerKey& key);

// The line --help puts above them.
inline constexpr const char* KeysHeading = "keys while it plays:";
// The keys as --help lists them: one line a key, names from column 2,
// what they do from column 22, wrapped at 80 columns.
std::string KeysHelp();
