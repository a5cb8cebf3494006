#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "jpeg_seeds.h"

namespace {

struct Form {
  const char* name;
  int quality;
  bool grey, progressive, arithmetic, optimise;
  int hSampling, vSampling;  // of the luma, against chroma's 1x1
  int restartRows;
};

const Form Forms[] = {
    {"420", 40, false, false, false, false, 2, 2, 0},
    {"444", 75, false, false, false, true, 1, 1, 0},
    {"422", 40, false, false, false, false, 2, 1, 0},
    {"440", 40, false, false, false, false, 1, 2, 0},
    {"grey", 50, true, false, false, false, 1, 1, 0},
    {"progressive", 40, false, true, false, false, 2, 2, 0},
    {"arithmetic", 40, false, false, true, false, 2, 2, 0},
    {"restarts", 40, false, false, false, false, 2, 2, 1},
    {"grey-progressive", 50, true, true, false, false, 1, 1, 0},
};

const int Sizes[][2] = {{320, 240}, {256, 256}, {32, 30}};

// Smooth ramps with a few edges, so the blocks hold both low and high frequencies.
std::vector<JSAMPLE> Pattern(int width, int height) {
  std::vector<JSAMPLE> rgb(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      JSAMPLE* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool edge = ((x / 24) + (y / 20)) % 3 == 0;
      p[0] = static_cast<JSAMPLE>(x * 255 / width);
      p[1] = static_cast<JSAMPLE>(edge ? 240 : y * 255 / height);
      p[2] = static_cast<JSAMPLE>((x ^ y) & 0xFF);
    }
  }
  return rgb;
}

bool Write(const std::string& path, const Form& form, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) {
    std::fprintf(stderr, "jpeg_seeds: %s: cannot create\n", path.c_str());
    return false;
  }
  jpeg_compress_struct c;
  jpeg_error_mgr errors;
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, file);
  c.image_width = width;
  c.image_height = height;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, form.quality, TRUE);
  if (form.grey) {
    jpeg_set_colorspace(&c, JCS_GRAYSCALE);
  } else {
    c.comp_info[0].h_samp_factor = form.hSampling;
    c.comp_info[0].v_samp_factor = form.vSampling;
  }
  if (form.progressive) jpeg_simple_progression(&c);
  c.arith_code = form.arithmetic ? TRUE : FALSE;
  c.optimize_coding = form.optimise ? TRUE : FALSE;
  c.restart_in_rows = form.restartRows;
  jpeg_start_compress(&c, TRUE);
  std::vector<JSAMPLE> rgb = Pattern(width, height);
  while (c.next_scanline < c.image_height) {
    JSAMPROW row = &rgb[static_cast<std::size_t>(c.next_scanline) * width * 3];
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  const bool ok = std::fclose(file) == 0;
  if (!ok) std::fprintf(stderr, "jpeg_seeds: %s: cannot write\n", path.c_str());
  return ok;
}

}  // namespace

bool WriteJpegSeeds(const std::string& dir) {
  for (const auto& size : Sizes) {
    for (const Form& form : Forms) {
      const std::string path =
          dir + "/" + std::to_string(size[0]) + "x" + std::to_string(size[1]) + "-" + form.name + ".jpg";
      if (!Write(path, form, size[0], size[1])) return false;
    }
  }
  return true;
}
