// The texts of part two: the ticker and the two page files (Latin-1).
#pragma once

#include <string>

std::string TickerText();
std::string TickerLines();  // the ticker's words, without the blank around them
std::string PagesOneText();
std::string PagesTwoText();
