#include "assets/pcx.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/data_file.h"
#include "assets/report.h"

namespace {
constexpr std::int32_t HeaderSize = 128;
constexpr std::int32_t PaletteSize = 768;
constexpr std::uint8_t FillIndex = 255;

std::int32_t Word(const std::uint8_t* header, int at) { return header[at] | (header[at + 1] << 8); }

// What a header promises that the decoder will not deliver (empty when it
// agrees); the decoding itself never looks at the header.
std::string HeaderProblem(const std::uint8_t* header, std::int32_t width, std::int32_t height) {
  char text[256];
  if (header[0] != 0x0A) {
    std::snprintf(text, sizeof text, "does not start like a PCX file (first byte 0x%02X)", header[0]);
    return text;
  }
  const std::int32_t bits = header[3], planes = header[65], rowBytes = Word(header, 66);
  const std::int32_t w = Word(header, 8) - Word(header, 4) + 1, h = Word(header, 10) - Word(header, 6) + 1;
  if (bits == 8 && planes == 1 && w == width && rowBytes == width && h == height) return {};
  std::snprintf(text, sizeof text,
                "header says %dx%d, %d bits, %d plane%s, %d bytes a row; read as %dx%d, 8 bits, 1 plane, "
                "%d bytes a row",
                w, h, bits, planes, planes == 1 ? "" : "s", rowBytes, width, height, width);
  return text;
}

// One line for the file: what its header says, then what decoding it found.
void Report(const char* name, const std::string& header, const char* problem) {
  if (header.empty()) ReportAssetProblem(name, "%s", problem);
  else ReportAssetProblem(name, "%s; %s", header.c_str(), problem);
}

std::int32_t Count(std::int32_t width, std::int32_t height) {
  const std::int64_t count = std::int64_t{width} * height;
  return width < 0 || height < 0 || count > INT32_MAX ? 0 : static_cast<std::int32_t>(count);
}

}  // namespace

std::int32_t FileSize(std::FILE* file) {
  long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size < 0 || size > INT32_MAX ? -1 : static_cast<std::int32_t>(size);
}

bool DecodePcxIndices(const char* name, const std::uint8_t* bytes, std::size_t fileSize, std::uint8_t* indices,
                      std::uint8_t* palette, std::int32_t width, std::int32_t height, std::int32_t* decoded) {
  const std::int32_t count = Count(width, height);
  if (decoded) *decoded = 0;
  std::memset(indices, FillIndex, static_cast<std::size_t>(count));
  std::memset(palette, 0, PaletteSize);
  const auto size = static_cast<std::int64_t>(fileSize);

  const std::string header = size >= HeaderSize ? HeaderProblem(bytes, width, height) : std::string();
  if (size < HeaderSize + PaletteSize) {
    char problem[128];
    std::snprintf(problem, sizeof problem, "too short for a PCX picture (%lld bytes, at least %d needed)",
                  static_cast<long long>(size), HeaderSize + PaletteSize);
    Report(name, header, problem);
    if (size >= PaletteSize) std::memcpy(palette, bytes + size - PaletteSize, PaletteSize);
    return false;
  }

  // The coded data may not reach into the palette at the end of the file.
  const std::int64_t end = size - PaletteSize;
  std::int64_t at = HeaderSize;
  std::int32_t produced = 0;
  bool runPastEnd = false;
  while (produced < count && at < end) {
    std::uint8_t b = bytes[at];
    if (b <= 192) {
      indices[produced++] = b;
      at += 1;
      continue;
    }
    if (at + 1 >= end) break;  // a run byte without its value
    std::int32_t run = b - 192;
    if (run > count - produced) {
      run = count - produced;
      runPastEnd = true;
    }
    std::memset(indices + produced, bytes[at + 1], static_cast<std::size_t>(run));
    produced += run;
    at += 2;
  }
  std::memcpy(palette, bytes + end, PaletteSize);
  if (decoded) *decoded = produced;

  if (produced < count) {
    char problem[128];
    std::snprintf(problem, sizeof problem, "run-length data ends after %d of %d pixels", produced, count);
    Report(name, header, problem);
    return false;
  }
  if (runPastEnd) {
    Report(name, header, "run-length data runs past the end of the picture");
    return false;
  }
  if (!header.empty()) {
    Report(name, header, header[0] == 'd' ? "read as one all the same" : "so the picture will look wrong");
  }
  return true;
}

