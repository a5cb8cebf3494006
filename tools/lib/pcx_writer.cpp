#include "pcx_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

std::vector<std::uint8_t> EncodePcx(std::int32_t width, std::int32_t height, const std::uint8_t* indices,
                                    const std::uint8_t* palette768) {
  std::vector<std::uint8_t> out(128, 0);
  auto put16 = [&](int at, int v) {
    out[at] = static_cast<std::uint8_t>(v & 0xFF);
    out[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  };
  out[0] = 0x0A;  // manufacturer
  out[1] = 5;     // version with a 256-colour palette
  out[2] = 1;     // run-length coded
  out[3] = 8;     // bits per pixel
  put16(8, width - 1);
  put16(10, height - 1);
  put16(12, 72);
  put16(14, 72);
  out[65] = 1;  // planes
  put16(66, width);
  put16(68, 1);  // colour palette
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = indices + static_cast<std::size_t>(y) * width;
    for (std::int32_t x = 0; x < width;) {
      std::int32_t run = 1;
      while (x + run < width && run < 63 && row[x + run] == row[x]) ++run;
      if (run > 1 || row[x] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 + run));
      out.push_back(row[x]);
      x += run;
    }
  }
  out.push_back(0x0C);
  out.insert(out.end(), palette768, palette768 + 768);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "%s: cannot write: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) std::fprintf(stderr, "%s: write failed\n", path.c_str());
  return ok;
}

bool WritePcxFile(const std::string& path, std::int32_t width, std::int32_t height,
                  const std::uint8_t* indices, const std::uint8_t* palette768) {
  return WriteBytes(path, EncodePcx(width, height, indices, palette768));
}
