// Where this program's file is, as a UTF-8 path with forward slashes (from
// /proc/self/exe, or Windows' module name); empty when the system will not say.
#pragma once

#include <string>

std::string ProgramPath();
