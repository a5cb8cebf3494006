// JPEG pictures through libjpeg-turbo with its default decoding (islow DCT,
// fancy upsampling). Files of one (grey) or three (YCbCr) channels decode to
// blue, green, red bytes; the picture is then widened to 0x00RRGGBB pixels.
//
// A file that is missing, unreadable, truncated or corrupt, of another channel
// count, or not exactly the size of its destination leaves the destination as it
// was and gives one line on stderr naming the file and the problem. The size is
// checked from the header, before anything is decoded or allocated.
#pragma once

#include <cstddef>
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

// Any size up to 16 Mpixels.
DecodedJpeg DecodeJpegFile(const char* path);
// The same from a whole file held in memory; `name` only names it in messages.
DecodedJpeg DecodeJpegMemory(const char* name, const std::uint8_t* file, std::size_t size);

// Fills width * height pixels of `destination` (stride = width). Returns true when
// it did.
bool LoadJpegPicture(const char* path, Pixel* destination, std::int32_t width, std::int32_t height);
bool DecodeJpegPicture(const char* name, const std::uint8_t* file, std::size_t size, Pixel* destination,
                       std::int32_t width, std::int32_t height);
