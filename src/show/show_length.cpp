#include "show/show_length.h"

#include "assets/pages.h"
#include "show/end_rule.h"

std::uint32_t WholePartTwoMs() {
  return RecordingQuitTime(PagesOne, PagesOneCount, PagesTwo, PagesTwoCount);
}
