#include "compose.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "soundfont.h"

namespace {

// Channels.
enum Channel {
  ChKick, ChSnare, ChHat, ChCrash, HitC, BassC, PadA, PadB, PadC, Lead, StabC, RiserC, Timing,
  LeadEcho, StabEcho,  // the lead's and the stab's echoes, on the other side
  ChShaker, ChOpenHat, LeadB,  // the top octave, and part two's sustained lead
  ChTom, ChFx, ChAccent, ChClap, Guitar, ChChoir,  // fills, swells, impacts, the climax's lead
  ChannelCount
};

// A fixed scatter in -spread..spread for the note at (row, channel): the same
// every run, different from note to note, as a player's hands are.
int Scatter(int row, int channel, int spread) {
  std::uint32_t h = static_cast<std::uint32_t>(row) * 2654435761u ^ static_cast<std::uint32_t>(channel + 1) * 40503u;
  h ^= h >> 15, h *= 2246822519u, h ^= h >> 13;
  return static_cast<int>(h % static_cast<std::uint32_t>(2 * spread + 1)) - spread;
}

void Effect(ItCell& c, char command, int parameter) {
  c.command = Command(command), c.parameter = static_cast<std::uint8_t>(parameter);
}

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
  // The tick of the note in `channel` at `row` (its row plus a note delay).
  int TickOf(int row, int channel, int ticksPerRow) const {
    const ItCell& c = grid[row][channel];
    const int delay = c.command == Command('S') && (c.parameter & 0xF0) == 0xD0 ? c.parameter & 0x0F : 0;
    return row * ticksPerRow + delay;
  }
  // A ping-pong echo: every note of `from` once more in `to`, `delay` ticks
  // later at `gain` of its volume, unless a cut in `from` comes between, the
  // row of `to` is taken, or `keepOut` rejects its tick. The echo is far longer than
  // the ear's fusion (a dotted eighth), so a mono fold hears an echo, not a
  // comb filter.
  template <typename KeepOut>
  void Echo(int from, int to, int delay, int ticksPerRow, double gain, KeepOut keepOut) {
    std::vector<std::pair<int, ItCell>> echoes;
    for (int r = 0; r < rows; ++r) {
      const ItCell& c = grid[r][from];
      if (c.note < 0 || c.note >= 120 || c.sample == 0) continue;
      const int tick = TickOf(r, from, ticksPerRow) + delay;
      const int last = tick / ticksPerRow;
      bool cut = false;
      for (int k = r + 1; k <= last && k < rows; ++k) cut |= grid[k][from].note == NoteCut || grid[k][from].note == NoteOff;
      if (cut || last >= rows || keepOut(tick)) continue;
      ItCell e;
      e.note = c.note, e.sample = c.sample;
      e.volume = static_cast<int>((c.volume < 0 ? 64 : c.volume) * gain + 0.5);
      echoes.emplace_back(tick, e);
    }
    for (const auto& [tick, e] : echoes) {
      const int row = tick / ticksPerRow, d = tick % ticksPerRow;
      ItCell& c = grid[row][to];
      if (c.note != NoNote) continue;
      c = e;
      if (d > 0) c.command = Command('S'), c.parameter = static_cast<std::uint8_t>(0xD0 | d);
    }
  }
  // Patterns of 64 rows, and a pattern also starts at each row of `starts`
  // (a row the order list jumps back to must begin a pattern).
  ItSong Song(const char* name, int speed, int tempo, int mixVolume, const Band& band,
              const std::vector<int>& starts = {}) const {
    ItSong s;
    s.name = name;
    s.speed = speed, s.tempo = tempo, s.mixVolume = mixVolume;
    s.channels = ChannelCount;
    // The stereo image: kick, bass, snare and accents in the middle; the pad's
    // three voices wide apart (each a different note, so nothing cancels in a
    // mono fold); hats and crash on either side; lead and stab off centre with
    // their echoes answering from the other side. IT pans linearly, so every
    // channel keeps its level in the mono fold.
    // The fills, the swells and the climax's lead sit off centre too, the
    // impacts in the middle with the kick.
    s.panning = {32, 30, 50, 16, 32, 32, 2, 62, 30, 46, 20, 36, 32, 8, 56, 44, 20, 24, 40, 48, 32, 26, 42, 52};
    s.samples = band.samples;
    s.instruments = band.instruments;
    for (int start = 0; start < rows;) {
      int end = std::min(start + 64, rows);
      for (int cut : starts) {
        if (cut > start && cut < end) end = cut;
      }
      ItPattern p(end - start, ChannelCount);
      for (int r = 0; r < p.rows; ++r) p.cells[r] = grid[start + r];
      s.orders.push_back(static_cast<int>(s.patterns.size()));
      s.patterns.push_back(std::move(p));
      start = end;
    }
    return s;
  }
};

// Drum grooves over [from, to), in beats of `beat` rows (four beats a bar).
// Played, not stamped: the kick leans on the bar's first beat and its third,
// the snare and hats vary a little from hit to hit, ghost notes on the snare
// around the backbeat and a pickup kick into every fourth bar.
void Groove(Score& s, int from, int to, int beat, int level) {
  const int bar = 4 * beat, sixteenth = std::max(1, beat / 4);
  for (int r = from; r < to; ++r) {
    const int k = r - from, inBar = k % bar, barIndex = k / bar;
    if (level >= 2 && k % beat == 0) {
      s.Note(r, ChKick, 60, KickS, (inBar == 0 ? 60 : inBar == 2 * beat ? 55 : 50) + Scatter(r, ChKick, 2));
    }
    if (level >= 3 && beat == 4 && barIndex % 4 == 3 && inBar == bar - 2) s.Note(r, ChKick, 60, KickS, 40);
    if (level >= 3 && k % (2 * beat) == beat) s.Note(r, ChSnare, 60, SnareS, 50 + Scatter(r, ChSnare, 3));
    const bool ghost = beat == 4 && (inBar == 7 || inBar == 15 || (inBar == 10 && barIndex % 2 == 1));
    if (level >= 3 && ghost) s.Note(r, ChSnare, 60, SnareS, 11 + Scatter(r, ChSnare, 2));
    if (level >= 1 && k % (beat / 2) == 0 && k % beat != 0) s.Note(r, ChHat, 60, HatS, 34 + Scatter(r, ChHat, 3));
    if (level >= 3 && k % sixteenth == 0 && k % (beat / 2) != 0) s.Note(r, ChHat, 60, HatS, 17 + Scatter(r, ChHat, 4));
  }
}

