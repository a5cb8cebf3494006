// The choices made on the set-up card, kept between runs in the user's
// settings folder: %APPDATA%\Zintavel\settings.txt on Windows,
// $XDG_CONFIG_HOME/zintavel/settings (or ~/.config/zintavel/settings)
// elsewhere. A short text of name=value lines, so a user may read or edit it;
// what cannot be read is passed over with a line saying so.
#pragma once

#include <string>

struct SetupChoices {
  bool fullScreen = true;
  int display = 0;  // counted from 0, as --display counts
  bool gentle = false;
  bool sound = true;

  bool operator==(const SetupChoices&) const = default;
};

// Where the choices are kept, from the environment; empty when there is no
// settings folder to name (no HOME, no APPDATA).
std::string SetupChoicesPath();

// Reads path into choices, keeping the defaults for what it does not say.
// A missing file is no problem (false, warning empty); a line that cannot be
// read leaves warning naming the file and the line, and the rest is still read.
bool ReadSetupChoices(const std::string& path, SetupChoices& choices, std::string& warning);

// Writes choices to path (its folder made if need be) whole or not at all:
// a new file renamed over the old. False with error naming the file.
bool WriteSetupChoices(const std::string& path, const SetupChoices& choices, std::string& error);
