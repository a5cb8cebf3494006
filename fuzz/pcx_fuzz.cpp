// The PCX reader and the conversion to a picture, for a full picture and for a
// sheet of the large font's size.
#include <cstdint>
#include <vector>

#include "assets/pcx.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Picture picture;
  static std::vector<std::uint8_t> sheet(1024 * 40);
  std::uint8_t palette[768];
  SpriteBox box;
#ifdef ZINTAVEL_FUZZ_THROUGH_FILES
  const char* path = InputAsFile(data, size);
  LoadPcxPicture(path, picture, box, 320, 240);
  ReadPcxIndices(path, sheet.data(), palette, 1024, 40);
#else
  DecodePcxPicture("input.pcx", data, size, picture, box, 320, 240);
  DecodePcxIndices("input.pcx", data, size, sheet.data(), palette, 1024, 40);
#endif
  // The box must bound what the conversion calls opaque.
  if (box.right > 0 && (box.left < 0 || box.right > 320 || box.top < 0 || box.bottom > 240)) __builtin_trap();
  return 0;
}
