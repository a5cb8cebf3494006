// Shared picture types.
//
// A Picture is 320x240 pixels of 32 bits, 0x00RRGGBB (blue in the lowest byte),
// row-major with a stride of 320 pixels. Other sizes (badges, textures) are plain
// Pixel arrays with their own stride. TransparentKey marks the transparent pixels
// of sprite pictures; a decoded colour has a top byte of 0 and never equals it.
#pragma once

#include <cstdint>

using Pixel = std::uint32_t;

inline constexpr std::int32_t ScreenWidth = 320;
inline constexpr std::int32_t ScreenHeight = 240;
inline constexpr std::int32_t PicturePixels = ScreenWidth * ScreenHeight;  // 76,800

inline constexpr Pixel TransparentKey = 0x15071551u;

struct Picture {
  Pixel pixels[PicturePixels];
};

// Bounds of the opaque pixels of a sprite picture; right and bottom are exclusive.
struct SpriteBox {
  std::int32_t left;
  std::int32_t right;
  std::int32_t top;
  std::int32_t bottom;
};