bool ReadPcxIndices(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t width,
                    std::int32_t height, std::int32_t* decoded) {
  // Every step of the decoder takes at most two bytes and gives at least one
  // index, so it never reads past the header plus two bytes a pixel: a larger
  // file is read as that much of its start and its palette, which decodes the same.
  const std::int64_t useful = HeaderSize + 2 * std::int64_t{Count(width, height)} + PaletteSize;
  std::string problem;
  std::int64_t size = 0;
  std::vector<std::uint8_t> bytes;
  const int fd = OpenDataFile(path, size, problem);
  bool ok = fd >= 0;
  if (ok && size <= useful) {
    bytes.resize(static_cast<std::size_t>(size));
    ok = ReadDataBytes(fd, 0, bytes.data(), bytes.size(), problem);
  } else if (ok) {
    bytes.resize(static_cast<std::size_t>(useful));
    ok = ReadDataBytes(fd, 0, bytes.data(), static_cast<std::size_t>(useful - PaletteSize), problem) &&
         ReadDataBytes(fd, size - PaletteSize, bytes.data() + useful - PaletteSize, PaletteSize, problem);
  }
  if (fd >= 0) ::close(fd);
  if (!ok) {
    if (decoded) *decoded = 0;
    std::memset(indices, FillIndex, static_cast<std::size_t>(Count(width, height)));
    std::memset(palette, 0, PaletteSize);
    ReportAssetProblem(path, "%s", problem.c_str());
    return false;
  }
  return DecodePcxIndices(path, bytes.data(), bytes.size(), indices, palette, width, height, decoded);
}

namespace {

bool BadPictureSize(const char* name, Picture& picture, SpriteBox& box, std::int32_t width, std::int32_t height) {
  if (width == ScreenWidth && height >= 1 && height <= ScreenHeight) return false;
  ReportAssetProblem(name, "cannot load as a %dx%d picture (only 320 wide, up to 240 high)", width, height);
  for (Pixel& p : picture.pixels) p = TransparentKey;
  box = {100000, 0, 11110, 0};
  return true;
}

void ConvertPicture(const std::uint8_t* indices, const std::uint8_t* palette, Picture& picture, SpriteBox& box,
                    std::int32_t width, std::int32_t height) {
  std::int32_t minX = 100000, maxX = -1, minY = 11110, maxY = -1;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < width; ++x) {
      const std::uint8_t i = indices[y * ScreenWidth + x];
      Pixel& out = picture.pixels[y * ScreenWidth + x];
      if (i == 255) {
        out = TransparentKey;
        continue;
      }
      const std::uint8_t* rgb = palette + 3 * i;
      out = (Pixel{rgb[0]} << 16) | (Pixel{rgb[1]} << 8) | Pixel{rgb[2]};
      if (x < minX) minX = x;
      if (x > maxX) maxX = x;
      if (y < minY) minY = y;
      if (y > maxY) maxY = y;
    }
  }
  box = {minX, maxX + 1, minY, maxY + 1};
}

}  // namespace

bool LoadPcxPicture(const char* path, Picture& picture, SpriteBox& box, std::int32_t width,
                    std::int32_t height) {
  if (BadPictureSize(path, picture, box, width, height)) return false;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
  std::uint8_t palette[PaletteSize];
  const bool complete = ReadPcxIndices(path, indices.data(), palette, width, height);
  ConvertPicture(indices.data(), palette, picture, box, width, height);
  return complete;
}

bool DecodePcxPicture(const char* name, const std::uint8_t* file, std::size_t size, Picture& picture,
                      SpriteBox& box, std::int32_t width, std::int32_t height) {
  if (BadPictureSize(name, picture, box, width, height)) return false;
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
  std::uint8_t palette[PaletteSize];
  const bool complete = DecodePcxIndices(name, file, size, indices.data(), palette, width, height);
  ConvertPicture(indices.data(), palette, picture, box, width, height);
  return complete;
}
