// PCX pictures, 8 bits per pixel in one plane with bytes per line equal to the
// width. The 128-byte header is skipped unread; run-length data follows it (a byte
// above 192 is a run of b - 192 copies of the next byte, any other byte, 192
// included, is one index); the palette is the last 768 bytes of the file.
//
// A missing or short file, or run-length data that ends early or runs past the
// picture, gives what could be decoded with the rest set to index 255
// (transparent) and one line on stderr; nothing is written past `count`.
#pragma once

#include <cstdint>
#include <cstdio>

#include "pixel/picture.h"

// Size of an open file in bytes; the read position is left where it was.
std::int32_t FileSize(std::FILE* file);

// Decodes `count` indices and copies the 768-byte palette (zeros when the file is
// shorter than that). Returns true when the file held everything asked of it;
// `decoded`, when given, receives how many indices came from the file.
bool ReadPcxIndices(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t count,
                    std::int32_t* decoded = nullptr);

// Decodes a 320-wide picture: index 255 becomes TransparentKey, every other index
// its palette colour 0x00RRGGBB; `box` bounds the opaque pixels (100000, 0, 11110,
// 0 when there are none). Width must be 320 and height 1..240. Returns as above.
bool LoadPcxPicture(const char* path, Picture& picture, SpriteBox& box, std::int32_t width,
                    std::int32_t height);
