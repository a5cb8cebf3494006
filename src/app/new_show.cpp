#include "app/new_show.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

const char* const NewShowReadme =
    "A Zintavel presentation, copied from the default one to be made your own.\n"
    "\n"
    "Play it, reloading every file of data/ you save:\n"
    "    zintavel --window --watch --dir .\n"
    "Check every file as start-up reads it, one line a problem:\n"
    "    zintavel --check --dir .\n"
    "\n"
    "tune.it        the tracker module, from the countdown on (Impulse Tracker)\n"
    "intro.mp3      part one's music (optional)\n"
    "data/card.pcx  the title card, 320x240, 256 colours\n"
    "data/spr00.pcx .. spr14.pcx   part one's sprites, 320x240, index 255 clear\n"
    "data/fig3a.pcx fig3b.pcx fig3c.pcx fig4.pcx   part two's figures, likewise\n"
    "data/img01.jpg .. img19.jpg   the pictures; img01 and img02 are 32x30,\n"
    "               img15 and img16 are 256x256 textures, the rest 320x240\n"
    "data/font1.pcx font2.pcx font3.pcx   the ticker's, the countdown's and the\n"
    "               pages' letters\n"
    "data/ticker.txt   part two's scrolling line\n"
    "data/pages1.txt pages2.txt   the text pages; a line starting with } ends a page\n"
    "\n"
    "Every file, where and when it is on screen, and what each may hold, is in\n"
    "the manual that came with the program (docs/presentation.md in its source).\n";

bool MakeNewShow(const std::string& from, const std::string& to, std::string& error) {
  std::error_code ec;
  if (fs::exists(to, ec)) {
    if (!fs::is_directory(to, ec)) {
      error = to + ": exists and is not a directory";
      return false;
    }
    if (!fs::is_empty(to, ec)) {
      error = to + ": not empty; --new makes a new directory (or fills an empty one)";
      return false;
    }
  } else if (!fs::create_directories(to, ec)) {
    error = to + ": cannot create: " + ec.message();
    return false;
  }
  for (const char* name : {"data", "tune.it", "intro.mp3"}) {
    const fs::path source = fs::path(from) / name;
    if (!fs::exists(source, ec)) continue;
    fs::copy(source, fs::path(to) / name, fs::copy_options::recursive, ec);
    if (ec) {
      error = (fs::path(to) / name).string() + ": cannot copy from " + source.string() + ": " + ec.message();
      return false;
    }
  }
  const std::string readme = (fs::path(to) / "README.txt").string();
  std::ofstream out(readme);
  out << NewShowReadme;
  out.close();
  if (!out) {
    error = readme + ": cannot write";
    return false;
  }
  return true;
}