// Bass and pad over [from, to), one chord per `bar` rows. The bass leans on
// the chord's first note, walks lighter between, and glides into every
// fourth chord.
void Harmony(Score& s, int from, int to, int bar, const std::vector<Chord>& chords, int bassEvery, int padVolume) {
  for (int r = from, i = 0; r < to; r += bar, ++i) {
    const Chord& c = chords[i % chords.size()];
    if (padVolume > 0) s.PadChord(r, c, padVolume);
    if (bassEvery > 0) {
      for (int b = r; b < std::min(r + bar, to); b += bassEvery) {
        const int n = (b - r) / bassEvery;
        const bool octave = n % 4 == 3;
        const int volume = b == r ? 54 : octave ? 44 : n % 2 ? 38 : 46;
        s.Note(b, BassC, c.root + (octave ? 12 : 0), BassS, volume + Scatter(b, BassC, 2));
        if (b == r && i % 4 == 3) Effect(s.At(b, BassC), 'G', 0x40);
      }
    }
  }
}

// A plucked line over chord tones: every `step` rows, walking a pattern,
// the first note of each beat a little stronger.
void Arpeggio(Score& s, int from, int to, int bar, const std::vector<Chord>& chords, int step, int volume) {
  static const int walk[] = {0, 1, 2, 1, 0, 2, 1, 2};
  for (int r = from, n = 0; r < to; r += step, ++n) {
    const Chord& c = chords[((r - from) / bar) % chords.size()];
    s.Note(r, Lead, c.tones[walk[n % 8]] + 12, PluckS, volume + ((r - from) % 4 == 0 ? 3 : 0) + Scatter(r, Lead, 1));
  }
}

// A swell in `channel` that peaks and stops on `tick` (of `tickMs`): the
// riser, or the reversed cymbal, leading into the hit on that tick.
void SwellInto(Score& s, int tick, int ticksPerRow, double tickMs, int sample, int volume, int channel = RiserC) {
  const double seconds = sample == RiserS ? RiserSeconds : ReverseSeconds;
  const int start = tick - static_cast<int>(std::lround(seconds * 1000 / tickMs));
  if (start < 0) return;
  s.Note(start / ticksPerRow, channel, 60, sample, volume);
  if (start % ticksPerRow) Effect(s.At(start / ticksPerRow, channel), 'S', 0xD0 | (start % ticksPerRow));
}

// A tom fill: `count` toms from `row`, one every `step` rows, falling in
// pitch and moving across the stereo field.
void TomFill(Score& s, int row, int count, int step, int volume) {
  for (int k = 0; k < count; ++k) {
    const int r = row + k * step;
    s.Note(r, ChTom, 67 - k * 14 / std::max(1, count - 1), TomS, volume + k * 2 + Scatter(r, ChTom, 2));
    Effect(s.At(r, ChTom), 'X', 60 + k * 140 / std::max(1, count - 1));
  }
}

// A roll that closes in: the last rows of `[from, to)` retrigger the snare,
// every three ticks and then every two, so a fill ends in a blur.
void RollOut(Score& s, int from, int to, int volume) {
  for (int r = from; r < to; ++r) {
    s.Note(r, ChSnare, 60, SnareS, std::min(64, volume + (r - from) * 3));
    Effect(s.At(r, ChSnare), 'Q', to - r <= 2 ? 0x02 : 0x03);
  }
}

// The pad's three voices swell from `low` to `high` over [from, to), set
// row by row in the volume column, so a chord that starts in the middle
// joins the swell where it has got to.
void PadSwell(Score& s, int from, int to, int low, int high) {
  for (int r = from; r < to; ++r) {
    const int volume = low + (high - low) * (r - from) / std::max(1, to - 1 - from);
    for (int ch : {PadA, PadB, PadC}) s.At(r, ch).volume = volume;
  }
}

const std::vector<Chord> Progression = {Am, F, C, G};

}  // namespace

const std::vector<int>& IntroAccentRows() {
  static const std::vector<int> rows = {18,  87,  91,  117, 122, 132, 162, 192, 222, 252, 282, 312, 316, 342, 372,
                                        402, 490, 522, 552, 582, 612, 692, 732, 762, 764, 766, 770, 774, 776};
  return rows;
}

