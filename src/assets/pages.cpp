#include "assets/pages.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "assets/data_file.h"

#include "assets/font.h"
#include "assets/inventory.h"
#include "assets/report.h"
#include "assets/text_encoding.h"
#include "pixel/colour.h"
#include "pixel/truncate.h"

char TickerText[MaxTickerBytes + 1];
std::vector<Pixel> TickerStrip;
std::int32_t TickerWidth = 0;
PointPicture PagesOne[MaxPages];
std::int32_t PagesOneCount = 0;
PointPicture PagesTwo[MaxPages];
std::int32_t PagesTwoCount = 0;

namespace {

// Reading position in a text held in memory.
struct TextCursor {
  const std::uint8_t* at;
  const std::uint8_t* end;
};

// Reads the next line as a text-mode reader would: at most `room` - 1 bytes, the
// line feed kept, a CR in front of it dropped. Returns false at the end of the text.
bool ReadLine(TextCursor& text, char* line, std::int32_t room) {
  std::int32_t n = 0;
  while (n < room - 1 && text.at < text.end) {
    int c = *text.at++;
    if (c == '\r' && text.at < text.end && *text.at == '\n') {
      c = '\n';
      ++text.at;
    }
    line[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  line[n] = '\0';
  return n > 0;
}

void FillWhite(Picture& p) { std::fill(std::begin(p.pixels), std::end(p.pixels), PageKey); }

// The point list of a page, in row-major order; start positions are left to the builder.
void ExtractPoints(PointPicture& out, const Picture& page, Pixel key) {
  const auto count = static_cast<std::int32_t>(std::count_if(std::begin(page.pixels), std::end(page.pixels),
                                                             [key](Pixel p) { return p != key; }));
  out.points.assign(static_cast<std::size_t>(count), PicturePoint{});
  out.count = count;
  std::int32_t n = 0;
  for (std::int32_t y = 0; y < ScreenHeight; ++y) {
    for (std::int32_t x = 0; x < ScreenWidth; ++x) {
      const Pixel p = page.pixels[y * ScreenWidth + x];
      if (p == key) continue;
      PicturePoint& point = out.points[n++];
      point.targetX = x;
      point.targetY = y;
      point.targetIndex = ScreenWidth * y + x;
      point.colour = AddColour(p, MultiplyColour(0x15071551u, TintPicture.pixels[y * ScreenWidth + x]));
    }
  }
}

std::int32_t OrderOf(const PicturePoint& p) {
  const std::int32_t base = p.targetX + 4 * p.targetY;
  return p.targetX < 240 ? base : base - 40;
}

void FinishOrders(PointPicture& out) {
  out.minOrder = 999999999;
  for (const PicturePoint& p : out.points) out.minOrder = std::min(out.minOrder, p.order);
}

}  // namespace

void BuildTickerStripFromMemory(const char* name, const std::uint8_t* file, std::size_t fileSize) {
  const Latin1Text latin1 = AsLatin1(file, fileSize);
  const std::uint8_t* bytes = latin1.bytes.data();
  const std::size_t size = latin1.bytes.size();
  TextCursor text{bytes, bytes + size};
  std::int32_t length = 0;
  char piece[1023];
  bool cut = false;
  while (ReadLine(text, piece, sizeof piece)) {
    const auto n = static_cast<std::int32_t>(std::strlen(piece));
    const std::int32_t take = std::min(n, MaxTickerBytes - length);
    std::memcpy(TickerText + length, piece, static_cast<std::size_t>(take));
    length += take;
    if (take < n) {
      cut = true;
      break;
    }
  }
  TickerText[length] = '\0';

  // The strip is TickerWidth x 40 pixels: bound it by cutting the text after the
  // last character that fits.
  std::int64_t width = 0;
  std::int32_t line = 1;
  for (std::int32_t i = 0; i < length; ++i) {
    const std::int32_t w = CharacterWidth(LargeFont, TickerText[i]);
    if (width + w > MaxTickerWidth) {
      // One line for the file, also when it was longer than the byte cap.
      ReportAssetProblem(name,
                         "the ticker would be %lld pixels wide (at most %d); it is cut after %d of its %d%s bytes, "
                         "in line %d",
                         static_cast<long long>(width + TextWidth(LargeFont, TickerText + i)), MaxTickerWidth, i,
                         length, cut ? " first" : "", line);
      TickerText[i] = '\0';
      cut = false;
      break;
    }
    width += w;
    if (TickerText[i] == '\n') ++line;
  }
  if (cut) ReportAssetProblem(name, "longer than %d bytes; the ticker stops there", MaxTickerBytes);

  TickerWidth = TextWidth(LargeFont, TickerText);
  TickerStrip.assign(static_cast<std::size_t>(std::max(TickerWidth, 0)) * TickerHeight, 0);
  if (TickerWidth > 0) {
    DrawText(LargeFont, TickerText, 256, 0, 0, 0, TickerStrip.data(), TickerWidth, TickerHeight);
  }
}

void BuildTickerStrip(const char* path) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  if (!ReadDataFile(path, bytes, TickerFileBytes, nullptr, problem)) {
    ReportAssetProblem(path, "%s; part two runs without a ticker", problem.c_str());
    bytes.clear();
  }
  BuildTickerStripFromMemory(path, bytes.data(), bytes.size());
}

std::int32_t BuildPagesFromMemory(const char* name, const std::uint8_t* file, std::size_t fileSize, PointPicture* pages,
                                  PointPictureBuilder builder) {
  const Latin1Text latin1 = AsLatin1(file, fileSize);
  const std::uint8_t* bytes = latin1.bytes.data();
  const std::size_t size = latin1.bytes.size();
  FillWhite(ScratchPicture);
  static char lines[MaxPageLines][PageLineBytes];  // start-up only, one file at a time
  TextCursor text{bytes, bytes + size};
  std::int32_t n = 0;
  // At most 254 bytes a line; a longer one continues in the next.
  while (n < MaxPageLines && ReadLine(text, lines[n], PageLineBytes - 1)) ++n;
  const bool cut = text.at < text.end;

  std::int32_t page = 0, line = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    if (lines[i][0] == '}') {
      if (page < MaxPages) builder(pages[page], page % 3, ScratchPicture, PageKey);
      FillWhite(ScratchPicture);
      ++page;
      line = 0;
    } else {
      DrawText(PageFont, lines[i], 256, 9, 196, 20 + 15 * line, ScratchPicture.pixels, ScreenWidth, ScreenHeight);
      ++line;
    }
  }
  if (cut) {
    ReportAssetProblem(name, "more than %d lines: the %d page%s of the first %d %s kept, the rest is dropped%s",
                       MaxPageLines, page, page == 1 ? "" : "s", MaxPageLines, page == 1 ? "is" : "are",
                       page == 0 ? " (no line among them starts with '}')" : "");
  } else if (page == 0) {
    ReportAssetProblem(name, "holds no page (no line starts with '}')");
  }
  return std::min(page, MaxPages);
}

