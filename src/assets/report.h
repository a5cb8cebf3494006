// One line on stderr about a data file that could not be used as it is:
// "zintavel: <path>: <problem>". Loading goes on after it.
#pragma once

#include <string>

// Text quoted in a one-line message, control characters as '?', so that a
// name holding a line end cannot make the message two lines.
std::string OneLine(std::string text);

[[gnu::format(printf, 2, 3)]] void ReportAssetProblem(const char* path, const char* format, ...);

// While set, reports are dropped: a file loaded a second time into another
// slot has been named (once) by its first load.
extern bool AssetReportsMuted;
