// Writes PCX files that both our reader and ordinary image tools open: version 5,
// 8 bits per pixel, one plane, bytes per line = width, standard run-length coding
// (runs within a row, every byte of 0xC0 or above written as a run), then 0x0C and
// the 768-byte palette.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<std::uint8_t> EncodePcx(std::int32_t width, std::int32_t height, const std::uint8_t* indices,
                                    const std::uint8_t* palette768);
// Returns false (and says why on stderr) when the file cannot be written.
bool WritePcxFile(const std::string& path, std::int32_t width, std::int32_t height,
                  const std::uint8_t* indices, const std::uint8_t* palette768);
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
