#include "record/png_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "assets/report.h"
#include "record/file_writes.h"
#include "record/write_error.h"

#include <png.h>
#include <zlib.h>

bool WritePngFile(const std::string& path, std::int32_t width, std::int32_t height, const std::uint32_t* pixels,
                  std::string* error) {
  auto fail = [&](const char* what, int code) {
    const std::string line = path + ": " + what + (code ? std::string(": ") + WriteErrorText(code) : std::string());
    if (error) *error = line;
    else std::fprintf(stderr, "zintavel: %s\n", OneLine(line).c_str());
    return false;
  };
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return fail("cannot write", errno);
  // libpng's own handlers print; ours only jump back, and we say it once below.
  auto quiet = [](png_structp p, png_const_charp) { png_longjmp(p, 1); };
  auto silent = [](png_structp, png_const_charp) {};
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet, silent);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row(static_cast<std::size_t>(width) * 3);
  bool ok = png && info;
  errno = 0;
  // The file's bytes gather here and go out through RecordingWrite in large
  // writes; a failed one ends the picture with its errno.
  struct Sink {
    int fd;
    int code = 0;
    std::vector<png_byte> bytes;
    bool Flush() {
      const bool ok = RecordingWriteAll(fd, bytes.data(), bytes.size());
      if (!ok) code = errno;
      bytes.clear();
      return ok;
    }
  } sink{fd, 0, {}};
  sink.bytes.reserve(1 << 16);
  if (ok && setjmp(png_jmpbuf(png)) == 0) {
    png_set_write_fn(
        png, &sink,
        [](png_structp p, png_bytep data, png_size_t size) {
          auto* to = static_cast<Sink*>(png_get_io_ptr(p));
          to->bytes.insert(to->bytes.end(), data, data + size);
          if (to->bytes.size() >= (1 << 16) && !to->Flush()) png_error(p, "write");
        },
        [](png_structp) {});
    // The frames are flat areas and hard edges: the Sub filter alone and a fast
    // deflate give nearly the adaptive filters' size at a fraction of the time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png, 1);
    png_set_compression_strategy(png, Z_RLE);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::int32_t y = 0; y < height; ++y) {
      const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * width;
      for (std::int32_t x = 0; x < width; ++x) {
        row[3 * x] = static_cast<png_byte>(src[x] >> 16);
        row[3 * x + 1] = static_cast<png_byte>(src[x] >> 8);
        row[3 * x + 2] = static_cast<png_byte>(src[x]);
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = sink.Flush();
  } else {
    ok = false;
  }
  png_destroy_write_struct(&png, &info);
  int code = sink.code ? sink.code : errno;
  if (::close(fd) != 0 && ok) ok = false, code = errno;
  if (!ok) return fail("cannot write", code);
  return true;
}
