// The module's table of contents check over fuzzed bytes: it must read only
// inside them, whatever the counts and offsets say.
#include <cstdint>
#include <cstring>
#include <string>

#include "assets/module_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string problem;
  // An exact-size copy, so the sanitizer sees any read past the end.
  std::uint8_t* copy = new std::uint8_t[size ? size : 1];
  if (size) std::memcpy(copy, data, size);
  if (!CheckModuleOffsets(copy, size, problem) && problem.empty()) __builtin_trap();
  delete[] copy;
  return 0;
}
