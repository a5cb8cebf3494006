#include "compose.h"

#include <algorithm>

#include "synth.h"

namespace {

// Samples, 1-based as the patterns name them.
enum Sample { KickS = 1, SnareS, HatS, CrashS, HitS, BassS, PadS, PluckS, StabS, RiserS };
// Channels.
enum Channel { ChKick, ChSnare, ChHat, ChCrash, HitC, BassC, PadA, PadB, PadC, Lead, StabC, RiserC, Timing, ChannelCount };

struct Chord {
  int root;      // bass note
  int tones[3];  // pad voicing
};
// A minor: Am, F, C, G, and the turn E (for the countdown's lift) and Dm.
const Chord Am{45, {57, 60, 64}}, F{41, {57, 60, 65}}, C{48, {55, 60, 64}}, G{43, {55, 59, 62}},
    E{40, {56, 59, 64}}, Dm{50, {57, 62, 65}};

// A song laid out on one long grid of rows, cut into patterns at the end.
struct Score {
  int rows;
  std::vector<std::vector<ItCell>> grid;
  explicit Score(int r) : rows(r), grid(r, std::vector<ItCell>(ChannelCount)) {}
  ItCell& At(int row, int channel) { return grid[std::clamp(row, 0, rows - 1)][channel]; }
  void Note(int row, int channel, int note, int sample, int volume) {
    if (row < 0 || row >= rows) return;
    ItCell& c = grid[row][channel];
    c.note = note, c.sample = sample, c.volume = volume;
  }
  void Cut(int row, int channel) {
    if (row < 0 || row >= rows) return;
    grid[row][channel].note = NoteCut;
  }
  void PadChord(int row, const Chord& c, int volume) {
    Note(row, PadA, c.tones[0], PadS, volume);
    Note(row, PadB, c.tones[1], PadS, volume);
    Note(row, PadC, c.tones[2], PadS, volume);
  }
  void CutAll(int row, std::initializer_list<int> channels) {
    for (int ch : channels) Cut(row, ch);
  }
  ItSong Song(const char* name, int speed, int tempo, int mixVolume) const {
    ItSong s;
    s.name = name;
    s.speed = speed, s.tempo = tempo, s.mixVolume = mixVolume;
    s.channels = ChannelCount;
    s.panning = {32, 30, 40, 28, 32, 32, 18, 46, 32, 38, 26, 32};
    s.samples = {Kick(), Snare(), HiHat(), Crash(), Hit(), Bass(), Pad(), Pluck(), Stab(), Riser()};
    for (int start = 0; start < rows; start += 64) {
      ItPattern p(std::min(64, rows - start), ChannelCount);
      for (int r = 0; r < p.rows; ++r) p.cells[r] = grid[start + r];
      s.orders.push_back(static_cast<int>(s.patterns.size()));
      s.patterns.push_back(std::move(p));
    }
    return s;
  }
};

// Drum grooves over [from, to), in beats of `beat` rows.
void Groove(Score& s, int from, int to, int beat, int level) {
  for (int r = from; r < to; ++r) {
    const int k = r - from;
    if (level >= 2 && k % beat == 0) s.Note(r, ChKick, 60, KickS, 56);
    if (level >= 3 && k % (2 * beat) == beat) s.Note(r, ChSnare, 60, SnareS, 50);
    if (level >= 1 && k % (beat / 2) == 0 && k % beat != 0) s.Note(r, ChHat, 60, HatS, 34);
    if (level >= 3 && k % (beat / 4 > 0 ? beat / 4 : 1) == 0 && k % (beat / 2) != 0) s.Note(r, ChHat, 60, HatS, 18);
  }
}

// Bass and pad over [from, to), one chord per `bar` rows.
void Harmony(Score& s, int from, int to, int bar, const std::vector<Chord>& chords, int bassEvery, int padVolume) {
  for (int r = from, i = 0; r < to; r += bar, ++i) {
    const Chord& c = chords[i % chords.size()];
    if (padVolume > 0) s.PadChord(r, c, padVolume);
    if (bassEvery > 0) {
      for (int b = r; b < std::min(r + bar, to); b += bassEvery) {
        const bool octave = ((b - r) / bassEvery) % 4 == 3;
        s.Note(b, BassC, c.root + (octave ? 12 : 0), BassS, 48);
      }
    }
  }
}

// A plucked line over chord tones: every `step` rows, walking a pattern.
void Arpeggio(Score& s, int from, int to, int bar, const std::vector<Chord>& chords, int step, int volume) {
  static const int walk[] = {0, 1, 2, 1, 0, 2, 1, 2};
  for (int r = from, n = 0; r < to; r += step, ++n) {
    const Chord& c = chords[((r - from) / bar) % chords.size()];
    s.Note(r, Lead, c.tones[walk[n % 8]] + 12, PluckS, volume);
  }
}

const std::vector<Chord> Progression = {Am, F, C, G};

// At 44,100 Hz a tick of tempo 120 is 918.75 samples and players take 918: the
// rows of part one would run 0.08% fast and drift from the picture. Three rows
// in every 32 at tempo 119 (926 samples a tick) make up the difference exactly:
// 29 x 2754 + 3 x 2778 = 88,200 samples, 2 s, every 32 rows.
void KeepRowsOnTime(Score& s) {
  for (int r = 0; r < s.rows; ++r) {
    const int k = r % 32;
    ItCell& c = s.At(r, Timing);
    if (k == 5 || k == 16 || k == 27) c.command = Command('T'), c.parameter = 119;
    if (k == 6 || k == 17 || k == 28) c.command = Command('T'), c.parameter = 120;
  }
}

}  // namespace

