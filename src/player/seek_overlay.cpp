#include "player/seek_overlay.h"

#include <cctype>
#include <algorithm>
#include <cstdio>

#include "choreo/phases.h"

namespace {

constexpr std::uint32_t Grid = 60;  // the replay's frame rate

struct Glyph {
  char c;
  std::uint8_t rows[GlyphHeight];  // five bits a row, the leftmost highest
};

constexpr Glyph Font[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}}, {'A', {0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}}, {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}}, {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}}, {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}}, {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}}, {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}}, {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}},
    {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}}, {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}}, {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}}, {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}},
    {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
};

const Glyph* GlyphOf(char c) {
  const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const Glyph& g : Font)
    if (g.c == u) return &g;
  return nullptr;
}

}  // namespace

std::optional<std::uint32_t> SeekTarget(SeekKey key, std::uint32_t now) {
  auto back = [&](std::uint32_t ms) { return now > ms ? now - ms : 0u; };
  auto ahead = [&](std::uint32_t ms) { return now > 0xFFFFFFFFu - ms ? 0xFFFFFFFFu : now + ms; };
  std::uint32_t starts[ShowMarks];
  PhaseStartsOnGrid(Grid, starts);
  switch (key) {
    case SeekKey::Back5: return back(5000);
    case SeekKey::Forward5: return ahead(5000);
    case SeekKey::Back60: return back(60000);
    case SeekKey::Forward60: return ahead(60000);
    case SeekKey::Start: return 0u;
    case SeekKey::PreviousPhase:
      for (int i = ShowMarks - 1; i >= 0; --i)
        if (starts[i] + PhaseBackMs <= now) return starts[i];
      return 0u;
    case SeekKey::NextPhase:
      for (const std::uint32_t s : starts)
        if (s > now) return s;
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::uint32_t> StepTarget(std::uint32_t now, bool forward) {
  // Frame k of the grid is at ceil(k * 1000 / 60) ms; `now` lies in frame k.
  const std::uint64_t k = static_cast<std::uint64_t>(now) * Grid / 1000;
  if (!forward && k == 0) return std::nullopt;
  const std::uint64_t to = forward ? k + 1 : k - 1;
  const std::uint64_t ms = (to * 1000 + Grid - 1) / Grid;
  if (ms > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(ms);
}

std::string Volume::Label() const { return muted ? "MUTED" : "VOLUME " + std::to_string(percent) + "%"; }

const char* PhaseAt(std::uint32_t showMs) {
  std::uint32_t starts[ShowMarks];
  PhaseStartsOnGrid(Grid, starts);
  int i = ShowMarks - 1;
  while (i > 0 && starts[i] > showMs) --i;
  return ShowMarkNames[i];
}

std::string SeekLabel(std::uint32_t showMs) {
  char text[64];
  std::snprintf(text, sizeof text, "%u:%02u.%u %s", showMs / 60000, showMs / 1000 % 60, showMs / 100 % 10,
                PhaseAt(showMs));
  std::string s = text;
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string SeekProgressLabel(std::uint32_t targetMs, int percent) {
  return "SEEKING " + SeekLabel(targetMs) + " " + std::to_string(std::clamp(percent, 0, 100)) + "%";
}

std::string TimeForFileName(std::uint32_t showMs) {
  char text[32];
  std::snprintf(text, sizeof text, "%02um%02u.%03us", showMs / 60000, showMs / 1000 % 60, showMs % 1000);
  return text;
}

std::vector<PictureRect> TextRects(const std::string& text, int x, int y, int scale) {
  std::vector<PictureRect> out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Glyph* g = GlyphOf(text[i]);
    if (!g) continue;
    const int left = x + static_cast<int>(i) * GlyphAdvance * scale;
    for (int row = 0; row < GlyphHeight; ++row) {
      for (int col = 0; col < GlyphWidth;) {
        if (!(g->rows[row] >> (GlyphWidth - 1 - col) & 1)) {
          ++col;
          continue;
        }
        int run = 1;
        while (col + run < GlyphWidth && (g->rows[row] >> (GlyphWidth - 1 - col - run) & 1)) ++run;
        out.push_back({left + col * scale, y + row * scale, run * scale, scale});
        col += run;
      }
    }
  }
  return out;
}

PictureRect TextBox(const std::string& text, int x, int y, int scale) {
  const int w = text.empty() ? 0 : static_cast<int>(text.size()) * GlyphAdvance - 1;
  return {x - 2 * scale, y - 2 * scale, (w + 4) * scale, (GlyphHeight + 4) * scale};
}
