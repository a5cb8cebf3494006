// Writes baseline JPEG files through libjpeg-turbo from 0x00RRGGBB pixels
// (stride = width), in colour or as one grey channel (the green byte).
#pragma once

#include <cstdint>
#include <string>

struct JpegOptions {
  int quality = 90;
  bool grey = false;
  bool subsample = true;  // 4:2:0 chroma; false keeps 4:4:4
};

bool WriteJpegFile(const std::string& path, std::int32_t width, std::int32_t height,
                   const std::uint32_t* pixels, const JpegOptions& options = {});