const std::vector<int>& IntroAccentRows() {
  static const std::vector<int> rows = {18,  87,  91,  117, 122, 132, 162, 192, 222, 252, 282, 312, 316, 342, 372,
                                        402, 490, 522, 552, 582, 612, 692, 732, 762, 764, 766, 770, 774, 776};
  return rows;
}

ItSong IntroSong() {
  Score s(IntroRows);
  // Sections change where the overlay, mirror and slide tracks jump.
  s.PadChord(0, Am, 20);
  Groove(s, 18, 192, 8, 1);
  Harmony(s, 18, 192, 32, Progression, 8, 16);
  Groove(s, 192, 282, 8, 3);
  Harmony(s, 192, 282, 32, Progression, 4, 21);
  Arpeggio(s, 192, 282, 32, Progression, 2, 19);
  Groove(s, 282, 342, 8, 1);  // breakdown
  Harmony(s, 282, 342, 32, {F, G}, 0, 23);
  Arpeggio(s, 282, 342, 32, {F, G}, 4, 25);
  Groove(s, 342, 402, 8, 2);
  Harmony(s, 342, 402, 32, Progression, 8, 19);
  Groove(s, 402, 490, 8, 3);
  Harmony(s, 402, 490, 32, Progression, 4, 21);
  Arpeggio(s, 402, 490, 32, Progression, 2, 22);
  Groove(s, 490, 552, 8, 3);
  Harmony(s, 490, 552, 32, {F, G, Am, Am}, 4, 21);
  Groove(s, 552, 612, 16, 2);
  Harmony(s, 552, 612, 32, {Dm, E}, 8, 21);
  Arpeggio(s, 552, 612, 32, {Dm, E}, 4, 22);
  Groove(s, 612, 692, 8, 3);  // the peak, under the negative flash
  Harmony(s, 612, 692, 32, Progression, 4, 22);
  Arpeggio(s, 612, 692, 32, Progression, 2, 22);
  for (int r = 612; r < 692; r += 8) s.Note(r, StabC, Progression[((r - 612) / 32) % 4].root + 24, StabS, 28);
  Groove(s, 692, 732, 8, 1);
  Harmony(s, 692, 732, 32, {F, G}, 8, 18);
  // Build: a snare roll closing in on the stutter, and the riser.
  for (int r = 732; r < 762; r += r < 748 ? 4 : (r < 756 ? 2 : 1)) s.Note(r, ChSnare, 60, SnareS, 24 + (r - 732));
  Harmony(s, 732, 762, 32, {E}, 4, 19);
  s.Note(730, RiserC, 60, RiserS, 50);
  // The stutter: every accent a gated chord stab and hit, silence between.
  s.CutAll(762, {BassC, PadA, PadB, PadC, Lead, RiserC, ChSnare, ChHat});
  for (int r : {762, 764, 766, 770, 774}) {
    s.Note(r, StabC, Am.root + 24, StabS, 48);
    s.Note(r, BassC, Am.root, BassS, 48);
    s.CutAll(r + 1, {StabC, BassC});
  }
  // Outro: the last accent opens the final chord, which the fade takes away.
  s.PadChord(776, Am, 40);
  s.Note(776, BassC, Am.root, BassS, 40);
  s.Note(776, ChCrash, 60, CrashS, 56);
  s.Note(776, StabC, Am.root + 24, StabS, 40);
  for (int r = 784; r < 864; r += 16) s.Note(r, Lead, Am.tones[(r / 16) % 3] + 12, PluckS, 22);
  s.CutAll(880, {BassC, PadA, PadB, PadC, Lead});

  // An accent on every beat of part one: kick and hit, a crash on the big ones;
  // the lead and the small drums leave it three rows of air.
  for (int r : IntroAccentRows()) {
    for (int before = r - 3; before < r; ++before) {
      for (int ch : {Lead, ChHat, ChSnare}) s.At(before, ch) = ItCell{};
    }
  }
  for (int r : IntroAccentRows()) {
    s.Note(r, ChKick, 60, KickS, 64);
    s.Note(r, HitC, 60, HitS, 60);
    if (r == 18 || r == 192 || r == 282 || r == 342 || r == 402 || r == 490 || r == 552 || r == 612 || r == 692 ||
        r == 732) {
      s.Note(r, ChCrash, 60, CrashS, 44);
    }
  }
  KeepRowsOnTime(s);
  return s.Song("zintavel part one", 3, 120, 60);
}

