#include "player/screenshot.h"

#include <vector>

#include "player/seek_overlay.h"
#include "record/png_file.h"

bool SaveScreenshot(const Picture& frame, int shownWidth, int shownHeight, std::uint32_t showMs,
                    std::string& written, std::string& error) {
  const std::string base = "zintavel-" + TimeForFileName(showMs);
  const std::string one = base + ".png";
  if (!WritePngFile(one, ScreenWidth, ScreenHeight, frame.pixels, &error)) return false;
  written = one;
  if (shownWidth <= 0 || shownHeight <= 0 || (shownWidth == ScreenWidth && shownHeight == ScreenHeight)) return true;
  std::vector<std::uint32_t> shown(static_cast<std::size_t>(shownWidth) * shownHeight);
  for (int y = 0; y < shownHeight; ++y) {
    const int sy = static_cast<int>(std::int64_t{y} * ScreenHeight / shownHeight);
    for (int x = 0; x < shownWidth; ++x) {
      const int sx = static_cast<int>(std::int64_t{x} * ScreenWidth / shownWidth);
      shown[static_cast<std::size_t>(y) * shownWidth + x] = frame.pixels[sy * ScreenWidth + sx];
    }
  }
  const std::string big = base + "-" + std::to_string(shownWidth) + "x" + std::to_string(shownHeight) + ".png";
  if (!WritePngFile(big, shownWidth, shownHeight, shown.data(), &error)) return false;
  written += " and " + big;
  return true;
}
