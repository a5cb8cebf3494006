// The JPEG loader at each size of slot the start-up load fills.
#include <cstdint>

#include "assets/jpeg.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Pixel slot[320 * 240];
  const std::int32_t sizes[3][2] = {{320, 240}, {256, 256}, {32, 30}};
#ifdef ZINTAVEL_FUZZ_THROUGH_FILES
  const char* path = InputAsFile(data, size);
  for (const auto& s : sizes) LoadJpegPicture(path, slot, s[0], s[1]);
#else
  for (const auto& s : sizes) DecodeJpegPicture("input.jpg", data, size, slot, s[0], s[1]);
#endif
  return 0;
}
