#include "texts.h"

// The ticker is drawn with the large font: lower case, digits and . , ! ? : - ' only.
// The scanner scene scrolls it about 101.5 pixels a second for 76.8 s, some
// 7,800 pixels: it opens with a screen of blank, its text ends just before
// the scene does, and blank pads it beyond so it never wraps round. Short
// lines with air between them: a line is read as it passes, and the wave
// stands a long word on end where it climbs.
std::string TickerText() {
  return std::string(16, ' ') + TickerLines() + std::string(60, ' ');
}

std::string TickerLines() {
  return "saturate presents...      zintavel!      "
         "code: tick.    pictures: ochre.    music: hertz.      turn it up!      "
         "greetings fly out to revision, evoke, assembly, deadline, outline and nova.    "
         "see you on the big screen!      "
         "and to every crew who still hands in a demo at five to midnight: respect.      "
         "make some noise!      hold on...    here come the pages!";
}

// Pages, drawn from x = 196: at most 124 pixels a line and 14 lines a page
// (the 15th would lose its descenders at the frame's edge). Capitals are the
// font's bold headings and names; the body is lower case.
//
// The first file is one page, the title, seen three times over as a refrain
// while the music under it builds (a new line each time, then a breakdown and
// a build into the next page), so it reads as a chorus, not a repeat. Then the second file's two pages once each: the greetings, on the music's
// peak, and the sign-off, short enough to land before the final hit half way
// through its slot, where the recording ends. Who made it: the demo group
// SATURATE, that is TICK (code), OCHRE (pictures) and HERTZ (music).
std::string PagesOneText() {
  return "ZINTAVEL\n"
         "\n"
         "a SATURATE demo\n"
         "for a big screen\n"
         "and a loud room.\n"
         "\n"
         "TICK: code\n"
         "OCHRE: pictures\n"
         "HERTZ: music\n"
         "\n"
         "three people, two\n"
         "tunes and a few\n"
         "thousand lines\n"
         "of c++.\n"
         "}\n";
}

std::string PagesTwoText() {
  return "GREETINGS\n"
         "\n"
         "REVISION, EVOKE,\n"
         "ASSEMBLY, NOVA,\n"
         "DEADLINE and\n"
         "OUTLINE: thank\n"
         "you for the big\n"
         "screens.\n"
         "\n"
         "and to every crew\n"
         "who ships at five\n"
         "to midnight: we\n"
         "see you. we are\n"
         "you.\n"
         "}\n"
         "THAT WAS\n"
         "ZINTAVEL.\n"
         "\n"
         "by SATURATE:\n"
         "TICK, OCHRE and\n"
         "HERTZ.\n"
         "\n"
         "cheers!\n"
         "}\n";
}