namespace {

// Part one runs at 128 BPM on the picture's rows: 6 ticks of 10.42 ms make a
// 62.5 ms row, a beat is 7.5 rows (45 ticks), a bar 30 rows, and bar 0 starts
// at 750 ms (row 12), so that nearly every accent lands on a bar line.
constexpr int TicksPerRow = 6, TicksPerBeat = 45, FirstBarTick = 12 * TicksPerRow;
constexpr int BarRow(int bar) { return 12 + 30 * bar; }

// A note at a tick of the song: on its row, delayed by the ticks left over.
void NoteAtTick(Score& s, int tick, int channel, int note, int sample, int volume) {
  const int row = tick / TicksPerRow, delay = tick % TicksPerRow;
  s.Note(row, channel, note, sample, volume);
  if (delay > 0 && row >= 0 && row < s.rows) {
    ItCell& c = s.At(row, channel);
    c.command = Command('S'), c.parameter = static_cast<std::uint8_t>(0xD0 | delay);
  }
}

// The tick of a sixteenth counted from bar 0 (four to a beat, rounded to the tick).
int SixteenthTick(int bar, int sixteenth) {
  return FirstBarTick + (bar * 16 + sixteenth) * TicksPerBeat / 4 + ((bar * 16 + sixteenth) * TicksPerBeat % 4 >= 2 ? 1 : 0);
}

bool NearAccent(int tick, int ticks) {
  for (int r : IntroAccentRows()) {
    if (std::abs(tick - r * TicksPerRow) <= ticks) return true;
  }
  return false;
}

// Drums over bars [from, to): level 1 hats on the off-beats; 2 adds the kick
// on every beat; 3 the snare on beats 2 and 4 and sixteenth hats; 4 is 3 with
// the kick on beats 1 and 3 only (half time). Nothing of the groove sounds
// within 200 ms of an accent but the hats, which are quiet: the accent is
// always the strongest hit near its beat.
void Groove128(Score& s, int from, int to, int level) {
  constexpr int Air = 20;  // ticks, about 200 ms
  for (int bar = from; bar < to; ++bar) {
    for (int k = 0; k < 16; ++k) {
      const int t = SixteenthTick(bar, k);
      const bool beat = k % 4 == 0;
      const bool kick = level == 4 ? k % 8 == 0 : level >= 2 && beat;
      const int row = t / TicksPerRow;
      if (kick && !NearAccent(t, Air)) NoteAtTick(s, t, ChKick, 60, KickS, (k == 0 ? 58 : k == 8 ? 54 : 49) + Scatter(row, ChKick, 2));
      if (level >= 3 && (k == 4 || k == 12) && !NearAccent(t, Air)) NoteAtTick(s, t, ChSnare, 60, SnareS, 46 + Scatter(row, ChSnare, 3));
      if (level >= 3 && (k == 7 || k == 15 || (k == 10 && bar % 2)) && !NearAccent(t, Air)) {
        NoteAtTick(s, t, ChSnare, 60, SnareS, 10 + Scatter(row, ChSnare, 2));  // ghost notes
      }
      if (k % 4 == 2 && !NearAccent(t, 8)) NoteAtTick(s, t, ChHat, 60, HatS, 30 + Scatter(row, ChHat, 3));
      if (level >= 3 && k % 2 == 1 && !NearAccent(t, 8)) NoteAtTick(s, t, ChHat, 60, HatS, 15 + Scatter(row, ChHat, 4));
    }
  }
}

// One chord a bar over bars [from, to): pad, and bass on every eighth (0 = none).
void Harmony128(Score& s, int from, int to, const std::vector<Chord>& chords, int padVolume, bool bass) {
  for (int bar = from; bar < to; ++bar) {
    const Chord& c = chords[(bar - from) % chords.size()];
    if (padVolume > 0) {
      for (int ch = 0; ch < 3; ++ch) NoteAtTick(s, SixteenthTick(bar, 0), PadA + ch, c.tones[ch], PadS, padVolume);
    }
    if (!bass) continue;
    for (int e = 0; e < 8; ++e) {
      const int t = SixteenthTick(bar, 2 * e);
      if (e % 2 == 0 && NearAccent(t, 20)) continue;  // the accent carries the low end
      const int row = t / TicksPerRow;
      NoteAtTick(s, t, BassC, c.root + (e % 4 == 3 ? 12 : 0), BassS, (e == 0 ? 52 : e % 2 ? 37 : 45) + Scatter(row, BassC, 2));
      if (e == 0 && bar % 4 == 3 && s.At(row, BassC).command == 0) Effect(s.At(row, BassC), 'G', 0x40);  // glide in
    }
  }
}

// A plucked line over the chord tones, every `step` sixteenths.
void Arpeggio128(Score& s, int from, int to, const std::vector<Chord>& chords, int step, int volume) {
  static const int walk[] = {0, 1, 2, 1, 0, 2, 1, 2};
  for (int bar = from, n = 0; bar < to; ++bar) {
    const Chord& c = chords[(bar - from) % chords.size()];
    for (int k = 0; k < 16; k += step, ++n) {
      const int t = SixteenthTick(bar, k);
      if (!NearAccent(t, 12)) NoteAtTick(s, t, Lead, c.tones[walk[n % 8]] + 12, PluckS, volume + (k % 4 == 0 ? 3 : 0) + Scatter(k + 16 * bar, Lead, 1));
    }
  }
}

// At 44,100 Hz a tick of tempo 240 is 459.375 samples and players take 459.
// Three rows in every 32 at tempo 238 (463 samples a tick) make up the
// difference exactly: 29 x 2754 + 3 x 2778 = 88,200 samples, 2 s, every 32 rows.
void KeepRowsOnTime128(Score& s) {
  for (int r = 0; r < s.rows; ++r) {
    const int k = r % 32;
    ItCell& c = s.At(r, Timing);
    if (k == 5 || k == 16 || k == 27) c.command = Command('T'), c.parameter = 238;
    if (k == 6 || k == 17 || k == 28) c.command = Command('T'), c.parameter = 240;
  }
}

// The root of the chord under bar `bar` of part one, as IntroSong lays them out.
int IntroRoot(int bar) {
  static const int roots[] = {Am.root, Am.root, F.root, G.root, Am.root, F.root, Am.root, F.root, C.root,
                              F.root,  G.root,  Am.root, F.root, Am.root, F.root, C.root, F.root, G.root,
                              Dm.root, E.root,  Am.root, F.root, G.root, F.root, E.root};
  return bar >= 0 && bar < static_cast<int>(std::size(roots)) ? roots[bar] : Am.root;
}

}  // namespace

