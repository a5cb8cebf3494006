// F12 in the player: the frame as drawn, as a PNG at 1x and at the size it is
// shown (pixels repeated, or picked nearest where the size is not a whole
// multiple), named by its show time, in the working directory.
#pragma once

#include <cstdint>
#include <string>

#include "pixel/picture.h"

// The files written ("zintavel-01m23.456s.png" and "...-1280x960.png"); on a
// failure, one line in error naming the file and the problem.
bool SaveScreenshot(const Picture& frame, int shownWidth, int shownHeight, std::uint32_t showMs,
                    std::string& written, std::string& error);
