// What an Impulse Tracker module's own offsets say about its size. A module
// cut short (a broken copy, a partial download) often still loads: the player
// fills what lies past the end with silence and says nothing. Every offset the
// file holds (instrument and sample headers, sample data, patterns, the song
// message) must lie inside it; ModuleNeeds finds the ones that do not.
//
// Only the "IMPM" format is read; for any other file `isIt` is false and the
// rest is left empty. Compressed sample data has no size in its header, so only
// its start is checked.
#pragma once

#include <cstddef>
#include <cstdint>

struct ModuleOffsets {
  bool isIt = false;
  std::int64_t size = 0;    // bytes in the file
  std::int64_t needed = 0;  // bytes the offsets reach (at least the header)
  std::int32_t instruments = 0, instrumentsPast = 0;
  std::int32_t samples = 0, samplesPast = 0;        // headers or data past the end
  std::int32_t patterns = 0, patternsPast = 0;
  bool headerCut = false;  // the file ends inside its own header or offset tables
};

ModuleOffsets CheckModuleOffsets(const std::uint8_t* bytes, std::size_t size);
