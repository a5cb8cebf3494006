// Frames enlarged for a recording by pixel replication: every pixel becomes an
// n x n block, so the enlarged frame stays as sharp as the 320x240 one.
#pragma once

#include <cstdint>

// dst is (width * n) x (height * n), rows packed.
void ReplicatePixels(const std::uint32_t* src, int width, int height, int n, std::uint32_t* dst);
