#include "app/check.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>

#include "assets/data_file.h"
#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "assets/report.h"
#include "assets/text_encoding.h"
#include "show/show_length.h"

namespace {

// Where the text scene draws a page: lines from x 196, line n at y 20 + 15 n,
// in a font 12 rows high.
constexpr std::int32_t PageLeft = 196;
constexpr std::int32_t PageLinesShown = 14;  // 20 + 15 * 13 + 12 <= 240
// The scanner scene's ScannerMs scroll the ticker by 1 px every 9.85 ms.
constexpr double TickerPixelsPerMs = 0.10152284263959391;
constexpr double PartOneSeconds = PartOneMs / 1000.0;

[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...) {
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  return text;
}

std::string Line(const std::string& name, const std::string& problem) { return "zintavel: " + name + ": " + problem; }

// 12345 as "12,345".
std::string Grouped(std::int64_t n) {
  std::string digits = std::to_string(n < 0 ? -n : n), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return n < 0 ? "-" + out : out;
}

std::string Clock(double seconds) {
  const auto whole = static_cast<std::int64_t>(seconds * 10 + 0.5);
  return Format("%lld:%02lld.%lld", static_cast<long long>(whole / 600), static_cast<long long>(whole / 10 % 60),
                static_cast<long long>(whole % 10));
}

bool HasGlyph(const BitmapFont& font, unsigned char c) {
  for (std::int32_t i = 0; i < font.glyphCount && font.charset[i] != '\0'; ++i) {
    if (static_cast<unsigned char>(font.charset[i]) == c) return true;
  }
  return false;
}

// A byte of a Latin-1 text as a reader sees it: the letter in UTF-8, or its code.
std::string Shown(unsigned char c) {
  if (c >= 0x21 && c < 0x7F) return Format("'%c'", c);
  if (c >= 0xA0) return Format("'%c%c' (0x%02X)", 0xC0 | c >> 6, 0x80 | (c & 0x3F), c);
  return Format("0x%02X", c);
}

bool LooksLikeUtf8(const std::string& text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const auto a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
    if (a >= 0xC2 && a <= 0xDF && b >= 0x80 && b <= 0xBF) return true;
  }
  return false;
}

// The characters of `text` that `font` cannot draw (blanks and line ends are
// meant as gaps), as one problem or none.
std::string MissingGlyphs(const std::string& text, const BitmapFont& font, const char* sheet) {
  std::string missing;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == ' ' || c == '\n' || HasGlyph(font, c) || missing.find(ch) != std::string::npos) continue;
    missing += ch;
  }
  // Characters beyond Latin-1 in a UTF-8 text are named on their own.
  missing.erase(std::remove(missing.begin(), missing.end(), static_cast<char>(OutsideLatin1)), missing.end());
  if (missing.empty()) return {};
  std::string list;
  for (char ch : missing) list += (list.empty() ? "" : ", ") + Shown(static_cast<unsigned char>(ch));
  std::string problem = Format("no glyph in %s for %s; %s as %d px gaps", sheet, list.c_str(),
                               missing.size() == 1 ? "it shows" : "they show", font.spaceAdvance);
  if (LooksLikeUtf8(text)) problem += " (the text looks like UTF-8 that is not well formed; it is read as Latin-1)";
  return problem;
}

// The page lines as the loader stores them: at most 254 bytes each with the
// line end, CR LF read as LF, at most 200; each with its line number in the file.
struct StoredLine {
  std::string text;
  std::int32_t fileLine;
};

std::vector<StoredLine> StoredLines(const std::uint8_t* text, std::size_t size) {
  std::vector<StoredLine> lines;
  std::size_t at = 0;
  std::int32_t fileLine = 1;
  while (at < size && static_cast<std::int32_t>(lines.size()) < MaxPageLines) {
    StoredLine line{{}, fileLine};
    while (line.text.size() < PageLineBytes - 2 && at < size) {
      char c = static_cast<char>(text[at++]);
      if (c == '\r' && at < size && text[at] == '\n') c = '\n', ++at;
      line.text += c;
      if (c == '\n') break;
    }
    if (!line.text.empty() && line.text.back() == '\n') ++fileLine;
    lines.push_back(std::move(line));
  }
  return lines;
}

