// Turns an RGB picture into palette indices for a PCX file with libimagequant:
// a palette of at most `colours` opaque entries (indices from 0, skipping
// `transparentIndex`) and lightly dithered mapping. Pixels whose alpha is below
// one half become `transparentIndex`. Empty (and one line said) on failure.
#pragma once

#include <cstdint>
#include <vector>

#include "canvas.h"

struct Indexed {
  std::vector<std::uint8_t> indices;
  std::vector<std::uint8_t> palette;  // 768 bytes
};

Indexed Quantize(const Canvas& canvas, int colours, int transparentIndex = -1);
