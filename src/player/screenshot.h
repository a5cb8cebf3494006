// F12 in the player: the frame as drawn, as a PNG at 1x and at the size it is
// shown (pixels repeated, or picked nearest where the size is not a whole
// multiple), named by its show time, in the first of the directories that
// takes it: the working directory, else where pictures go.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "pixel/picture.h"

// Where F12 tries to save, in order: the working directory, then
// $XDG_PICTURES_DIR (from the environment or user-dirs.dirs), then $HOME.
std::vector<std::string> ScreenshotDirectories();

// The files written ("zintavel-01m23.456s.png" and "...-1280x960.png", with
// their directory when it is not the working one); when no directory takes
// them, one line in error naming the last file tried and the problem.
bool SaveScreenshot(const Picture& frame, int shownWidth, int shownHeight, std::uint32_t showMs,
                    const std::vector<std::string>& directories, std::string& written, std::string& error);

// The first file's name as the player shows it over the picture, upper case
// (the overlay's font has no small letters): "ZINTAVEL-01M23.456S.PNG".
std::string ScreenshotShownName(const std::string& written);
