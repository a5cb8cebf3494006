// The ticker strip from a fuzzed text, and the wave that sweeps it. The first
// byte picks the font: the data set's large font, or one whose glyph 'a' is the
// whole 1,023-pixel sheet, the widest a sheet allows.
#include <cstdint>
#include <vector>

#include "assets/inventory.h"
#include "assets/pages.h"
#include "fuzz_support.h"
#include "scenes/scanner.h"

namespace {
BitmapFont DataFont, WideFont;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  DataFont = DataSetFont("font1.pcx");
  WideFont.charset = "ab";
  WideFont.glyphOffsets = {0, 1023};
  WideFont.glyphWidths = {1023, 1};
  WideFont.glyphCount = 2;
  WideFont.spaceAdvance = 20;
  WideFont.sheetWidth = 1024;
  WideFont.sheetHeight = 40;
  WideFont.pixels.assign(1024 * 40, 200);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Picture frame;
  if (size == 0) return 0;
  LargeFont = data[0] & 1 ? WideFont : DataFont;
#ifdef ZINTAVEL_FUZZ_THROUGH_FILES
  BuildTickerStrip(InputAsFile(data + 1, size - 1));
#else
  BuildTickerStripFromMemory("ticker.txt", data + 1, size - 1);
#endif
  if (TickerWidth > MaxTickerWidth || TickerStrip.size() != static_cast<std::size_t>(TickerWidth) * TickerHeight) {
    __builtin_trap();
  }
  for (std::uint32_t t : {0u, 12345u, 4000000000u, 0xFFFFFFFFu}) DrawTickerWave(t, frame);
  return 0;
}
