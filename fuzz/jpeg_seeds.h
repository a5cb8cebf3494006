// The JPEG target's seeds: small valid files at each slot size the loaders
// accept (320x240, 256x256, 32x30), each in one of the forms the decoder takes
// a different path for (chroma subsampling, grey, progressive, arithmetic
// coding, restart markers), named like "320x240-progressive.jpg". The picture
// is a fixed pattern, so the files are the same bytes on every build.
#pragma once

#include <string>

// Writes every seed into `dir`; false (with a line on stderr) when one cannot be written.
bool WriteJpegSeeds(const std::string& dir);
