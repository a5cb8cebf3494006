#include "shell/show_length.h"

#include "assets/pages.h"
#include "shell/end_rule.h"

std::uint32_t WholePartTwoMs() {
  return RecordingQuitTime(PagesOne, PagesOneCount, PagesTwo, PagesTwoCount);
}
