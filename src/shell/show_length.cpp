#include "shell/show_length.h"

#include "assets/pages.h"

std::uint32_t WholePartTwoMs() {
  // The text scene's pages start 76,220 + 1,920 ms into part two, 15 s each.
  return 76220u + 1920u + 15000u * static_cast<std::uint32_t>(3 * PagesOneCount + PagesTwoCount);
}
