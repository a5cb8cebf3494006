// The manual page in roff (man macros), made from the --help text: its
// opening paragraph becomes the description, each option line (two spaces,
// a dash) with its continuation lines one tagged paragraph.
#pragma once

#include <string>

std::string ManualPage(const std::string& help, const std::string& version);

// Text made safe for roff: backslashes doubled, dashes as \-, and a line that
// would begin with a control character guarded.
std::string RoffText(const std::string& text);
