#include "pixel/random.h"

std::uint32_t RandomState = 1;

std::int32_t NextRandom() {
  RandomState = RandomState * 214013u + 2531011u;
  return static_cast<std::int32_t>((RandomState >> 16) & 0x7FFFu);
}
