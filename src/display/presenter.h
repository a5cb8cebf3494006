// The Presenter: opens the best display mode for the frame (320x240 at 32, 24,
// 16 or 15 bits, else 640x480 at those depths with every pixel doubled), owns
// the FrameBuffer, and once per frame converts it into the locked surface and
// flips. Conversions: 32 as is; 24 as red, green, blue bytes; 16 as RGB565; 15
// as RGB555 (little-endian words). Rows of the surface are one pitch apart.
#pragma once

#include <cstdint>

#include "pixel/picture.h"

extern std::int32_t DisplayDepth;
extern std::int32_t PixelDoubling;
// --gentle: PresentFrame shows the frame through the luminance limiter of
// display/gentle.h (the FrameBuffer itself is left as drawn).
extern bool GentleMode;

// 0 when open, 1 on any failure (nothing is then held).
std::int32_t OpenDisplay(std::int32_t width, std::int32_t height);
Picture* GetFrameBuffer();
void PresentFrame();
// Safe when nothing, or only part, is held, and more than once.
void CloseDisplay();

// One frame into a surface of the given depth, doubled or not. The reference
// converts pixel by pixel; ConvertFrame gives the same bytes, copying whole rows
// at 32 bits and taking the vector form (display/convert_hwy.cpp) for doubled
// 32, 16 and 15 bits and plain 24 bits.
void ConvertFrame(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                  std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch);
void ConvertFrameReference(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                           std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch);
void ConvertFrameFast(const Pixel* frame, std::int32_t width, std::int32_t height, std::int32_t depth,
                      std::int32_t doubling, std::uint8_t* surface, std::int32_t pitch);
