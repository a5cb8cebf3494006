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

// Pages: at most 15 lines, about 18 characters each (drawn from x = 196).
// The first file's pages are shown three times over before the second file's
// begin, and the second file's then loop: the first file holds one greeting
// page, the second everything a viewer should see.
std::string PagesOneText() {
  return "ZINTAVEL\n"
         "\n"
         "a demo is a\n"
         "program that\n"
         "makes pictures\n"
         "and music in\n"
         "real time.\n"
         "\n"
         "this one draws\n"
         "every frame on\n"
         "the cpu alone.\n"
         "}\n";
}

std::string PagesTwoText() {
  return "CREDITS\n"
         "\n"
         "code: zintavel\n"
         "pictures: made\n"
         "by a program\n"
         "music: written\n"
         "as notes (c)\n"
         "2026\n"
         "}\n"
         "GREETINGS\n"
         "\n"
         "to all who\n"
         "write small,\n"
         "fast things\n"
         "& share them.\n"
         "\n"
         "press escape\n"
         "to leave.\n"
         "}\n"
         "THE FRAME\n"
         "\n"
         "320 x 240 pixels\n"
         "of 32 bits each;\n"
         "added, scaled and\n"
         "blended in eight\n"
         "bit lanes.\n"
         "\n"
         "255 + 255 = 255\n"
         "255 x 255 = 254\n"
         "}\n"
         "THE GRID\n"
         "\n"
         "one texture point\n"
         "for every 8 x 8\n"
         "pixels, moved by\n"
         "slow sines, or\n"
         "cast as rays\n"
         "into a tunnel.\n"
         "}\n"
         "REMEMBER\n"
         "\n"
         "no frame reads\n"
         "a file; nothing\n"
         "is allocated\n"
         "once it runs;\n"
         "the same clock\n"
         "gives the same\n"
         "bytes, always.\n"
         "}\n";
}
