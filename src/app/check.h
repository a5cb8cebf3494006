// zintavel --check: reads the whole presentation as start-up does, without a
// window or a sound device, and prints to `out` one line per problem
// ("zintavel: <file>: <what is wrong>; <what the show does about it>"), then a
// summary. Beyond what the loaders say it finds characters the fonts have no
// glyph for, page lines that run off the page, pages with more lines than
// show, a ticker that starts over before the scanner scene ends, a module cut
// short (the player names it when it loads the module) and an MP3 that is
// not part one's length.
// Returns the exit code: 0 when there is nothing to say, 1 otherwise.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "sound/music_probe.h"

using MusicProber = MusicFacts (*)(const std::string& module, const std::string& stream);

int CheckPresentation(const std::string& dir, MusicProber probe, std::FILE* out);

// The text checks alone, on bytes in memory; `name` names the file in the lines.
// Each returns its problem lines (without a line end).
std::vector<std::string> CheckPageText(const std::string& name, const std::uint8_t* text, std::size_t size);
std::vector<std::string> CheckTickerText(const std::string& name);  // TickerText and TickerWidth as loaded
// A stream may run on past part one in silence (below -60 dBFS).
std::vector<std::string> CheckStreamLength(const std::string& name, double seconds, float peakAfterPartOne);
