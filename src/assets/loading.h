// Start-up loading: every picture, font, text and work buffer of the inventory,
// made once before the first frame, in a fixed order. Files are read from
// <presentation directory>/data/; the presentation directory also holds the
// music ("tune.it", "intro.mp3").
//
// A missing or broken file leaves its buffer as the loader of that format says
// (transparent, or black) with one line on stderr; loading goes on. When the
// data directory is missing or holds none of the files, nothing is loaded, one
// line says how to get the default data set, and LoadAssets returns false.
#pragma once

#include <cstdint>
#include <string>

#include "pixel/picture.h"

// The directory the presentation runs in; "." unless the program is told otherwise.
extern std::string PresentationDirectory;

// PresentationDirectory + "/" + relative, e.g. PresentationPath("data/card.pcx").
std::string PresentationPath(const char* relative);

// Every file of the data set, as named under data/.
extern const char* const DataFiles[];
extern const int DataFileCount;

bool LoadAssets();

// The JPEG pictures in load order, each with the buffer it fills and its size.
struct JpegSlot {
  const char* file;  // in data/
  Pixel* destination;
  std::int32_t width, height;
};
inline constexpr std::int32_t JpegSlotCount = 19;
extern const JpegSlot JpegSlots[JpegSlotCount];

// Pictures made from others: MirrorPictures[1] from [0], TintPicture from CutPictureB.
void DeriveMirrorAndTint();
// FigureLayers[5] is fig4 with the band x 70..254, y 120..147 set to 0.
void ClearFigureBand(Picture& figure);
