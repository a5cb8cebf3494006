// A look at an Impulse Tracker module's own table of contents before it is
// played. A module cut short (or with a damaged offset) still loads, and the
// tracker library quietly plays what is left: patterns that are not there are
// empty and samples that are not there are silent, which sounds like another
// song. This names the first thing the file points at but does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// True when every instrument, sample header, sample's data, pattern and the
// message the header lists lies inside [data, data + size), or when the bytes
// are not an IT module at all (that is for the player to say). Otherwise
// false, with `problem` saying what is missing, e.g. "cut short or damaged:
// sample 3 runs to byte 812,416 but the file ends at 320,710".
bool CheckModuleOffsets(const std::uint8_t* data, std::size_t size, std::string& problem);