// The right edge of the last glyph a line draws from x.
std::int32_t InkEnd(const BitmapFont& font, const std::string& text, std::int32_t x) {
  std::int32_t end = x;
  for (char c : text) {
    const std::int32_t w = CharacterWidth(font, c);
    if (HasGlyph(font, static_cast<unsigned char>(c))) end = x + w;
    x += w;
  }
  return end;
}

bool Draws(const BitmapFont& font, const std::string& text) {
  return std::any_of(text.begin(), text.end(), [&](char c) { return HasGlyph(font, static_cast<unsigned char>(c)); });
}

// Everything written to stderr while `f` runs, line by line.
template <typename F>
std::vector<std::string> StderrLinesOf(F f) {
  std::fflush(stderr);
  std::FILE* capture = std::tmpfile();
  const int saved = capture ? ::dup(STDERR_FILENO) : -1;
  if (saved < 0) {  // no capture: the lines go out as they are, uncounted
    if (capture) std::fclose(capture);
    f();
    return {"zintavel: cannot capture the loaders' messages (no temporary file); they are above"};
  }
  ::dup2(fileno(capture), STDERR_FILENO);
  f();
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  std::vector<std::string> lines;
  std::rewind(capture);
  std::string line;
  for (int c; (c = std::fgetc(capture)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  if (!line.empty()) lines.push_back(line);
  std::fclose(capture);
  return lines;
}

bool Names(const std::vector<std::string>& lines, const std::string& path) {
  const std::string key = path + ":";
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(key) != std::string::npos; });
}

}  // namespace