ItSong IntroSong(const Band& band) {
  Score s(IntroRows);
  // Bars from 750 ms; the sections change where the picture's tracks jump.
  // Intro (the opening zoom and the first emblems): pads and off-beat hats.
  s.PadChord(0, Am, 20);
  Harmony128(s, 0, 4, {Am, Am, F, G}, 18, false);
  Groove128(s, 2, 4, 1);
  s.Note(BarRow(4) - 64, RiserC, 60, RiserS, 40);
  // Bars 4..6: the groove comes in under the sliding emblems.
  Groove128(s, 4, 6, 2);
  Harmony128(s, 4, 6, {Am, F}, 18, true);
  // Bars 6..9: everything.
  Groove128(s, 6, 9, 3);
  Harmony128(s, 6, 9, Progression, 21, true);
  Arpeggio128(s, 6, 9, Progression, 2, 19);
  // Bars 9..11: breakdown under the totems, the strings swelling.
  Groove128(s, 9, 11, 1);
  Harmony128(s, 9, 11, {F, G}, 24, false);
  PadSwell(s, BarRow(9), BarRow(11), 12, 30);
  Arpeggio128(s, 9, 11, {F, G}, 4, 24);
  // Bars 11..13: the kick returns under the mountains.
  Groove128(s, 11, 13, 2);
  Harmony128(s, 11, 13, Progression, 19, true);
  // Bars 13..18: the full groove through the drifting rings and the big Z.
  Groove128(s, 13, 18, 3);
  Harmony128(s, 13, 16, {Am, F, C}, 21, true);
  Harmony128(s, 16, 18, {F, G}, 21, true);
  Arpeggio128(s, 13, 18, Progression, 2, 21);
  // Bars 18..20: half time on D minor and E.
  Groove128(s, 18, 20, 4);
  Harmony128(s, 18, 20, {Dm, E}, 21, true);
  Arpeggio128(s, 18, 20, {Dm, E}, 4, 22);
  // Bars 20..23: the peak, under the negative flash, with stabs on the off-beats.
  Groove128(s, 20, 23, 3);
  Harmony128(s, 20, 23, {Am, F, G}, 22, true);
  Arpeggio128(s, 20, 23, {Am, F, G}, 2, 22);
  for (int bar = 20; bar < 23; ++bar) {
    for (int k = 2; k < 16; k += 4) {
      const int t = SixteenthTick(bar, k);
      if (!NearAccent(t, 20)) NoteAtTick(s, t, StabC, Progression[bar % 4].root + 24, StabS, 24);
    }
  }
  // Bar 23: a breath.
  Groove128(s, 23, 24, 1);
  Harmony128(s, 23, 24, {F}, 18, false);
  // Bar 24: the build, a snare roll closing in on the stutter, and the riser.
  for (int k = 0; k < 16; ++k) {
    const int t = SixteenthTick(24, k);
    if (!NearAccent(t, 20)) NoteAtTick(s, t, ChSnare, 60, SnareS, 18 + k);
    if (k >= 12 && !NearAccent(SixteenthTick(24, k) + 6, 20)) NoteAtTick(s, t + 6, ChSnare, 60, SnareS, 20 + k);
    if (k >= 8 && s.At(t / TicksPerRow, ChSnare).command == 0) Effect(s.At(t / TicksPerRow, ChSnare), 'Q', k >= 12 ? 0x03 : 0x06);
  }
  Harmony128(s, 24, 25, {E}, 19, true);
  SwellInto(s, 762 * TicksPerRow, TicksPerRow, 62.5 / TicksPerRow, RiserS, 46);
  // The stutter: every accent a gated chord stab, silence between.
  s.CutAll(762, {BassC, PadA, PadB, PadC, Lead, RiserC, ChSnare, ChHat, LeadEcho, StabEcho});
  for (int r : {762, 764, 766, 770, 774}) {
    s.Note(r, StabC, Am.root + 24, StabS, 40);
    s.Note(r, BassC, Am.root + 12, BassS, 40);
    s.CutAll(r + 1, {StabC, BassC});
  }
  // Outro: the last accent opens the final chord, which the fade takes away.
  s.PadChord(776, Am, 40);
  s.Note(776, BassC, Am.root, BassS, 40);
  s.Note(776, StabC, Am.root + 24, StabS, 40);
  for (int k = 0; k < 5; ++k) NoteAtTick(s, SixteenthTick(26, 4 * k), Lead, Am.tones[k % 3] + 12, PluckS, 22);
  s.CutAll(880, {BassC, PadA, PadB, PadC, Lead, LeadEcho, StabEcho});
  // Echoes a dotted eighth (34 ticks) later on the other side, clear of the accents.
  s.Echo(Lead, LeadEcho, 34, TicksPerRow, 0.55, [](int t) { return NearAccent(t, 12); });
  s.Echo(StabC, StabEcho, 34, TicksPerRow, 0.5, [](int t) { return NearAccent(t, 20); });

  // An accent on every beat of part one: the kick at full strength and a hit
  // over it, the loudest thing near it; the lead and the small drums leave
  // it three rows of air.
  for (int r : IntroAccentRows()) {
    for (int before = r - 3; before < r; ++before) {
      for (int ch : {Lead, ChHat, ChSnare, LeadEcho, StabEcho}) s.At(before, ch) = ItCell{};
    }
  }
  // Under the kick each accent gets a hit of its own: over the bars of the
  // composite scene (each with its flash) the hit changes from bar to bar,
  // crash, orchestra hit, a tom fill into a crash, a timpani impact, a
  // reversed cymbal into a hit, a brass stab; between the bars an orchestra
  // hit on the chord's root carries the beat.
  enum Kind { CrashHit, Orchestra, Toms, Impact, Reverse, Brass };
  static const Kind barKinds[] = {CrashHit, Orchestra, Toms, Impact, Reverse, Brass, CrashHit,
                                  Toms,     Impact,    Orchestra, Reverse, Brass, CrashHit};
  int barAccent = 0;
  for (int r : IntroAccentRows()) {
    s.At(r, ChKick) = ItCell{};
    auto hitAt = [&](int channel, int note, int sample, int volume) {
      s.At(r, channel) = ItCell{};  // no roll's retrigger left on the accent
      s.Note(r, channel, note, sample, volume);
    };
    hitAt(ChKick, 60, KickS, 64);
    const int bar = (r - 12) / 30;
    const int root = IntroRoot(bar);
    const int hit = root + (root < 45 ? 12 : 0);  // the orchestra hit sits around its own A
    Kind kind = Orchestra;
    if ((r - 12) % 30 == 0 && r >= 132 && r <= 612) kind = barKinds[barAccent++ % std::size(barKinds)];
    if (r == 18 || r == 776) kind = CrashHit;
    if (r == 490) kind = Reverse;
    if (r == 692) kind = Impact;
    switch (kind) {
      // The orchestra hit swells after its attack, so it only colours the
      // accents; the kick, snare, clap and timpani make the onset.
      case CrashHit:
        hitAt(ChCrash, 60, CrashS, 58);
        hitAt(ChSnare, 60, SnareS, 54);
        break;
      case Orchestra:
        hitAt(HitC, hit, HitS, 30);
        hitAt(r < 762 ? ChClap : ChSnare, 60, r < 762 ? ClapS : SnareS, 50);
        break;
      case Toms:
        TomFill(s, r - 8, 5, 1, 30);
        hitAt(ChCrash, 60, CrashS, 60);
        hitAt(ChAccent, root, ImpactS, 44);
        break;
      case Impact:
        hitAt(ChAccent, root, ImpactS, 64);
        hitAt(ChCrash, 60, CrashS, 40);
        hitAt(HitC, hit, HitS, 26);
        break;
      case Reverse:
        SwellInto(s, r * TicksPerRow, TicksPerRow, 62.5 / TicksPerRow, ReverseS, 40, ChFx);
        s.Cut(r - 1, ChFx);
        hitAt(ChSnare, 60, SnareS, 50);
        hitAt(ChOpenHat, 60, OpenHatS, 44);
        break;
      case Brass:
        hitAt(StabC, root + 24, StabS, 40);
        hitAt(ChClap, 60, ClapS, 48);
        hitAt(ChAccent, root, ImpactS, 36);
        break;
    }
  }
  KeepRowsOnTime128(s);
  return s.Song("zintavel part one", TicksPerRow, 240, 96, band);
}

