// JPEG pictures through libjpeg-turbo with its default decoding (islow DCT,
// fancy upsampling). Files of one (grey) or three (YCbCr) channels decode to
// blue, green, red bytes; the picture is then widened to 0x00RRGGBB pixels.
//
// A file that is missing, unreadable, truncated or corrupt, of another channel
// count, or not exactly the size of its destination leaves the destination as it
// was and gives one line on stderr naming the file and the problem.
#pragma once

#include <cstdint>
#include <memory>

#include "pixel/picture.h"

struct FreeBytes {
  void operator()(std::uint8_t* bytes) const;
};

struct DecodedJpeg {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::unique_ptr<std::uint8_t[], FreeBytes> bgr;  // width * height * 3 bytes, none after a failure
};

DecodedJpeg DecodeJpegFile(const char* path);

// Fills width * height pixels of `destination` (stride = width). Returns true when
// it did.
bool LoadJpegPicture(const char* path, Pixel* destination, std::int32_t width, std::int32_t height);