// A UTF-8 text's characters that Latin-1 (and so no font) has, a line a file line.
std::vector<std::string> OutsideLatin1Lines(const std::string& name, const Latin1Text& text) {
  std::vector<std::string> problems;
  for (std::size_t i = 0; i < text.outside.size();) {
    const std::int32_t line = text.outside[i].line;
    std::string list;
    int count = 0;
    for (; i < text.outside.size() && text.outside[i].line == line; ++i) {
      const std::uint32_t cp = text.outside[i].codePoint;
      const std::string shown = Format("U+%04X", cp);
      if (list.find(shown) != std::string::npos) continue;
      std::string utf8;  // the character itself, as the file has it
      if (cp < 0x800) utf8 = {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
      else if (cp < 0x10000)
        utf8 = {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                static_cast<char>(0x80 | (cp & 0x3F))};
      else
        utf8 = {static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
                static_cast<char>(0x80 | (cp >> 6 & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
      list += (list.empty() ? "" : ", ") + Format("'%s' (%s)", utf8.c_str(), shown.c_str());
      ++count;
    }
    problems.push_back(Line(name, Format("line %d: %s %s no letter of the fonts (they hold Latin-1 only); %s as "
                                         "gaps",
                                         line, list.c_str(), count == 1 ? "is" : "are",
                                         count == 1 ? "it shows" : "they show")));
  }
  return problems;
}

std::vector<std::string> CheckPageText(const std::string& name, const std::uint8_t* file, std::size_t fileSize) {
  const Latin1Text latin1 = AsLatin1(file, fileSize);
  std::vector<std::string> problems = OutsideLatin1Lines(name, latin1);
  const std::uint8_t* text = latin1.bytes.data();
  const std::size_t size = latin1.bytes.size();
  const std::vector<StoredLine> lines = StoredLines(text, size);
  std::int32_t page = 0, line = 0, firstHidden = 0, lastEnd = -1;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const StoredLine& l = lines[i];
    if (l.text[0] == '}') {
      if (firstHidden > 0) {
        problems.push_back(Line(name, Format("page %d has %d lines from line %d on: a page shows %d in full, the "
                                             "rest is cut at the bottom or not shown",
                                             page + 1, line, firstHidden, PageLinesShown)));
      }
      ++page;
      line = 0;
      firstHidden = 0;
      lastEnd = static_cast<std::int32_t>(i);
      continue;
    }
    const bool continued = i > 0 && lines[i - 1].text.back() != '\n';
    std::string body = l.text;
    if (!body.empty() && body.back() == '\n') body.pop_back();
    if (!continued) {
      // Report a file line once, over all its stored pieces.
      std::string whole = body;
      for (std::size_t j = i + 1; j < lines.size() && lines[j].fileLine == l.fileLine; ++j) whole += lines[j].text;
      if (!whole.empty() && whole.back() == '\n') whole.pop_back();
      const std::string missing = MissingGlyphs(whole, PageFont, "font3.pcx");
      if (!missing.empty()) problems.push_back(Line(name, Format("line %d: %s", l.fileLine, missing.c_str())));
      if (whole.size() > PageLineBytes - 2) {
        problems.push_back(Line(name, Format("line %d is %zu bytes long: it is shown as several lines of %d", l.fileLine,
                                             whole.size(), PageLineBytes - 2)));
      }
    }
    const std::int32_t end = InkEnd(PageFont, body, PageLeft);
    if (end > ScreenWidth && !continued) {
      problems.push_back(Line(name, Format("line %d runs %d px past the page's right edge (a line has %d px): its end "
                                           "is not shown",
                                           l.fileLine, end - ScreenWidth, ScreenWidth - PageLeft)));
    }
    if (line >= PageLinesShown && firstHidden == 0 && Draws(PageFont, body)) firstHidden = l.fileLine;
    ++line;
  }
  // Text after the last page end belongs to no page.
  for (std::size_t i = static_cast<std::size_t>(lastEnd + 1); i < lines.size(); ++i) {
    if (Draws(PageFont, lines[i].text)) {
      problems.push_back(Line(name, Format("lines from %d on come after the last '}' line and belong to no page; "
                                           "they are not shown",
                                           lines[i].fileLine)));
      break;
    }
  }
  return problems;
}

std::vector<std::string> CheckTickerText(const std::string& name) {
  std::vector<std::string> problems;
  const std::string text = TickerText;
  std::int32_t number = 1;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = std::min(text.find('\n', at), text.size());
    const std::string missing = MissingGlyphs(text.substr(at, end - at), LargeFont, "font1.pcx");
    if (!missing.empty()) problems.push_back(Line(name, Format("line %d: %s", number, missing.c_str())));
    at = end + 1;
    ++number;
  }
  const double scroll = ScannerMs * TickerPixelsPerMs;
  const auto fills = static_cast<std::int32_t>(std::ceil(scroll)) + ScreenWidth + 1;
  if (TickerWidth < 2) {
    problems.push_back(Line(name, "the ticker is empty; part two shows none"));
  } else if (TickerWidth - 1 <= ScreenWidth) {
    problems.push_back(Line(name, Format("the ticker is %d px, narrower than the screen: it repeats side by side "
                                         "all through the scanner scene (%s px fill its 76.8 s)",
                                         TickerWidth, Grouped(fills).c_str())));
  } else if (TickerWidth < fills) {
    // The strip wraps after W - 1 columns; its start comes back in at the right edge.
    const double back = (TickerWidth - 1 - ScreenWidth) / TickerPixelsPerMs / 1000;
    problems.push_back(Line(name, Format("the ticker is %s px, %.1f s of scrolling: it starts over %.1f s into the "
                                         "scanner scene, which lasts 76.8 s (%s px fill it)",
                                         Grouped(TickerWidth).c_str(), (TickerWidth - 1) / TickerPixelsPerMs / 1000,
                                         back, Grouped(fills).c_str())));
  }
  return problems;
}

std::vector<std::string> CheckStreamLength(const std::string& name, double seconds, float peakAfterPartOne) {
  if (std::fabs(seconds - PartOneSeconds) <= 1 || (seconds > PartOneSeconds && peakAfterPartOne < 0.001f)) return {};
  if (seconds < PartOneSeconds) {
    return {Line(name, Format("plays %.1f s, part one lasts 54 s: the last %.1f s of part one are silent", seconds,
                              PartOneSeconds - seconds))};
  }
  return {Line(name, Format("plays %.1f s, part one lasts 54 s: its last %.1f s are cut off by the countdown "
                            "(fade it out by 54 s)",
                            seconds, seconds - PartOneSeconds))};
}

int CheckPresentation(const std::string& dir, MusicProber probe, std::FILE* out) {
  PresentationDirectory = dir;
  const std::string module = PresentationPath("tune.it"), stream = PresentationPath("intro.mp3");
  bool loaded = false;
  MusicFacts music;
  std::vector<std::string> problems = StderrLinesOf([&] {
    loaded = LoadAssets();
    music = probe(module, stream);
  });
  for (const std::string& line : problems) std::fprintf(out, "%s\n", line.c_str());
  if (!loaded) return 1;

  std::vector<std::string> more;
  auto add = [&](const std::vector<std::string>& lines) { more.insert(more.end(), lines.begin(), lines.end()); };
  // A binary file given as pages has a problem on nearly every line: the first
  // few say what is wrong, the rest are counted.
  constexpr std::size_t MaxLinesAFile = 20;
  std::size_t notShown = 0;
  auto addFew = [&](const std::string& path, std::vector<std::string> lines) {
    if (lines.size() > MaxLinesAFile) {
      const std::size_t rest = lines.size() - MaxLinesAFile;
      lines.resize(MaxLinesAFile);
      lines.push_back(OneLine(path) + ": ... and " + std::to_string(rest) + " more");
      notShown += rest - 1;
    }
    add(lines);
  };
  auto data = [](const char* file) { return PresentationPath((std::string("data/") + file).c_str()); };
  for (const char* file : {"pages1.txt", "pages2.txt"}) {
    std::vector<std::uint8_t> bytes;
    std::string problem;
    if (ReadDataFile(data(file).c_str(), bytes, PageFileBytes, nullptr, problem)) {
      addFew(data(file), CheckPageText(data(file), bytes.data(), bytes.size()));
    }
  }
  if (!Names(problems, data("ticker.txt"))) {
    std::vector<std::uint8_t> bytes;
    std::string problem;
    if (ReadDataFile(data("ticker.txt").c_str(), bytes, TickerFileBytes, nullptr, problem))
      add(OutsideLatin1Lines(data("ticker.txt"), AsLatin1(bytes.data(), bytes.size())));
    add(CheckTickerText(data("ticker.txt")));
  }
  if (music.streamLoaded) add(CheckStreamLength(stream, music.streamSeconds, music.streamPeakAfterPartOne));
  for (const std::string& line : more) std::fprintf(out, "%s\n", line.c_str());
  problems.insert(problems.end(), more.begin(), more.end());

  // The summary.
  std::int32_t pcx = 0, jpeg = 0;
  const char* const pcxFiles[] = {"card.pcx", "fig3a.pcx", "fig3b.pcx", "fig3c.pcx", "fig4.pcx"};
  for (const char* f : pcxFiles) pcx += Names(problems, data(f)) ? 0 : 1;
  for (std::int32_t i = 0; i < SpriteCount; ++i) pcx += Names(problems, data(Format("spr%02d.pcx", i).c_str())) ? 0 : 1;
  for (std::int32_t i = 1; i <= 19; ++i) jpeg += Names(problems, data(Format("img%02d.jpg", i).c_str())) ? 0 : 1;
  const std::size_t count = problems.size() + notShown;
  std::fprintf(out, "%s: %zu problem%s\n", OneLine(dir).c_str(), count, count == 1 ? "" : "s");
  std::fprintf(out, "  pictures  %d of 39 without a problem (%d of 20 PCX, %d of 19 JPEG)\n", pcx + jpeg, pcx, jpeg);
  auto glyphs = [](const BitmapFont& f) {
    return Format("%d of %zu glyphs", f.glyphCount, std::strlen(f.charset));
  };
  std::fprintf(out, "  fonts     font1.pcx %s, font2.pcx %s, font3.pcx %s\n", glyphs(LargeFont).c_str(),
               glyphs(SmallFont).c_str(), glyphs(PageFont).c_str());
  std::fprintf(out, "  pages     pages1.txt %d, pages2.txt %d\n", PagesOneCount, PagesTwoCount);
  std::fprintf(out, "  ticker    %s px, %.1f s of scrolling (the scanner scene lasts 76.8 s)\n",
               Grouped(TickerWidth).c_str(), std::max(0, TickerWidth - 1) / TickerPixelsPerMs / 1000);
  std::fprintf(out, "  music     tune.it %s, intro.mp3 %s (part one lasts 54 s)\n",
               music.moduleLoaded ? Format("%.1f s", music.moduleSeconds).c_str() : "not loaded",
               music.streamLoaded ? Format("%.1f s", music.streamSeconds).c_str() : "not loaded");
  const double quit = (BeforePartTwoMs + static_cast<double>(WholePartTwoMs())) / 1000;
  std::fprintf(out, "  length    a recording quits at %s (every page shown, then on the music) and ends at %s\n",
               Clock(quit).c_str(), Clock(quit + ClosingMs / 1000.0).c_str());
  return problems.empty() ? 0 : 1;
}
