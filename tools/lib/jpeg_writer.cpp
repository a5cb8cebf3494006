#include "jpeg_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

bool WriteJpegFile(const std::string& path, std::int32_t width, std::int32_t height,
                   const std::uint32_t* pixels, const JpegOptions& options) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);  // our own inputs: an error here is a bug, and exits
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  // Grey from the colour hands libjpeg the colour and lets it convert.
  const bool greyIn = options.grey && !options.greyFromColour;
  info.input_components = greyIn ? 1 : 3;
  info.in_color_space = greyIn ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, options.quality, TRUE);
  if (options.grey && !greyIn) jpeg_set_colorspace(&info, JCS_GRAYSCALE);
  if (!options.grey && options.lumaH > 0) {
    info.comp_info[0].h_samp_factor = options.lumaH;
    info.comp_info[0].v_samp_factor = options.lumaV;
  } else if (!options.grey && !options.subsample) {
    for (int c = 0; c < 3; ++c) info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
  }
  // After the colour space: the progression's scans depend on it.
  if (options.progressive) jpeg_simple_progression(&info);
  if (options.arithmetic) info.arith_code = TRUE;
  if (options.optimise) info.optimize_coding = TRUE;
  if (options.restartRows > 0) info.restart_in_rows = options.restartRows;
  jpeg_start_compress(&info, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width) * 3);
  while (info.next_scanline < info.image_height) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(info.next_scanline) * width;
    for (std::int32_t x = 0; x < width; ++x) {
      if (greyIn) {
        row[x] = static_cast<JSAMPLE>((src[x] >> 8) & 0xFF);
      } else {
        row[3 * x] = static_cast<JSAMPLE>((src[x] >> 16) & 0xFF);
        row[3 * x + 1] = static_cast<JSAMPLE>((src[x] >> 8) & 0xFF);
        row[3 * x + 2] = static_cast<JSAMPLE>(src[x] & 0xFF);
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  const bool ok = std::fclose(f) == 0;
  if (!ok) std::fprintf(stderr, "%s: write failed\n", path.c_str());
  return ok;
}
