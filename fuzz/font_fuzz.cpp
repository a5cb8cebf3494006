// The font builder over a fuzzed sheet, then text drawn in every mode. The
// decoder never reads the PCX header's bytes 16 to 63, so they steer the
// drawing: which font shape, where, in what colour and which text.
#include <cstdint>
#include <cstring>

#include "assets/font.h"
#include "fuzz_support.h"

namespace {

struct Shape {
  const char* charset;
  std::int32_t space, width, height;
};
const Shape Shapes[] = {
    {"abcdefghijklmnopqrstuvwxyz1234567890.,!?:-'", 20, 1024, 40},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6" "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6" "1234567890.!?:-'@", 5, 470, 10},
    {"abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6" "ABCDEFGHIJKLMNOPQRSTUVWXYZ\xC5\xC4\xD6" "1234567890+=!?.,;:'/@-&$()", 5, 564,
     12},
};

std::int32_t Signed16(const std::uint8_t* p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Picture frame;
  std::uint8_t steer[48] = {};
  if (size >= 64) std::memcpy(steer, data + 16, sizeof steer);
  const Shape& shape = Shapes[steer[0] % 3];
#ifdef ZINTAVEL_FUZZ_THROUGH_FILES
  BitmapFont font = BuildBitmapFont(InputAsFile(data, size), shape.charset, shape.space, shape.width, shape.height);
#else
  BitmapFont font =
      BuildBitmapFontFromMemory("input.pcx", data, size, shape.charset, shape.space, shape.width, shape.height);
#endif
  const std::int32_t x = Signed16(steer + 1), y = Signed16(steer + 3);
  std::uint32_t colour;
  std::memcpy(&colour, steer + 5, 4);
  char text[40] = {};
  std::memcpy(text, steer + 9, 39);
  // Every mode, and one on each side of the range; at the given place and at the
  // frame's corners, where clipping matters.
  for (std::int32_t mode = -1; mode <= 13; ++mode) {
    DrawText(font, text, colour, mode, x, y, frame.pixels, 320, 240);
    DrawText(font, text, colour, mode, 320 - (x & 63), 240 - (y & 63), frame.pixels, 320, 240);
    DrawText(font, text, colour, mode, -(x & 1023), -(y & 63), frame.pixels, 320, 240);
  }
  for (std::int32_t g = -1; g <= font.glyphCount; ++g) DrawGlyph(font, g, colour, 0, x & 255, y & 255, frame.pixels, 320, 240);
  if (TextWidth(font, text) < 0) __builtin_trap();
  return 0;
}
