#include "manpage.h"

#include <sstream>
#include <vector>

#include "platform/keys.h"

namespace {

// The option column of --help: terms start at 2, descriptions at 22.
constexpr std::size_t DescriptionColumn = 22;

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// "-d, --dir DIR" as bold option names and an italic argument.
std::string RoffTerm(const std::string& term) {
  std::string out;
  std::istringstream words(term);
  std::string word;
  while (words >> word) {
    if (!out.empty()) out += ' ';
    const bool comma = word.back() == ',';
    if (comma) word.pop_back();
    out += (word[0] == '-' ? "\\fB" : "\\fI") + RoffText(word) + "\\fR" + (comma ? "," : "");
  }
  return out;
}

const char* const Head =
    ".SH NAME\n"
    "zintavel \\- real-time software-rendered audio-visual demo\n"
    ".SH SYNOPSIS\n"
    ".B zintavel\n"
    ".RI [ options ]\n"
    ".SH DESCRIPTION\n";

// After the keys of the player's table: the ones of the card and the terminal.
const char* const Tail =
    ".TP\n"
    ".B G\n"
    "on the warning card shown before the show: play it with \\fB\\-\\-gentle\\fR.\n"
    ".TP\n"
    ".B Ctrl+C\n"
    "(or SIGTERM) quits like Escape; a second one ends at once.\n"
    ".SH EXIT STATUS\n"
    ".TP\n"
    ".B 0\n"
    "the presentation ended: after the closing fade, or cut short by a second\n"
    "Escape, close request or signal while playing; a recording that was\n"
    "finished and closed.\n"
    ".TP\n"
    ".B 1\n"
    "a fatal error: no display to play on, no presentation found, a module that\n"
    "cannot be played, a recording that cannot be written.\n"
    ".TP\n"
    ".B 2\n"
    "a bad command line.\n"
    ".TP\n"
    ".B 128 + N\n"
    "a recording stopped at once by a second signal N (130 for SIGINT, 143 for\n"
    "SIGTERM); the file written so far plays.\n"
    ".SH FILES\n"
    ".TP\n"
    ".I /usr/share/zintavel\n"
    "the installed presentation (for an installation in /usr); also looked for\n"
    "beside the program, in the working directory and in the XDG data\n"
    "directories.\n"
    ".SH ENVIRONMENT\n"
    ".TP\n"
    ".B SDL_VIDEODRIVER, SDL_AUDIODRIVER\n"
    "choose SDL's drivers. The invisible video drivers (offscreen, dummy) are used\n"
    "only when named here. When no sound device opens, the show plays silently.\n"
    ".TP\n"
    ".B XDG_DATA_HOME, XDG_DATA_DIRS\n"
    "where an installed presentation is looked for, under \\fIzintavel/\\fR.\n"
    ".SH COPYRIGHT\n"
    "Zintavel is under the MIT licence; see \\fI/usr/share/doc/zintavel/copyright\\fR\n"
    "for it and for the licences of the libraries it links.\n";

}  // namespace

std::string RoffText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '-') out += "\\-";
    else out += c;
  }
  if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out = "\\&" + out;
  return out;
}

std::string ManualPage(const std::string& help, const std::string& version) {
  std::vector<std::string> lines;
  std::istringstream in(help);
  for (std::string line; std::getline(in, line);) lines.push_back(line);

  std::string page = ".TH ZINTAVEL 6 \"\" \"Zintavel " + version + "\" \"Games and demos\"\n";
  page += Head;
  std::size_t i = 0;
  if (i < lines.size() && lines[i].rfind("usage:", 0) == 0) ++i;
  // The opening paragraph, up to the first blank line.
  for (; i < lines.size() && !Trim(lines[i]).empty(); ++i) page += RoffText(Trim(lines[i])) + "\n";
  page += ".SH OPTIONS\n";
  for (; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line == KeysHeading) break;  // the keys come from their table, below
    const bool option = line.size() > 3 && line.compare(0, 2, "  ") == 0 && Trim(line)[0] == '-';
    const bool continuation = line.size() > DescriptionColumn && line.find_first_not_of(' ') == DescriptionColumn;
    if (option) {
      // The term ends at the first run of two spaces after it.
      const std::string rest = line.substr(line.find('-'));
      const auto gap = rest.find("  ");
      page += ".TP\n" + RoffTerm(rest.substr(0, gap)) + "\n";
      if (gap != std::string::npos) page += RoffText(Trim(rest.substr(gap))) + "\n";
    } else if (continuation) {
      page += RoffText(Trim(line)) + "\n";
    } else if (!Trim(line).empty()) {
      page += ".PP\n" + RoffText(Trim(line)) + "\n";
    }
  }
  page += ".SH KEYS\n";
  for (int k = 0; k < PlayerKeyCount; ++k) {
    page += ".TP\n";
    for (int n = 0; n < 4 && PlayerKeys[k].keys[n]; ++n)
      page += std::string(n ? ".TQ\n" : "") + ".B " + RoffText(KeyShown(PlayerKeys[k].keys[n])) + "\n";
    page += RoffText(PlayerKeys[k].does) + ".\n";
  }
  page += Tail;
  return page;
}
