// Turns an RGB picture into palette indices for a PCX file: a median-cut palette
// of at most `colours` entries (indices 0 .. colours - 1) and nearest-colour
// mapping. Pixels whose alpha is below one half become `transparentIndex`.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

struct Indexed {
  std::vector<std::uint8_t> indices;
  std::vector<std::uint8_t> palette;  // 768 bytes
};

Indexed Quantize(const Canvas& canvas, int colours, int transparentIndex = -1);
