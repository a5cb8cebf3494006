// Texture warping through a coarse grid of texture coordinates.
//
// A GridField holds one (u, v) pair, in texels, for every 8th pixel: vertex
// (m, n), m = 0..30, n = 0..40, at index m * 64 + n, signed 16-bit. Only the low
// 8 bits pick a texel: the 256x256 texture (stride 256) repeats both ways.
// MapGrid fills each 8x8 block by stepping 8.8 fixed point from its four corners,
// every step taken before its sample, so the block's bottom-right pixel samples
// the corner (i + 1, j + 1) itself and nothing samples corner (i, j).
#pragma once

#include <cstdint>

#include "pixel/picture.h"

inline constexpr std::int32_t GridRows = ScreenHeight / 8 + 1;  // 31
inline constexpr std::int32_t GridColumns = ScreenWidth / 8 + 1;  // 41
inline constexpr std::int32_t GridStride = 64;
// Each table is (240 / 8 + 1) x 256 bytes, more than the 31 x 64 entries used.
inline constexpr std::int32_t GridTableEntries = GridRows * 256 / 2;

inline constexpr std::int32_t TextureSize = 256;
inline constexpr std::int32_t TexturePixels = TextureSize * TextureSize;

struct GridField {
  std::int16_t u[GridTableEntries];
  std::int16_t v[GridTableEntries];
};

// The grid MapGrid reads, rewritten every frame by MovePlasmaGrid.
extern GridField PlasmaGrid;
// Written only by the ray caster; mixed into PlasmaGrid by DrawRayPlasma.
extern GridField RayGrid;

inline std::int32_t GridIndex(std::int32_t m, std::int32_t n) { return m * GridStride + n; }

void MapGrid(const Pixel* texture, Picture& destination);
// Pixel by pixel, as the steps above say: what MapGrid's vector form (MapGridFast,
// eight pixels of a block row at once) must match.
void MapGridReference(const Pixel* texture, Picture& destination);
void MapGridFast(const Pixel* texture, Picture& destination);
