// The two pieces of the default music, as tracker songs.
//   TuneSong   "tune.it", from the countdown on: countdown, bridge and part
//              two's scanner at 125 BPM (speed 6, tempo 125); then the text
//              section at 128 BPM, a page slot of 15 s to 8 bars, straight
//              through to a final hit 235 s into the show and its tail, and
//              round again from the first page slot (183.5 s of module, a
//              loop of 90 s).
//   IntroSong  part one, 54 s on 62.5 ms rows (speed 6, tempo 240) at 128 BPM, so its rows
//              are the rows of part one's key tracks.
#pragma once

#include <vector>

#include "band.h"
#include "it_writer.h"

ItSong TuneSong(const Band& band);
ItSong IntroSong(const Band& band);
// The tune with the instruments of the default soundfont, rendered once per
// process; exits with a message when the font is missing.
ItSong TuneSong();

// Rows of the accents of part one (the beat track, in rows), 18 to 776.
const std::vector<int>& IntroAccentRows();
inline constexpr int IntroRows = 896;  // 56 s; the picture fades from row 800
