#include "texts.h"

// The ticker is drawn with the large font: lower case, digits and . , ! ? : - ' only.
// The scanner scene scrolls it about 101.5 pixels a second for 76.8 s, some
// 7,800 pixels: its first word stands at the right edge as the scene opens,
// its text ends just before the scene does, and blank pads it beyond so it
// never wraps round. It tells what the scene shows, not who made it (the
// pages do that). Its phrases are placed on the music: "listen..." crosses
// the middle of the screen at the breakdown (30.7 s), "now!" on the crash at
// 38.4 s, "lights on." as the brass figure's display lights at 42.3 s.
std::string TickerText() {
  return std::string(15, ' ') + TickerLines() + std::string(60, ' ');
}

std::string TickerLines() {
  return "night shift.    the scanner is awake.    hold still: it reads you line by line.    "
         "no video: every pixel is worked out as you watch.          "
         "listen...    it builds...    wait for it...    now!              "
         "lights on.    the brass one is here.    keep dancing, it is early.    "
         "the sun is down and the metal still remembers it.    last call: the pages are coming.";
}

// Pages, drawn from x = 196: at most 124 pixels a line and 14 lines a page
// (the 15th would lose its descenders at the frame's edge). Capitals are the
// font's bold headings and names; the body is lower case. A page's points
// take off 10 ms apart per step of x + 4y, so every line of a page costs
// 0.6 s of flight: short pages are read longer.
//
// The first file is one page, shown three times over while the music under
// it plays the same eight bars three times: a chorus, and it says so. Then the
// second file's two pages once each: the greetings, on the music's peak, and
// the credits, the only ones on the pages, four short lines that land some
// three seconds before the module's final hit half way through their slot.
std::string PagesOneText() {
  return "THE CHORUS\n"
         "\n"
         "this page comes\n"
         "round three times,\n"
         "like the tune\n"
         "under it.\n"
         "\n"
         "first time: read.\n"
         "second: nod along.\n"
         "third: sing it.\n"
         "}\n";
}

std::string PagesTwoText() {
  return "GREETINGS\n"
         "\n"
         "to everyone who\n"
         "stayed up to see\n"
         "a computer draw\n"
         "in the dark,\n"
         "\n"
         "to the crews who\n"
         "ship at five to\n"
         "midnight,\n"
         "\n"
         "and to the people\n"
         "who carry the\n"
         "big screens home.\n"
         "}\n"
         "SATURATE IS\n"
         "TICK: code\n"
         "OCHRE: pictures\n"
         "HERTZ: music\n"
         "}\n";
}
