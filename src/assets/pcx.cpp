#include "assets/pcx.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "assets/report.h"

namespace {
constexpr std::int32_t HeaderSize = 128;
constexpr std::int32_t PaletteSize = 768;
constexpr std::uint8_t FillIndex = 255;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

std::int32_t FileSize(std::FILE* file) {
  long here = std::ftell(file);
  std::fseek(file, 0, SEEK_END);
  long size = std::ftell(file);
  std::fseek(file, here, SEEK_SET);
  return size < 0 || size > INT32_MAX ? -1 : static_cast<std::int32_t>(size);
}

bool ReadPcxIndices(const char* path, std::uint8_t* indices, std::uint8_t* palette, std::int32_t count,
                    std::int32_t* decoded) {
  if (decoded) *decoded = 0;
  if (count < 0) count = 0;
  std::memset(indices, FillIndex, static_cast<std::size_t>(count));
  std::memset(palette, 0, PaletteSize);

  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) {
    ReportAssetProblem(path, "cannot open: %s", std::strerror(errno));
    return false;
  }
  const std::int32_t size = FileSize(file.get());
  if (size < 0) {
    ReportAssetProblem(path, "cannot read its size");
    return false;
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
    ReportAssetProblem(path, "read error");
    return false;
  }
  file.reset();

  if (size < HeaderSize + PaletteSize) {
    ReportAssetProblem(path, "too short for a PCX picture (%d bytes, at least %d needed)", size,
                       HeaderSize + PaletteSize);
    if (size >= PaletteSize) std::memcpy(palette, bytes.data() + size - PaletteSize, PaletteSize);
    return false;
  }

  // The coded data may not reach into the palette at the end of the file.
  const std::int32_t end = size - PaletteSize;
  std::int32_t at = HeaderSize, produced = 0;
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
  std::memcpy(palette, bytes.data() + end, PaletteSize);
  if (decoded) *decoded = produced;

  if (produced < count) {
    ReportAssetProblem(path, "run-length data ends after %d of %d pixels", produced, count);
    return false;
  }
  if (runPastEnd) {
    ReportAssetProblem(path, "run-length data runs past the end of the picture");
    return false;
  }
  return true;
}

bool LoadPcxPicture(const char* path, Picture& picture, SpriteBox& box, std::int32_t width,
                    std::int32_t height) {
  if (width != ScreenWidth || height < 1 || height > ScreenHeight) {
    ReportAssetProblem(path, "cannot load as a %dx%d picture (only 320 wide, up to 240 high)", width, height);
    for (Pixel& p : picture.pixels) p = TransparentKey;
    box = {100000, 0, 11110, 0};
    return false;
  }
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
  std::uint8_t palette[PaletteSize];
  const bool complete = ReadPcxIndices(path, indices.data(), palette, width * height);

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
  return complete;
}
