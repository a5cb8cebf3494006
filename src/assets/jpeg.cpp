#include "assets/jpeg.h"

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <jpeglib.h>

#include "assets/data_file.h"
#include "assets/report.h"

namespace {

// Pictures here are at most a few hundred pixels across; this only stops a bad
// header from asking for gigabytes when no size is expected.
constexpr std::int64_t MaxPixels = 16 * 1024 * 1024;

// Where the compressed bytes come from: an open file or a block of memory.
struct Source {
  std::FILE* file = nullptr;
  const std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
};

// Everything a longjmp out of libjpeg must still find: kept in memory, not in
// registers, and free of destructors.
struct DecodeState {
  jpeg_error_mgr errors;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX + 64];
  int warnings;
  std::uint8_t* buffer;
};

[[noreturn]] void OnFatal(j_common_ptr info) {
  auto* state = reinterpret_cast<DecodeState*>(info->err);
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  std::snprintf(state->message, sizeof state->message, "bad JPEG: %s", text);
  std::longjmp(state->jump, 1);
}

// libjpeg's warnings (truncated or corrupt data) count as failures: the picture
// would come out partly grey.
void OnMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  auto* state = reinterpret_cast<DecodeState*>(info->err);
  if (state->warnings++ > 0) return;
  char text[JMSG_LENGTH_MAX];
  info->err->format_message(info, text);
  std::snprintf(state->message, sizeof state->message, "bad JPEG: %s", text);
}

// Returns the buffer, or nullptr with state.message set. With `expectWidth` above
// 0 a picture of another size is refused from its header alone.
std::uint8_t* Decode(const Source& source, DecodeState& state, jpeg_decompress_struct& info,
                     std::int32_t expectWidth, std::int32_t expectHeight, std::int32_t& width,
                     std::int32_t& height) {
  if (setjmp(state.jump)) return nullptr;
  if (source.file) {
    jpeg_stdio_src(&info, source.file);
  } else {
    jpeg_mem_src(&info, source.bytes, static_cast<unsigned long>(source.size));
  }
  jpeg_read_header(&info, TRUE);  // the file's parameters first
  if (info.num_components != 1 && info.num_components != 3) {
    std::snprintf(state.message, sizeof state.message, "has %d colour channels (1 or 3 are read)",
                  info.num_components);
    return nullptr;
  }
  if (expectWidth > 0 && (info.image_width != static_cast<JDIMENSION>(expectWidth) ||
                          info.image_height != static_cast<JDIMENSION>(expectHeight))) {
    std::snprintf(state.message, sizeof state.message, "is %ux%u, expected %dx%d; not decoded", info.image_width,
                  info.image_height, expectWidth, expectHeight);
    return nullptr;
  }
  if (std::int64_t{info.image_width} * info.image_height > MaxPixels) {
    std::snprintf(state.message, sizeof state.message, "is too large (%ux%u)", info.image_width,
                  info.image_height);
    return nullptr;
  }
  width = static_cast<std::int32_t>(info.image_width);
  height = static_cast<std::int32_t>(info.image_height);
  state.buffer = static_cast<std::uint8_t*>(std::malloc(std::size_t(width) * height * 3));
  if (!state.buffer) {
    std::snprintf(state.message, sizeof state.message, "out of memory");
    return nullptr;
  }
  info.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&info);
  const std::size_t stride = std::size_t(width) * 3;
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = state.buffer + info.output_scanline * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  if (state.warnings > 0) return nullptr;
  return state.buffer;
}

DecodedJpeg DecodeFrom(const char* name, const Source& source, std::int32_t expectWidth, std::int32_t expectHeight) {
  DecodedJpeg result;
  DecodeState state{};
  jpeg_decompress_struct info{};
  info.err = jpeg_std_error(&state.errors);
  state.errors.error_exit = OnFatal;
  state.errors.emit_message = OnMessage;
  jpeg_create_decompress(&info);

  std::int32_t width = 0, height = 0;
  std::uint8_t* pixels = Decode(source, state, info, expectWidth, expectHeight, width, height);

  jpeg_destroy_decompress(&info);  // released on every path
  if (!pixels) {
    std::free(state.buffer);
    ReportAssetProblem(name, "%s", state.message);
    return result;
  }
  result.width = width;
  result.height = height;
  result.bgr.reset(pixels);
  return result;
}

DecodedJpeg DecodePath(const char* path, std::int32_t expectWidth, std::int32_t expectHeight) {
  std::string problem;
  std::int64_t size = 0;
  const int fd = OpenDataFile(path, size, problem);
  std::FILE* file = fd >= 0 ? ::fdopen(fd, "rb") : nullptr;
  if (!file) {
    if (fd >= 0) {
      problem = "cannot open";
      ::close(fd);
    }
    ReportAssetProblem(path, "%s", problem.c_str());
    return {};
  }
  Source source;
  source.file = file;
  DecodedJpeg result = DecodeFrom(path, source, expectWidth, expectHeight);
  std::fclose(file);
  return result;
}

bool Widen(const DecodedJpeg& decoded, Pixel* destination, std::int32_t width, std::int32_t height) {
  if (!decoded.bgr) return false;
  const std::uint8_t* bgr = decoded.bgr.get();
  for (std::int32_t i = 0; i < width * height; ++i) {
    destination[i] = Pixel{bgr[3 * i]} | (Pixel{bgr[3 * i + 1]} << 8) | (Pixel{bgr[3 * i + 2]} << 16);
  }
  return true;
}

}  // namespace

void FreeBytes::operator()(std::uint8_t* bytes) const { std::free(bytes); }

DecodedJpeg DecodeJpegFile(const char* path) { return DecodePath(path, 0, 0); }

DecodedJpeg DecodeJpegMemory(const char* name, const std::uint8_t* file, std::size_t size) {
  Source source;
  source.bytes = file;
  source.size = size;
  return DecodeFrom(name, source, 0, 0);
}

bool LoadJpegPicture(const char* path, Pixel* destination, std::int32_t width, std::int32_t height) {
  return Widen(DecodePath(path, width, height), destination, width, height);
}

bool DecodeJpegPicture(const char* name, const std::uint8_t* file, std::size_t size, Pixel* destination,
                       std::int32_t width, std::int32_t height) {
  Source source;
  source.bytes = file;
  source.size = size;
  return Widen(DecodeFrom(name, source, width, height), destination, width, height);
}
