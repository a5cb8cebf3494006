// --new DIR: the presentation copied into a new directory, with a README of
// its files, as the starting point of a show of one's own.
#pragma once

#include <string>

// Copies data/, tune.it and intro.mp3 (where there) from `from` into `to`,
// which must not exist yet or be empty, and writes to/README.txt. On failure
// one line in `error` naming the file and the problem; what was copied stays.
bool MakeNewShow(const std::string& from, const std::string& to, std::string& error);

// The README written beside the copied files.
extern const char* const NewShowReadme;
