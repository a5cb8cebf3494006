// Writes JPEG files through libjpeg-turbo from 0x00RRGGBB pixels (stride =
// width), in colour or as one grey channel (the green byte). Baseline by
// default; the rest of the options reach the decoder's other paths (the fuzz
// seeds) and, left alone, change no byte of the baseline files.
#pragma once

#include <cstdint>
#include <string>

struct JpegOptions {
  int quality = 90;
  bool grey = false;
  bool subsample = true;  // 4:2:0 chroma; false keeps 4:4:4
  // With grey: libjpeg's own grey of the colour (its luma) in place of the green byte.
  bool greyFromColour = false;
  // The luma's sampling factors against chroma's 1x1 (2x1 is 4:2:2, 1x2 is
  // 4:4:0), in place of what `subsample` picks; 0 leaves that.
  int lumaH = 0, lumaV = 0;
  bool progressive = false;
  bool arithmetic = false;  // arithmetic coding in place of Huffman's
  bool optimise = false;    // Huffman tables made for the picture
  int restartRows = 0;      // a restart marker every this many rows of MCUs
};

bool WriteJpegFile(const std::string& path, std::int32_t width, std::int32_t height,
                   const std::uint32_t* pixels, const JpegOptions& options = {});