namespace {

// The text scene's rows. Its first TextLead rows (1,340 ms: ten of 120 ms and
// one of 140 ms) hold a chord until the first page slot; from there the rows
// are 117.1875 ms (128 BPM, four to a beat), so that a slot of 15 s is 128
// rows, 8 bars. At 44,100 Hz a tick of tempo 128 is 861.33 samples and
// players take 861; three rows in every 64 at tempo 127 (868 samples a tick)
// make up the difference exactly: 61 x 5166 + 3 x 5208 = 330,750 samples,
// 7.5 s, every 64 rows.
constexpr int TextLead = 11, SlotRows = 128, TextSlots = 6;

void TextRows(Score& s, int from) {
  s.At(from + TextLead - 1, ChCrash).command = Command('A'), s.At(from + TextLead - 1, ChCrash).parameter = 7;
  const int first = from + TextLead;
  s.At(first, ChCrash).command = Command('A'), s.At(first, ChCrash).parameter = 6;
  for (int r = first; r < s.rows; ++r) {
    const int k = (r - first) % 64;
    ItCell& c = s.At(r, Timing);
    if (k == 0) c.command = Command('T'), c.parameter = 128;
    if (k == 10 || k == 31 || k == 52) c.command = Command('T'), c.parameter = 127;
    if (k == 11 || k == 32 || k == 53) c.command = Command('T'), c.parameter = 128;
  }
}

// Sixteenths in the top octave over [from, to), accented on the beat.
void Shakers(Score& s, int from, int to, int volume) {
  static const int accent[] = {100, 55, 80, 55};
  for (int r = from; r < to; ++r) s.Note(r, ChShaker, 60, ShakerS, volume * accent[(r - from) % 4] / 100);
}

// An open hat on every off-beat eighth over [from, to).
void OpenHats(Score& s, int from, int to, int volume) {
  for (int r = from + 2; r < to; r += 4) s.Note(r, ChOpenHat, 60, OpenHatS, volume);
}

struct Tone {
  int at, note, length;  // in rows (sixteenths) from the line's start
};

// A line of tones in `channel` from row `from`, each cut at its end; `shift`
// transposes it, and a line can stop after `bars` bars.
// Phrased as a player would: a held note gets vibrato once it has sounded
// a moment, a step of a tone or less after a note played through it is
// slid into now and then, `bends` makes long notes rise into pitch from a
// tone below; the note on a bar line is a little stronger. A sustained
// voice (`release`) is let go with a note off, so its release sounds.
void Melody(Score& s, int channel, int sample, int from, const std::vector<Tone>& line, int volume, int shift,
            int bars = 99, bool release = false, bool bends = false) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const Tone& t = line[i];
    if (t.at >= 16 * bars) break;
    const int row = from + t.at, note = t.note + shift;
    const int v = volume + (t.at % 16 == 0 ? 3 : 0) + Scatter(row, channel, 2);
    const bool legato = i > 0 && line[i - 1].at + line[i - 1].length == t.at && std::abs(line[i - 1].note - t.note) <= 2;
    if (bends && t.length >= 6) {
      s.Note(row, channel, note - 2, sample, v);
      s.Note(row + 1, channel, note, sample, -1);
      s.At(row + 1, channel).sample = 0;
      Effect(s.At(row + 1, channel), 'G', 0x18);
    } else {
      s.Note(row, channel, note, sample, v);
      if (legato && i % 3 == 2) Effect(s.At(row, channel), 'G', 0x30);
    }
    for (int k = 3; k < t.length; ++k) {
      if (s.At(row + k, channel).command == 0) Effect(s.At(row + k, channel), 'H', bends ? 0x66 : 0x44);
    }
    if (s.At(row + t.length, channel).note == NoNote) {
      if (release) s.At(row + t.length, channel).note = NoteOff;
      else s.Cut(row + t.length, channel);
    }
  }
}

// The theme, over Am, F, C and G, two bars each.
const std::vector<Tone>& ThemeA() {
  static const std::vector<Tone> line = {
      {0, 76, 6},   {6, 74, 2},   {8, 72, 4},   {12, 69, 4},  {16, 72, 3},  {19, 74, 3},  {22, 76, 10},
      {32, 77, 6},  {38, 76, 2},  {40, 74, 4},  {44, 72, 4},  {48, 69, 8},  {56, 72, 4},  {60, 74, 4},
      {64, 76, 6},  {70, 79, 2},  {72, 76, 4},  {76, 72, 4},  {80, 74, 3},  {83, 72, 3},  {86, 71, 2},
      {88, 72, 8},  {96, 74, 6},  {102, 71, 2}, {104, 67, 4}, {108, 71, 4}, {112, 74, 8}, {120, 76, 4},
      {124, 79, 4}};
  return line;
}

// The answer, higher and busier, over the same chords.
const std::vector<Tone>& ThemeB() {
  static const std::vector<Tone> line = {
      {0, 81, 2},   {2, 79, 2},   {4, 76, 4},   {8, 74, 2},   {10, 76, 6},  {16, 72, 2},  {18, 74, 2},
      {20, 76, 8},  {28, 79, 4},  {32, 81, 2},  {34, 79, 2},  {36, 77, 4},  {40, 76, 2},  {42, 77, 6},
      {48, 72, 4},  {52, 69, 4},  {56, 72, 4},  {60, 77, 4},  {64, 79, 2},  {66, 76, 2},  {68, 72, 4},
      {72, 76, 2},  {74, 79, 6},  {80, 81, 4},  {84, 79, 4},  {88, 76, 8},  {96, 79, 2},  {98, 74, 2},
      {100, 71, 4}, {104, 74, 2}, {106, 79, 6}, {112, 74, 4}, {116, 76, 4}, {120, 79, 4}, {124, 81, 4}};
  return line;
}

// The climax's own line, on the guitar: high over the same chords, bent into
// its long notes.
const std::vector<Tone>& ThemeD() {
  static const std::vector<Tone> line = {
      {0, 81, 6},   {6, 84, 2},   {8, 83, 2},   {10, 81, 6},  {16, 79, 4},  {20, 76, 4},  {24, 79, 8},
      {32, 77, 6},  {38, 81, 2},  {40, 84, 8},  {48, 86, 4},  {52, 84, 4},  {56, 81, 8},  {64, 79, 6},
      {70, 84, 2},  {72, 88, 8},  {80, 86, 4},  {84, 84, 4},  {88, 83, 4},  {92, 84, 4},  {96, 86, 6},
      {102, 83, 2}, {104, 79, 4}, {108, 83, 4}, {112, 86, 8}, {120, 88, 8}};
  return line;
}

// The last line, falling over F, G, E, E to the final A.
const std::vector<Tone>& ThemeC() {
  static const std::vector<Tone> line = {{0, 77, 4},  {4, 76, 4},  {8, 74, 4},  {12, 72, 4}, {16, 74, 4},
                                         {20, 72, 4}, {24, 71, 4}, {28, 67, 4}, {32, 68, 6}, {38, 71, 2},
                                         {40, 76, 8}, {48, 80, 8}, {56, 76, 4}, {60, 71, 4}};
  return line;
}

}  // namespace

