// Writes 0x00RRGGBB pixels (stride = width) as an 8-bit RGB PNG. On a failure
// it says why on stderr, or, given error, leaves the line there instead.
#pragma once

#include <cstdint>
#include <string>

bool WritePngFile(const std::string& path, std::int32_t width, std::int32_t height, const std::uint32_t* pixels,
                  std::string* error = nullptr);
