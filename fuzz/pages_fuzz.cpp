// The page builder from a fuzzed page file (as both files, one with each start
// position builder), then the text scene at times that show the first, a middle
// and the last page of each set.
#include <cstdint>

#include "assets/inventory.h"
#include "assets/pages.h"
#include "fuzz_support.h"
#include "scenes/text_scene.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  PageFont = DataSetFont("font3.pcx");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Picture frame;
#ifdef ZINTAVEL_FUZZ_THROUGH_FILES
  const char* path = InputAsFile(data, size);
  PagesOneCount = BuildPages(path, PagesOne, BuildPathPointPicture);
  PagesTwoCount = BuildPages(path, PagesTwo, BuildFixedPointPicture);
#else
  PagesOneCount = BuildPagesFromMemory("pages.txt", data, size, PagesOne, BuildPathPointPicture);
  PagesTwoCount = BuildPagesFromMemory("pages.txt", data, size, PagesTwo, BuildFixedPointPicture);
#endif
  if (PagesOneCount < 0 || PagesOneCount > MaxPages || PagesTwoCount != PagesOneCount) __builtin_trap();
  // d = a - 1920 ms; page e of the first set flies in from d = 15000 e + 1000.
  const std::uint32_t pageStarts[] = {0, 1, static_cast<std::uint32_t>(PagesOneCount),
                                      static_cast<std::uint32_t>(3 * PagesOneCount - 1),
                                      static_cast<std::uint32_t>(3 * PagesOneCount + PagesTwoCount)};
  for (std::uint32_t e : pageStarts) {
    RenderTextScene(1920u + 15000u * e + 1400u, frame);  // points in flight
  }
  RenderTextScene(0xFFFFFFFFu, frame);
  return 0;
}