std::int32_t BuildPages(const char* path, PointPicture* pages, PointPictureBuilder builder) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  if (!ReadDataFile(path, bytes, PageFileBytes, nullptr, problem)) {
    FillWhite(ScratchPicture);
    ReportAssetProblem(path, "%s; no pages", problem.c_str());
    return 0;
  }
  return BuildPagesFromMemory(path, bytes.data(), bytes.size(), pages, builder);
}

void BuildPathPointPicture(PointPicture& out, std::int32_t style, const Picture& page, Pixel key) {
  ExtractPoints(out, page, key);
  const double N = out.count;
  for (PicturePoint& p : out.points) {
    p.order = OrderOf(p);
    const bool left = p.targetX < 240;
    const double order = p.order;
    if (style == 2) {
      p.startX = left ? 154 : 90;
      p.startY = left ? 235 : 56;
      continue;
    }
    double sx, sy;
    if (style == 0) {
      const double a = order * (left ? 2356.194490192345 : 235.61944901923448) / N;
      sx = 20.0 * std::cos(a) + 240.0;
      sy = 20.0 * std::sin(a) + p.targetY + (left ? -40.0 : 40.0);
    } else {
      sx = (std::cos(order * (left ? 260.75219024795285 : 248.18581963359367) / N) + 1.0) * 160.0;
      sy = (std::sin(order * (left ? 201.06192982974676 : 128.8052987971815) / N) + 1.0) * 120.0;
    }
    p.startX = std::clamp(TruncateToInt32(sx), 0, ScreenWidth - 1);
    p.startY = std::clamp(TruncateToInt32(sy), 0, ScreenHeight - 1);
  }
  FinishOrders(out);
}

void BuildFixedPointPicture(PointPicture& out, std::int32_t, const Picture& page, Pixel key) {
  ExtractPoints(out, page, key);
  for (PicturePoint& p : out.points) {
    p.order = OrderOf(p);
    const bool left = p.targetX < 240;
    p.startX = left ? 48 : 103;
    p.startY = left ? 200 : 184;
  }
  FinishOrders(out);
}
