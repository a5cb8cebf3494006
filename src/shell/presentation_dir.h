// Where the presentation (data/, tune.it, intro.mp3) is when --dir is not
// given: the working directory when it holds data/, else found from the
// program's own place, so an installed or moved program needs no fixed path:
// <bin>/../share/zintavel when installed, <build>/demo beside <build>/src in the
// build tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

// The directories to try for a program at programPath, in order.
std::vector<std::string> PresentationCandidates(const std::string& programPath);

// The first candidate that is a directory; nothing when none is. The program's
// path comes from /proc/self/exe.
std::optional<std::string> FindPresentation();

// The directory named in the message when none is found: where an installed
// program looks.
std::string InstalledPresentation(const std::string& programPath);

// The running program's path, or empty when it cannot be read.
std::string ProgramPath();
