// Text for part two, prepared at start-up.
//
// The ticker: data/ticker.txt (at most 65,535 bytes, CR LF read as LF) drawn once
// with LargeFont, mode 0, into TickerStrip (TickerWidth x 40). A text wider than
// MaxTickerWidth pixels is cut after the last character that fits (said on
// stderr), which keeps the strip within 10 MB whatever the font and the text.
//
// The pages: a page file is lines of text, each page ended by a line starting
// with '}'. Only the first 200 stored lines are read; a line longer than 254
// bytes is stored as several lines of at most 254 (its line end with the last).
// Each page is drawn dark on white with PageFont (mode 9, x 196, y 20 + 15 * line)
// into ScratchPicture, and every non-white pixel becomes a PicturePoint that the
// text scene flies from a start position to its place. A file with more lines
// says how many pages its first 200 lines gave.
//
// Each builder reads its file, or the same bytes from memory (`name` then only
// names them in messages).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "pixel/picture.h"

inline constexpr std::int32_t MaxTickerBytes = 65535;
// What the loaders read at most of a text file: the ticker needs at most two
// bytes of its file for each of its bytes (CR LF); 200 page lines of at most
// 254 bytes and a CR take less than the pages' cap.
inline constexpr std::size_t TickerFileBytes = 2 * MaxTickerBytes + 4;
inline constexpr std::size_t PageFileBytes = 64 * 1024;
inline constexpr std::int32_t TickerHeight = 40;
inline constexpr std::int32_t MaxTickerWidth = 65536;
inline constexpr std::int32_t MaxPageLines = 200;
inline constexpr std::int32_t PageLineBytes = 256;
inline constexpr std::int32_t MaxPages = 200;
inline constexpr Pixel PageKey = 0xFFFFFFFFu;

extern char TickerText[MaxTickerBytes + 1];
extern std::vector<Pixel> TickerStrip;
// Below 2 the scanner scene draws no ticker (its sweep takes a remainder by it).
extern std::int32_t TickerWidth;

struct PicturePoint {
  std::int32_t startX, startY;
  std::int32_t targetX, targetY;
  std::int32_t targetIndex;  // 320 * targetY + targetX
  std::int32_t order;        // targetX + 4 * targetY, minus 40 from column 240 on
  Pixel colour;
};

struct PointPicture {
  std::vector<PicturePoint> points;  // row-major order of the page pixels
  std::int32_t count = 0;
  std::int32_t minOrder = 999999999;
};

using PointPictureBuilder = void (*)(PointPicture& out, std::int32_t style, const Picture& page, Pixel key);

extern PointPicture PagesOne[MaxPages];
extern std::int32_t PagesOneCount;
extern PointPicture PagesTwo[MaxPages];
extern std::int32_t PagesTwoCount;

void BuildTickerStrip(const char* path);
void BuildTickerStripFromMemory(const char* name, const std::uint8_t* text, std::size_t size);

// Returns the page count; 0 (said on stderr) for a missing file or one without
// any '}' line. The text scene must not divide by a count of 0.
std::int32_t BuildPages(const char* path, PointPicture* pages, PointPictureBuilder builder);
std::int32_t BuildPagesFromMemory(const char* name, const std::uint8_t* text, std::size_t size, PointPicture* pages,
                                  PointPictureBuilder builder);

// Start positions along paths of style 0..2 (the page's number mod 3).
void BuildPathPointPicture(PointPicture& out, std::int32_t style, const Picture& page, Pixel key);
// Two fixed start positions, left and right of column 240. `style` is unused.
void BuildFixedPointPicture(PointPicture& out, std::int32_t style, const Picture& page, Pixel key);
