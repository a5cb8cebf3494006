#include "texts.h"

// The ticker is drawn with the large font: lower case, digits and . , ! ? : - ' only.
// The scanner scene scrolls it about 101.5 pixels a second for 76.8 s, some
// 7,800 pixels: it opens with a screen of blank, its text ends before the
// scene does, and blank pads it beyond so it never wraps round. The greetings
// come while the figures are away (the middle of the scene).
std::string TickerText() {
  return std::string(16, ' ') + TickerLines() + std::string(48, ' ');
}

std::string TickerLines() {
  return "welcome to zintavel!   every frame is computed on the cpu, pixel by pixel: "
         "saturating adds, eight-bit products, a warped grid, blurs and sprites.   "
         "greetings to everyone who still counts cycles, and to all makers of small, fast things!   "
         "pictures and music are made by programs at build time.   "
         "press escape when you have seen enough.   turn the page...";
}

// Pages, drawn from x = 196: at most 124 pixels a line and 14 lines a page
// (the 15th would lose its descenders at the frame's edge). Capitals are the
// font's bold headings and names; the body is lower case.
//
// The first file's pages run three times over (a pair, so each pass brings
// both back); then the second file's, once each: twelve pages of 15 s, the
// last page landing as the music's section comes round, where the recording
// ends. That last page is one short line, so it lands within three seconds.
// Who made it: the demo group SATURATE, that is TICK (code), OCHRE (pictures)
// and HERTZ (music).
std::string PagesOneText() {
  return "ZINTAVEL\n"
         "\n"
         "a demo, made by\n"
         "SATURATE: music\n"
         "and pictures made\n"
         "live by a program,\n"
         "in step, for you\n"
         "to watch.\n"
         "\n"
         "no video plays\n"
         "here. each frame\n"
         "is computed as\n"
         "you see it, then\n"
         "thrown away.\n"
         "}\n"
         "ON THE CPU\n"
         "\n"
         "no graphics card\n"
         "draws a pixel:\n"
         "320 by 240 of\n"
         "them, 60 times a\n"
         "second, summed,\n"
         "blurred, warped\n"
         "and faded by the\n"
         "processor alone.\n"
         "\n"
         "these letters fly\n"
         "in point by point.\n"
         "}\n";
}

std::string PagesTwoText() {
  return "CREDITS\n"
         "\n"
         "code and timing\n"
         "            TICK\n"
         "pictures\n"
         "            OCHRE\n"
         "music\n"
         "            HERTZ\n"
         "page font\n"
         "   terminus, by\n"
         "   dimitar zhekov\n"
         "\n"
         "together we are\n"
         "SATURATE.\n"
         "}\n"
         "THE MUSIC\n"
         "\n"
         "HERTZ wrote both\n"
         "tunes as notes in\n"
         "code, and every\n"
         "sound is made by\n"
         "a program when\n"
         "the demo is\n"
         "built. this part\n"
         "is a tracker\n"
         "module, a row\n"
         "every 120 ms,\n"
         "round and round.\n"
         "}\n"
         "THE PICTURES\n"
         "\n"
         "OCHRE paints with\n"
         "code, not brushes:\n"
         "every picture and\n"
         "sprite is drawn\n"
         "by a program at\n"
         "build time, and\n"
         "the same build\n"
         "gives the same\n"
         "bytes, always.\n"
         "\n"
         "the band on the\n"
         "left is one too.\n"
         "}\n"
         "THE CLOCK\n"
         "\n"
         "TICK keeps time:\n"
         "every picture\n"
         "comes from one\n"
         "millisecond\n"
         "counter. on a\n"
         "virtual clock, a\n"
         "recording holds\n"
         "every frame the\n"
         "screen would show,\n"
         "however slow the\n"
         "machine.\n"
         "}\n"
         "GREETINGS\n"
         "\n"
         "to the people of\n"
         "sdl, freetype,\n"
         "openmpt, mpg123\n"
         "and ffmpeg: you\n"
         "carry this.\n"
         "\n"
         "to everyone who\n"
         "still counts\n"
         "cycles, and to\n"
         "you, for staying\n"
         "to the pages.\n"
         "}\n"
         "STILL HERE?\n"
         "\n"
         "the music goes\n"
         "round and so do\n"
         "the pages. stay\n"
         "as long as you\n"
         "like; escape\n"
         "ends it with a\n"
         "fade to black.\n"
         "\n"
         "SATURATE, 2026\n"
         "}\n"
         "\n"
         "\n"
         "\n"
         "\n"
         "\n"
         "\n"
         "     SATURATE\n"
         "}\n";
}
