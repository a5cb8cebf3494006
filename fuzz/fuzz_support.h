// What the fuzz targets share: the data set's fonts, a frame to draw into, and
// (with ZINTAVEL_FUZZ_THROUGH_FILES) a way to hand an input to the path-based
// loaders, to compare their speed with the in-memory ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "assets/font.h"

// Builds the font of the data set's sheet `file` (font1.pcx, font2.pcx,
// font3.pcx) with its character set and size; an empty font when the data set
// is not there.
BitmapFont DataSetFont(const char* file);

// A path of this process's own for `what`, under $TMPDIR (else /tmp):
// scripts/fuzz points that at a directory it removes after each target.
std::string ScratchPath(const char* what);

// Writes the input to a file of its own (per process) and returns its path.
const char* InputAsFile(const std::uint8_t* data, std::size_t size);