ItSong TuneSong() {
  // 120 ms rows: 4 a beat, 16 a bar, 64 a pattern.
  constexpr int Countdown = 0, Bridge = 80, PartTwo = 128, TextScene = PartTwo + 640, End = TextScene + 512;
  Score s(End);
  // Countdown: a stab on each 960 ms step, climbing; the last three with a kick.
  const int steps[] = {57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
  for (int k = 0; k < 10; ++k) {
    const int r = Countdown + 8 * k;
    s.Note(r, StabC, steps[k], StabS, 30 + 3 * k);
    s.Note(r, BassC, E.root + (k >= 7 ? 12 : 0), BassS, 36);
    if (k >= 7) s.Note(r, ChKick, 60, KickS, 60);
    for (int t = 2; t < 8; t += 2) s.Note(r + t, ChHat, 60, HatS, 14 + 3 * k);
  }
  s.Note(Bridge - 34, RiserC, 60, RiserS, 56);
  s.PadChord(0, E, 18);
  // Bridge: the lift resolves on C major, then settles into A minor.
  s.Note(Bridge, ChCrash, 60, CrashS, 60);
  s.Note(Bridge, ChKick, 60, KickS, 64);
  s.Note(Bridge, HitC, 60, HitS, 56);
  s.PadChord(Bridge, C, 40);
  s.Note(Bridge, BassC, C.root, BassS, 44);
  s.PadChord(Bridge + 32, Am, 34);
  s.Note(Bridge + 32, BassC, Am.root, BassS, 40);
  Groove(s, Bridge + 32, PartTwo, 4, 1);

  // Part two, scanner scene: bars of 16 rows from row 128.
  auto bar = [&](int b) { return PartTwo + 16 * b; };
  Groove(s, bar(0), bar(19), 4, 2);
  Groove(s, bar(4), bar(19), 4, 3);
  Harmony(s, bar(0), bar(19), 32, Progression, 2, 26);
  Arpeggio(s, bar(8), bar(19), 32, Progression, 2, 24);
  // The figures drop: a fill and the riser in bar 19, the jump on bar 20.
  for (int r = bar(19); r < bar(20); ++r) {
    if ((r - bar(19)) % 2 == 0 || r >= bar(19) + 8) s.Note(r, ChSnare, 60, SnareS, 20 + (r - bar(19)) * 2);
  }
  s.Note(bar(19) - 17, RiserC, 60, RiserS, 50);
  s.Note(bar(20), ChCrash, 60, CrashS, 60);
  s.Note(bar(20), HitC, 60, HitS, 60);
  Groove(s, bar(20), bar(39), 4, 3);
  Harmony(s, bar(20), bar(39), 32, {F, G, Am, Am}, 2, 30);
  Arpeggio(s, bar(20), bar(39), 32, {F, G, Am, Am}, 1, 22);
  for (int r = bar(28); r < bar(39); r += 8) s.Note(r, StabC, 69, StabS, 22);
  // They fall again: the beat drops out for a bar.
  s.CutAll(bar(39), {Lead, StabC});
  s.PadChord(bar(39), E, 30);
  s.Note(bar(39), BassC, E.root, BassS, 40);
  s.Note(bar(39) - 16, RiserC, 60, RiserS, 44);
  // Text scene: airy, looping from here.
  s.Note(TextScene, ChCrash, 60, CrashS, 50);
  Groove(s, TextScene, End, 8, 2);
  Groove(s, TextScene + 128, End - 64, 8, 3);
  Harmony(s, TextScene, End, 64, {Am, F, C, G, Dm, Am, E, E}, 8, 30);
  Arpeggio(s, TextScene, End, 64, {Am, F, C, G, Dm, Am, E, E}, 2, 18);
  ItSong song = s.Song("zintavel", 6, 125, 60);
  // The end of the order list jumps back to the text section.
  ItCell& jump = song.patterns.back().cells.back()[ChCrash];
  jump.command = Command('B');
  jump.parameter = static_cast<std::uint8_t>(TextScene / 64);
  return song;
}
