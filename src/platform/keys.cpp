#include "platform/keys.h"

#include <cctype>
#include <cstring>

const PlayerKey PlayerKeys[] = {
    {KeyAction::Quit, {"Escape", "q", nullptr}, "quit, after the ten-second closing fade (again: at once)"},
    {KeyAction::FullScreen, {"F11", "Alt+Return", "f", nullptr}, "full screen or a window"},
    {KeyAction::Pause, {"Space", "p", nullptr}, "pause and go on, picture and sound together"},
    {KeyAction::FrameBack, {",", nullptr}, "while paused: one frame back"},
    {KeyAction::FrameForward, {".", nullptr}, "while paused: one frame on"},
    {KeyAction::Back5, {"Left", nullptr}, "5 s back"},
    {KeyAction::Forward5, {"Right", nullptr}, "5 s on"},
    {KeyAction::Back60, {"Down", nullptr}, "60 s back"},
    {KeyAction::Forward60, {"Up", nullptr}, "60 s on"},
    {KeyAction::Start, {"Home", nullptr}, "the start of the show"},
    {KeyAction::PreviousPhase, {"PageUp", nullptr},
     "the start of this phase, or of the previous one within 3 s of this one's"},
    {KeyAction::NextPhase, {"PageDown", nullptr}, "the start of the next phase"},
    {KeyAction::Mute, {"m", nullptr}, "sound off and on"},
    {KeyAction::VolumeDown, {"9", "/", "Keypad /", nullptr}, "quieter"},
    {KeyAction::VolumeUp, {"0", "*", "Keypad *", nullptr}, "louder"},
    {KeyAction::Screenshot, {"F12", nullptr},
     "save the frame as PNG files, in the working directory or else where pictures go"},
};
const int PlayerKeyCount = sizeof PlayerKeys / sizeof PlayerKeys[0];

std::string KeyShown(const char* key) {
  if (std::strncmp(key, "Alt+", 4) == 0) return "Alt+" + KeyShown(key + 4);
  if (std::strcmp(key, "PageUp") == 0) return "Page Up";
  if (std::strcmp(key, "PageDown") == 0) return "Page Down";
  if (std::strcmp(key, "Return") == 0) return "Enter";
  if (key[0] && !key[1]) return std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(key[0]))));
  return key;
}

std::string KeysShown(const PlayerKey& key) {
  std::string out;
  for (int i = 0; i < 4 && key.keys[i]; ++i) out += (i ? ", " : "") + KeyShown(key.keys[i]);
  return out;
}

std::string KeysHelp() {
  constexpr std::size_t Column = 22, Width = 80;
  std::string out;
  for (int k = 0; k < PlayerKeyCount; ++k) {
    std::string line = "  " + KeysShown(PlayerKeys[k]);
    if (line.size() + 1 > Column) {
      out += line + "\n";
      line.clear();
    }
    line.resize(Column, ' ');
    // Words wrapped onto lines indented to the column.
    const std::string does = PlayerKeys[k].does;
    std::size_t at = 0;
    bool first = true;
    while (at < does.size()) {
      std::size_t end = does.find(' ', at);
      if (end == std::string::npos) end = does.size();
      const std::string word = does.substr(at, end - at);
      if (!first && line.size() + 1 + word.size() > Width) {
        out += line + "\n";
        line.assign(Column, ' ');
        first = true;
      }
      line += (first ? "" : " ") + word;
      first = false;
      at = end + 1;
    }
    out += line + "\n";
  }
  return out;
}
