// PCX pictures, 8 bits per pixel in one plane with bytes per line equal to the
// width. The 128-byte header is not used for decoding; run-length data follows
// it (a byte above 192 is a run of b - 192 copies of the next byte, any other
// byte, 192 included, is one index); the palette is the last 768 bytes.
//
// A header that says something else than 8 bits, one plane, `width` pixels and
// bytes a row and `height` rows gives one line on stderr; the file is decoded
// the same way all the same. A missing, unreadable or short file, or run-length
// data that ends early or runs past the picture, gives what could be decoded
// with the rest set to index 255 (transparent) and one line on stderr; nothing
// is written past width * height indices. Files are read only as far as the
// decoder can use them (header, at most two bytes a pixel, and the palette).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "pixel/picture.h"

// Size of an open file in bytes; the read position is left where it was.
std::int32_t FileSize(std::FILE* file);

// Decodes width * height indices and copies the 768-byte palette (zeros when the
// file is shorter than that). Returns true when the file held everything asked
// of it; `decoded`, when given, receives how many indices came from the file.
bool ReadPcxIndices(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t width,
                    std::int32_t height, std::int32_t* decoded = nullptr);
// The same over a whole file held in memory; `name` only names it in messages.
bool DecodePcxIndices(const char* name, const std::uint8_t* file, std::size_t size, std::uint8_t* indices,
                      std::uint8_t* palette, std::int32_t width, std::int32_t height,
                      std::int32_t* decoded = nullptr);

// Decodes a 320-wide picture: index 255 becomes TransparentKey, every other index
// its palette colour 0x00RRGGBB; `box` bounds the opaque pixels (100000, 0, 11110,
// 0 when there are none). Width must be 320 and height 1..240. Returns as above.
bool LoadPcxPicture(const char* path, Picture& picture, SpriteBox& box, std::int32_t width,
                    std::int32_t height);
bool DecodePcxPicture(const char* name, const std::uint8_t* file, std::size_t size, Picture& picture,
                      SpriteBox& box, std::int32_t width, std::int32_t height);
