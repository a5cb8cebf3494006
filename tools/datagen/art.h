// Pictures rendered by the build from the sources in tools/datagen/art (POV-Ray
// scenes and SVG drawings, see tools/CMakeLists.txt), read back as canvases for
// the datagen to finish (lettering, layout) and encode.
#pragma once

#include <optional>
#include <string>

#include "canvas.h"

// The directory the rendered pictures are read from; set once by main.
void SetArtDirectory(const std::string& dir);

// ART/name.png as a canvas (alpha kept); on failure one line naming the file
// and an empty result. A failed load is remembered: see ArtFailed.
std::optional<Canvas> LoadArt(const std::string& name);

// The picture, or a canvas of `width` x `height` in magenta when it could not
// be read, so drawing goes on and main reports the failure at the end.
Canvas Art(const std::string& name, int width, int height);
bool ArtFailed();