ItSong TuneSong(const Band& band) {
  // 120 ms rows up to the text scene: 4 a beat, 16 a bar, 64 a pattern.
  // From the text scene on the rows change length: see TextRows below.
  constexpr int Countdown = 0, Bridge = 80, PartTwo = 128, TextScene = PartTwo + 640;
  constexpr int End = TextScene + TextLead + TextSlots * SlotRows;
  Score s(End);
  // Countdown: a stab on each 960 ms step, climbing; the last three with a kick.
  const int steps[] = {57, 59, 60, 62, 64, 65, 67, 69, 71, 72};
  for (int k = 0; k < 10; ++k) {
    const int r = Countdown + 8 * k;
    s.Note(r, StabC, steps[k], StabS, 22 + 4 * k);
    s.Note(r, BassC, E.root + (k >= 7 ? 12 : 0), BassS, 36);
    if (k >= 7) s.Note(r, ChKick, 60, KickS, 60);
    for (int t = 2; t < 8; t += 2) s.Note(r + t, ChHat, 60, HatS, 6 + 4 * k);
  }
  // Under it a snare roll that closes in as the numbers fall: a hit every
  // step, then every beat, every eighth, and every row for the last step,
  // rising in level, so the black screen is suspense rather than a gap.
  for (int r = Countdown; r < Bridge; ++r) {
    const int every = r < 32 ? 8 : r < 56 ? 4 : r < 72 ? 2 : 1;
    if (r % every == every / 2 || every == 1) s.Note(r, ChSnare, 60, SnareS, 12 + r * 50 / Bridge);
  }
  SwellInto(s, Bridge * 6, 6, 20, RiserS, 56);
  s.PadChord(0, E, 12);
  // Bridge: the lift resolves on C major, then settles into A minor.
  s.Note(Bridge, ChCrash, 60, CrashS, 60);
  s.Note(Bridge, ChKick, 60, KickS, 64);
  s.Note(Bridge, HitC, 60, HitS, 56);
  s.PadChord(Bridge, C, 54);
  s.Note(Bridge, BassC, C.root, BassS, 44);
  s.PadChord(Bridge + 32, Am, 46);
  s.Note(Bridge + 32, BassC, Am.root, BassS, 40);
  // The picture is black from row 115 (87.8 s): the chord drops away there and a
  // drum break rolls up under a riser to one beat of held breath, then the
  // drop on the first row of part two, where the scanner starts on the bar.
  constexpr int Dark = Bridge + 35, Breath = PartTwo - 4;
  Groove(s, Bridge + 32, Dark, 4, 2);
  s.CutAll(Dark, {PadA, PadB, PadC, BassC});
  for (int r = Dark; r < Breath; ++r) {
    s.Note(r, ChSnare, 60, SnareS, 36 + (r - Dark) * 3);
    if ((r - Dark) % 4 == 0) s.Note(r, ChKick, 60, KickS, 48 + (r - Dark) * 2);
    if (r >= Breath - 4) {  // the last beat of the roll doubles, half a row behind, then blurs
      s.Note(r, ChHat, 60, SnareS, 40 + (r - Dark) * 2);
      s.At(r, ChHat).command = Command('S'), s.At(r, ChHat).parameter = 0xD3;
      Effect(s.At(r, ChSnare), 'Q', r >= Breath - 2 ? 0x02 : 0x03);
    }
  }
  SwellInto(s, Breath * 6, 6, 20, RiserS, 50);
  s.CutAll(Breath, {ChSnare, RiserC, ChKick, ChHat});
  // The drop: crash, orchestra hit and a timpani under the kick.
  s.Note(PartTwo, ChCrash, 60, CrashS, 64);
  s.Note(PartTwo, HitC, 57, HitS, 64);
  s.Note(PartTwo, ChAccent, 45, ImpactS, 64);

  // Part two, scanner scene: bars of 16 rows from row 128.
  // A tick of part two (20 ms) from its start, as a row and a note delay.
  auto tickAt = [&](double ms) { return PartTwo * 6 + static_cast<int>(std::lround(ms / 20)); };
  auto noteAtMs = [&](double ms, int channel, int note, int sample, int volume) {
    const int t = tickAt(ms);
    s.Note(t / 6, channel, note, sample, volume);
    if (t % 6) Effect(s.At(t / 6, channel), 'S', 0xD0 | (t % 6));
  };
  auto bar = [&](int b) { return PartTwo + 16 * b; };
  // From the drop the groove runs at once: kick, hats and shakers, the
  // e-piano walking the chords; the snare and claps come in on bar 4 out of
  // a reversed cymbal.
  Groove(s, bar(0), bar(4), 4, 2);
  Groove(s, bar(4), bar(16), 4, 3);
  Shakers(s, bar(0), bar(16), 28);
  Harmony(s, bar(0), bar(16), 32, Progression, 2, 26);
  Arpeggio(s, bar(0), bar(8), 32, Progression, 4, 20);
  Arpeggio(s, bar(8), bar(16), 32, Progression, 2, 24);
  SwellInto(s, bar(4) * 6, 6, 20, ReverseS, 40, ChFx);
  s.Note(bar(4), ChCrash, 60, CrashS, 52);
  for (int b = 4; b < 16; ++b) {
    for (int k : {4, 12}) s.Note(bar(b) + k, ChClap, 60, ClapS, 30 + Scatter(bar(b) + k, ChClap, 3));
  }
  TomFill(s, bar(8) - 4, 4, 1, 34);
  s.Note(bar(8), ChCrash, 60, CrashS, 50);
  // Bars 16 to 19, the build into the crash where the figures drop: the kick
  // and snare leave, the pad turns to F, G and E; the kick comes back in bar
  // 18 under a snare roll that tightens from eighths to sixteenths, and the
  // riser ends on the crash.
  // The breakdown opens on an impact out of a reversed cymbal; the choir
  // comes in and the strings swell to the build.
  SwellInto(s, bar(16) * 6, 6, 20, ReverseS, 44, ChFx);
  s.CutAll(bar(16), {BassC});
  s.Note(bar(16), ChAccent, 41, ImpactS, 64);
  s.Note(bar(16), ChCrash, 60, CrashS, 56);
  s.Note(bar(16), HitC, 53, HitS, 54);
  s.Note(bar(16), ChKick, 60, KickS, 60);
  s.Note(bar(16), ChChoir, 69, ChoirS, 16);
  for (int r = bar(16) + 1; r <= bar(16) + 2; ++r) Effect(s.At(r, ChChoir), 'D', 0x30);  // swells in
  s.Note(bar(17), ChChoir, 71, ChoirS, 40);
  s.Note(bar(18), ChChoir, 68, ChoirS, 44);
  s.At(bar(20), ChChoir).note = NoteOff;
  Shakers(s, bar(16), bar(20), 16);
  Harmony(s, bar(16), bar(18), 16, {F, G}, 0, 24);
  PadSwell(s, bar(16), bar(20), 14, 34);
  Arpeggio(s, bar(16), bar(18), 32, {F, G}, 4, 24);
  Harmony(s, bar(18), bar(20), 32, {E}, 2, 30);
  Groove(s, bar(18), bar(20), 4, 2);
  for (int r = bar(18); r < bar(20) - 4; ++r) {
    const int k = r - bar(18);
    if (k % 2 == 0 || k >= 16) s.Note(r, ChSnare, 60, SnareS, 14 + k * 3 / 2);
  }
  RollOut(s, bar(20) - 4, bar(20), 52);
  // The first figure drops in (37.4 s to 38.4 s of part two): toms fall
  // with it; it lands on the crash and springs up (38.4 s to 39.36 s) on a
  // guitar that slides up with it.
  for (int k = 0; k < 8; ++k) {
    noteAtMs(37400 + 125 * k, ChTom, 70 - 3 * k, TomS, 30 + 3 * k);
    Effect(s.At(tickAt(37400 + 125 * k) / 6, ChTom), 'X', 40 + 24 * k);
  }
  SwellInto(s, bar(20) * 6, 6, 20, RiserS, 54);
  s.Note(bar(20), ChCrash, 60, CrashS, 64);
  s.Note(bar(20), HitC, 52, HitS, 60);
  s.Note(bar(20), ChAccent, 40, ImpactS, 60);
  s.Note(bar(20), Guitar, 64, GuitarS, 44);
  for (int r = bar(20) + 1; r < bar(20) + 8; ++r) Effect(s.At(r, Guitar), 'F', 0x06);
  s.Cut(bar(20) + 8, Guitar);
  s.Note(bar(20) + 8, StabC, 65, StabS, 48);
  // Bars 20 to 39: everything, with the top octave open; from bar 28 the lead
  // sings the theme that the text pages bring back.
  Groove(s, bar(20), bar(39), 4, 3);
  Shakers(s, bar(20), bar(39), 30);
  OpenHats(s, bar(20), bar(39), 26);
  Harmony(s, bar(20), bar(28), 32, {F, G, Am, Am}, 2, 30);
  Arpeggio(s, bar(20), bar(28), 32, {F, G, Am, Am}, 1, 22);
  Harmony(s, bar(28), bar(36), 32, Progression, 2, 28);
  Arpeggio(s, bar(28), bar(36), 32, Progression, 2, 16);
  Melody(s, LeadB, LeadS, bar(28), ThemeA(), 26, 0, 99, true);
  Harmony(s, bar(36), bar(39), 32, {F, G}, 2, 30);
  Arpeggio(s, bar(36), bar(39), 32, {F, G}, 1, 22);
  for (int r = bar(36); r < bar(39); r += 8) s.Note(r, StabC, 69, StabS, 22);
  // The first figure changes (42.34 s): a reversed cymbal into a timpani,
  // crash and orchestra hit. The second figure rises into place by 50.4 s: the riser, a crash.
  SwellInto(s, tickAt(42340), 6, 20, ReverseS, 42, ChFx);
  noteAtMs(42340, HitC, 55, HitS, 50);
  noteAtMs(42340, ChAccent, 43, ImpactS, 60);
  noteAtMs(42340, ChCrash, 60, CrashS, 50);
  SwellInto(s, tickAt(50400), 6, 20, RiserS, 44);
  noteAtMs(50400, ChCrash, 60, CrashS, 56);
  noteAtMs(50400, ChAccent, 45, ImpactS, 50);
  // The figures sway up every 4.14 s from 38.5 s: each rise gets a clap and
  // an open hat, out of a reversed cymbal where the swells leave room.
  for (double ms = 38540; ms < 74880; ms += 4140.6) {
    noteAtMs(ms, ChClap, 60, ClapS, 44);
    noteAtMs(ms, ChOpenHat, 60, OpenHatS, 40);
    const int from = tickAt(ms - ReverseSeconds * 1000) / 6;
    bool free = true;
    for (int r = from - 8; r <= tickAt(ms) / 6; ++r) free &= s.At(r, ChFx).note == NoNote;
    if (free && ms > 40000) SwellInto(s, tickAt(ms), 6, 20, ReverseS, 30, ChFx);
  }
  // They fall again (74.88 s): the beat drops out for a bar, the bass dives
  // with them, and the riser leads into the text scene.
  s.CutAll(bar(39), {Lead, StabC, LeadB});
  s.PadChord(bar(39), E, 30);
  s.Note(bar(39), BassC, E.root + 12, BassS, 48);
  for (int r = bar(39) + 1; r < bar(39) + 12; ++r) Effect(s.At(r, BassC), 'E', 0x04);
  s.Note(bar(39), ChAccent, 40, ImpactS, 58);
  s.Note(bar(39), ChCrash, 60, CrashS, 44);
  SwellInto(s, TextScene * 6, 6, 20, RiserS, 44);

  // The text scene: the crash as the pages' band appears, and a held chord
  // until the first page slot, where the text section starts at 128 BPM.
  s.Note(TextScene, ChCrash, 60, CrashS, 56);
  s.Note(TextScene, HitC, 57, HitS, 48);
  s.PadChord(TextScene, Am, 34);
  s.Note(TextScene, BassC, Am.root, BassS, 40);
  for (int k = 2; k < TextLead; k += 2) s.Note(TextScene + k, ChShaker, 60, ShakerS, 8 + k);
  TextRows(s, TextScene);
  // A page slot of 15 s is 8 bars: slot k starts at row slot(k).
  const int first = TextScene + TextLead;
  auto slot = [&](int k) { return first + SlotRows * k; };
  auto slotBar = [&](int k, int b) { return slot(k) + 16 * b; };
  // Slot 0, the title page the first time: four on the floor and the theme
  // on the pluck.
  s.Note(slot(0), ChCrash, 60, CrashS, 48);
  Groove(s, slot(0), slot(1), 4, 2);
  Shakers(s, slot(0), slot(1), 24);
  Harmony(s, slot(0), slot(1), 32, Progression, 4, 20);
  Melody(s, Lead, PluckS, slot(0), ThemeA(), 30, 0);
  // Slot 1, the second time: the snare and the open hats, and a new line
  // higher up on the lead.
  s.Note(slot(1), ChCrash, 60, CrashS, 52);
  Groove(s, slot(1), slot(2), 4, 3);
  Shakers(s, slot(1), slot(2), 26);
  OpenHats(s, slot(1), slot(2), 20);
  Harmony(s, slot(1), slot(2), 32, Progression, 2, 28);
  Arpeggio(s, slot(1), slot(2), 32, Progression, 4, 16);
  Melody(s, LeadB, LeadS, slot(1), ThemeB(), 24, 0, 99, true);
  // Slot 2, the third time: a breakdown for four bars, then the build: the
  // kick back, a snare roll from eighths to sixteenths, the riser.
  s.Note(slot(2), ChCrash, 60, CrashS, 40);
  s.CutAll(slot(2), {BassC});
  Shakers(s, slot(2), slotBar(2, 4), 12);
  Harmony(s, slot(2), slotBar(2, 4), 32, {F, G}, 0, 18);
  s.Note(slot(2), ChChoir, 69, ChoirS, 18);
  s.Note(slotBar(2, 2), ChChoir, 71, ChoirS, 22);
  s.At(slotBar(2, 4), ChChoir).note = NoteOff;
  PadSwell(s, slotBar(2, 4), slot(3), 16, 36);
  Melody(s, Lead, PluckS, slot(2), ThemeA(), 21, 0, 4);
  Groove(s, slotBar(2, 4), slot(3), 4, 2);
  Shakers(s, slotBar(2, 4), slot(3), 20);
  Harmony(s, slotBar(2, 4), slot(3), 32, {Dm, E}, 2, 30);
  Arpeggio(s, slotBar(2, 4), slot(3), 32, {Dm, E}, 2, 20);
  for (int r = slotBar(2, 4); r < slot(3) - 4; ++r) {
    const int k = r - slotBar(2, 4);
    if (k % 4 == 0 || (k >= 32 && k % 2 == 0) || k >= 48) s.Note(r, ChSnare, 60, SnareS, 14 + k / 2);
  }
  RollOut(s, slot(3) - 4, slot(3), 44);
  TomFill(s, slot(3) - 8, 4, 1, 36);
  s.Note(slot(3) - 34, RiserC, 60, RiserS, 56);
  // Slot 3, the credits: the peak. The theme on the lead, stabs on the
  // off-beats, everything playing.
  s.Note(slot(3), ChCrash, 60, CrashS, 64);
  s.Note(slot(3), HitC, 57, HitS, 60);
  s.Note(slot(3), ChAccent, 45, ImpactS, 60);
  Groove(s, slot(3), slot(4), 4, 3);
  Shakers(s, slot(3), slot(4), 26);
  OpenHats(s, slot(3), slot(4), 24);
  Harmony(s, slot(3), slot(4), 32, Progression, 2, 34);
  Arpeggio(s, slot(3), slot(4), 32, Progression, 1, 16);
  // The climax's lead is a new voice with a line of its own: the guitar.
  Melody(s, Guitar, GuitarS, slot(3), ThemeD(), 40, 0, 99, true, true);
  for (int b = 0; b < 8; ++b) {
    for (int k : {4, 12}) s.Note(slotBar(3, b) + k, ChClap, 60, ClapS, 36 + Scatter(slotBar(3, b) + k, ChClap, 3));
  }
  for (int b = 0; b < 8; ++b) {
    for (int k = 2; k < 16; k += 4) s.Note(slotBar(3, b) + k, StabC, Progression[b / 2].root + 24, StabS, 26);
  }
  // Slot 4, the last page: a falling line over F, G and E while it lands, a
  // roll, and the final hit on A minor half way through the slot, where the
  // closing starts; then the chord rings out.
  s.Note(slot(4), ChCrash, 60, CrashS, 54);
  Groove(s, slot(4), slotBar(4, 4), 4, 3);
  Shakers(s, slot(4), slotBar(4, 4), 26);
  OpenHats(s, slot(4), slotBar(4, 3), 22);
  Harmony(s, slot(4), slotBar(4, 4), 16, {F, G, E, E}, 2, 30);
  Melody(s, LeadB, LeadS, slot(4), ThemeC(), 30, 0, 99, true);
  for (int r = slotBar(4, 3); r < slotBar(4, 4); ++r) s.Note(r, ChSnare, 60, SnareS, 24 + (r - slotBar(4, 3)) * 2);
  s.Note(slotBar(4, 4) - 34, RiserC, 60, RiserS, 50);
  const int hit = slotBar(4, 4);
  s.CutAll(hit, {ChHat, ChSnare, Lead, LeadEcho, StabEcho, ChShaker, ChOpenHat, RiserC, ChClap, Guitar, ChFx});
  s.Note(hit, ChCrash, 60, CrashS, 64);
  s.Note(hit, HitC, 57, HitS, 64);
  s.Note(hit, ChAccent, 45, ImpactS, 64);
  s.Note(hit, ChKick, 60, KickS, 64);
  s.Note(hit, StabC, Am.root + 24, StabS, 56);
  s.PadChord(hit, Am, 44);
  s.Note(hit, BassC, Am.root, BassS, 48);
  s.Note(hit, LeadB, 69, LeadS, 36);
  // The tail: the chord dies away over the next six bars; the lead and the
  // bass go first.
  for (int k = 2; k < 96; k += 2) {
    const int v = 44 - 44 * k / 96;
    for (int ch : {PadA, PadB, PadC}) s.At(hit + k, ch).volume = v;
    if (k < 32) s.At(hit + k, LeadB).volume = 36 - k;
    if (k < 48) s.At(hit + k, BassC).volume = 48 - k;
  }
  s.CutAll(hit + 32, {LeadB});
  s.CutAll(hit + 48, {BassC});
  s.CutAll(hit + 96, {PadA, PadB, PadC});
  // Slot 5 is heard only when nobody quits: the chord has gone, and the
  // groove gathers again for the return of the text section.
  const int again = slotBar(5, 4);
  s.CutAll(again, {PadA, PadB, PadC});
  Harmony(s, again, slot(6), 32, {F, G}, 0, 18);
  Shakers(s, again, slot(6), 14);
  s.Note(slot(6) - 34, RiserC, 60, RiserS, 40);
  // Every page turns on a bar line: a reversed cymbal leads into each slot.
  for (int k = 1; k < TextSlots; ++k) {
    SwellInto(s, slot(k) * 6, 6, 117.1875 / 6, ReverseS, 34, ChFx);
  }
  // Echoes a dotted eighth (three rows) later on the other side.
  s.Echo(Lead, LeadEcho, 18, 6, 0.55, [](int) { return false; });
  s.Echo(StabC, StabEcho, 18, 6, 0.5, [](int) { return false; });
  ItSong song = s.Song("zintavel", 6, 125, 88, band, {first});
  // The end of the order list jumps back to the text section's first slot.
  ItCell& jump = song.patterns.back().cells.back()[ChCrash];
  jump.command = Command('B');
  int order = 0;
  for (int r = 0; r < first; r += song.patterns[song.orders[order]].rows) ++order;
  jump.parameter = static_cast<std::uint8_t>(order);
  return song;
}

ItSong TuneSong() {
  static const Band band = [] {
    std::string error;
    std::optional<Band> b = MakeBand(DefaultSoundfont, error);
    if (!b) {
      std::fprintf(stderr, "zintavel-music: %s\n", error.c_str());
      std::exit(1);
    }
    return *std::move(b);
  }();
  return TuneSong(band);
}
