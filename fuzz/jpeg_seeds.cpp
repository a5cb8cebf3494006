#include <cstdint>
#include <string>
#include <vector>

#include "jpeg_seeds.h"
#include "jpeg_writer.h"

namespace {

struct Form {
  const char* name;
  JpegOptions options;
};

// Grey is libjpeg's own grey of the colour pattern; the 4:2:2 and 4:4:0 forms
// give the luma 2x1 and 1x2 against chroma's 1x1.
const Form Forms[] = {
    {"420", {.quality = 40}},
    {"444", {.quality = 75, .subsample = false, .optimise = true}},
    {"422", {.quality = 40, .lumaH = 2, .lumaV = 1}},
    {"440", {.quality = 40, .lumaH = 1, .lumaV = 2}},
    {"grey", {.quality = 50, .grey = true, .greyFromColour = true}},
    {"progressive", {.quality = 40, .progressive = true}},
    {"arithmetic", {.quality = 40, .arithmetic = true}},
    {"restarts", {.quality = 40, .restartRows = 1}},
    {"grey-progressive", {.quality = 50, .grey = true, .greyFromColour = true, .progressive = true}},
};

const int Sizes[][2] = {{320, 240}, {256, 256}, {32, 30}};

// Smooth ramps with a few edges, so the blocks hold both low and high frequencies.
std::vector<std::uint32_t> Pattern(int width, int height) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool edge = ((x / 24) + (y / 20)) % 3 == 0;
      const std::uint32_t r = x * 255 / width;
      const std::uint32_t g = edge ? 240 : y * 255 / height;
      const std::uint32_t b = (x ^ y) & 0xFF;
      pixels[static_cast<std::size_t>(y) * width + x] = r << 16 | g << 8 | b;
    }
  }
  return pixels;
}

}  // namespace

bool WriteJpegSeeds(const std::string& dir) {
  for (const auto& size : Sizes) {
    const std::vector<std::uint32_t> pixels = Pattern(size[0], size[1]);
    for (const Form& form : Forms) {
      const std::string path =
          dir + "/" + std::to_string(size[0]) + "x" + std::to_string(size[1]) + "-" + form.name + ".jpg";
      if (!WriteJpegFile(path, size[0], size[1], pixels.data(), form.options)) return false;
    }
  }
  return true;
}
