// Where the presentation (data/ with every file of the data set, tune.it, and
// optionally intro.mp3) is when --dir is not given. A directory counts only
// when it holds a whole presentation, so a stray data/ in the working
// directory does not shadow the installed one. In order: the working
// directory; from the program's own place, so an installed or moved tree
// needs no fixed path, <bin>/../share/zintavel, and <build>/demo for a program
// in <build>/src; the XDG data directories ($XDG_DATA_HOME, then each of
// $XDG_DATA_DIRS, with their usual defaults) under zintavel/; and the install
// prefix the program was built for.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the search depends on besides the files, so a test can set it.
struct SearchPlaces {
  std::string programPath;    // empty when unknown
  std::string xdgDataHome;    // $XDG_DATA_HOME, empty when unset
  std::string xdgDataDirs;    // $XDG_DATA_DIRS, empty when unset
  std::string home;           // $HOME, empty when unset
  std::string installPrefix;  // empty when none
};

// The places of this process: /proc/self/exe, the environment, the build's prefix.
SearchPlaces ThisProgramsPlaces();

// The directories to try, in order, without repeats.
std::vector<std::string> PresentationCandidates(const SearchPlaces& places);

// Empty when dir holds a whole presentation, else what is missing, e.g.
// "no data/card.pcx" or "no tune.it".
std::string MissingFromPresentation(const std::string& dir);

// The first candidate holding a whole presentation; nothing when none does, and
// then `tried` holds one line naming every candidate and what it lacked.
std::optional<std::string> FindPresentation(const SearchPlaces& places, std::string& tried);
