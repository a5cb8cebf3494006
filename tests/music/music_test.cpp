// The default music: the sampled instruments are whole, in range, in tune
// and loop without a click, and a missing soundfont is named; both modules
// load in libopenmpt without a word, have the lengths their scores give and
// sound, the same every time; the generated files are these bytes;
// part two's music has a shape (a breakdown, a final hit that rings out), a
// top octave, and loops without a gap;
// the MP3 puts the strongest hit near each of part one's beats within 10 ms of
// it, over a kick pulsing at 128 BPM; both pieces are stereo and lose nothing
// when folded to mono.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include "band.h"
#include "compose.h"
#include "render.h"
#include "soundfont.h"

namespace {

const std::string Demo = ZINTAVEL_DEMO_DIR;

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The instruments, rendered once for the whole suite.
const Band& TheBand() {
  static const Band band = [] {
    std::string error;
    std::optional<Band> b = MakeBand(DefaultSoundfont, error);
    if (!b) {
      ADD_FAILURE() << error;
      return Band{};
    }
    return *b;
  }();
  return band;
}
ItSong Tune() { return TuneSong(TheBand()); }
ItSong Intro() { return IntroSong(TheBand()); }

double Duration(const std::vector<std::uint8_t>& module) {
  openmpt_module* mod = openmpt_module_create_from_memory2(module.data(), module.size(), nullptr, nullptr, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr);
  if (!mod) return -1;
  const double d = openmpt_module_get_duration_seconds(mod);
  openmpt_module_destroy(mod);
  return d;
}

double Rms(const std::vector<float>& s, double from, double to) {
  const auto a = static_cast<std::size_t>(from * 44100) * 2, b = static_cast<std::size_t>(to * 44100) * 2;
  double sum = 0;
  for (std::size_t i = a; i < b && i < s.size(); ++i) sum += s[i] * s[i];
  return std::sqrt(sum / std::max<std::size_t>(1, b - a));
}

std::vector<float> DecodeMp3(const std::string& path) {
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  mpg123_param2(mh, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  mpg123_format_none(mh);
  mpg123_format(mh, 44100, MPG123_STEREO, MPG123_ENC_FLOAT_32);
  std::vector<float> pcm;
  if (mpg123_open(mh, path.c_str()) == MPG123_OK) {
    float buffer[8192];
    std::size_t done = 0;
    int rc;
    while ((rc = mpg123_read(mh, buffer, sizeof buffer, &done)) == MPG123_OK || rc == MPG123_NEW_FORMAT || done > 0) {
      pcm.insert(pcm.end(), buffer, buffer + done / sizeof(float));
      if (rc == MPG123_DONE) break;
      done = 0;
    }
  }
  mpg123_delete(mh);
  return pcm;
}

}  // namespace

TEST(MusicTest, InstrumentsAreWholeInRangeInTuneAndLoopWithoutAClick) {
  const Band& band = TheBand();
  ASSERT_EQ(band.samples.size(), static_cast<std::size_t>(VoiceCount));
  ASSERT_EQ(band.instruments.size(), band.samples.size());
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < band.samples.size(); ++i) {
    const ItSample& s = band.samples[i];
    SCOPED_TRACE(s.name);
    EXPECT_EQ(band.instruments[i].sample, static_cast<int>(i + 1));
    // Trimmed to seconds, not minutes, and sounding from its first samples.
    ASSERT_GT(s.data.size(), 2000u);
    EXPECT_LT(s.data.size(), 5u * 44100);
    bytes += 2 * s.data.size();
    int peak = 0;
    for (std::int16_t v : s.data) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_NEAR(peak, 0.9 * 32767, 2);  // normalised, never clipped
    EXPECT_GE(s.c5speed, 8000u);
    EXPECT_LE(s.c5speed, 400000u);
    if (!s.loop) {
      EXPECT_LT(std::abs(s.data.back()), 64);  // dies away rather than stops
      continue;
    }
    // A loop runs to the end of the data, is long enough to hide its
    // period, and its seam is no bigger a step than the sound's own.
    EXPECT_EQ(s.loopEnd, s.data.size());
    EXPECT_LT(s.loopBegin + 4410, s.loopEnd);
    int step = 0;
    for (std::size_t k = s.loopBegin + 1; k < s.data.size(); ++k) step = std::max(step, std::abs(s.data[k] - s.data[k - 1]));
    EXPECT_LE(std::abs(s.data[s.loopBegin] - s.data.back()), step);
    // In tune: the loop's period, played at C-5, is middle C (within 15
    // cents, any octave). The overdriven guitar plays a power chord, whose
    // period is the chord's, not its root's.
    if (s.name == "overdrive") continue;
    const std::size_t from = s.loopBegin, n = std::min<std::size_t>(8192, s.data.size() - from - 1200);
    std::vector<double> sums(1200);
    for (int lag = 20; lag < 1200; ++lag) {
      for (std::size_t k = from; k < from + n; ++k) sums[lag] += static_cast<double>(s.data[k]) * s.data[k + lag];
    }
    const int lag = static_cast<int>(std::max_element(sums.begin() + 21, sums.end() - 1) - sums.begin());
    // Between samples: the vertex of the parabola through the peak and its neighbours.
    const double a = sums[lag - 1], b = sums[lag], c = sums[lag + 1];
    const double period = lag + 0.5 * (a - c) / (a - 2 * b + c);
    const double hz = 44100.0 / period * s.c5speed / 44100.0;
    const double cents = 1200 * std::log2(hz / 261.6256);
    EXPECT_NEAR(cents - 1200 * std::round(cents / 1200), 0, 15) << hz << " Hz";
  }
  EXPECT_LT(bytes, 4u << 20);
}

TEST(MusicTest, AMissingOrBrokenSoundfontIsNamed) {
  std::string error;
  EXPECT_FALSE(MakeBand("/nonexistent/font.sf2", error));
  EXPECT_NE(error.find("/nonexistent/font.sf2"), std::string::npos) << error;
  const std::string junk = testing::TempDir() + "junk.sf2";
  std::ofstream(junk) << "not a soundfont";
  error.clear();
  EXPECT_FALSE(MakeBand(junk, error));
  EXPECT_NE(error.find(junk), std::string::npos) << error;
}

TEST(MusicTest, EachRenderingIsTheSame) {
  // Nothing drawn at random at play time (random volume, random pan): the MP3 is the same bytes every build.
  std::string error;
  const std::vector<std::uint8_t> module = WriteIt(Intro());
  EXPECT_EQ(RenderModule(module, 12.0, error), RenderModule(module, 12.0, error));
  EXPECT_EQ(WriteIt(Tune()), WriteIt(TuneSong(*MakeBand(DefaultSoundfont, error))));
}

TEST(MusicTest, ModulesLoadCleanlyWithTheirLengths) {
  for (const ItSong& song : {Tune(), Intro()}) {
    const std::vector<std::uint8_t> bytes = WriteIt(song);
    std::string error, log;
    const std::vector<float> pcm = RenderModule(bytes, 20.0, error, &log);
    ASSERT_FALSE(pcm.empty()) << song.name << ": " << error;
    EXPECT_EQ(log, "") << song.name;
    EXPECT_GT(Rms(pcm, 0.5, 20), 0.01) << song.name;
  }
  // tune.it: 768 rows of 120 ms, 1,340 ms of held chord, then six page slots
  // of 15 s before it loops; part one: 896 rows of 62.5 ms.
  EXPECT_NEAR(Duration(WriteIt(Tune())), 183.5, 0.05);
  EXPECT_NEAR(Duration(WriteIt(Intro())), 56.0, 0.05);
}

TEST(MusicTest, GeneratedFilesAreTheseBytes) {
  EXPECT_EQ(ReadAll(Demo + "/tune.it"), WriteIt(Tune()));
}

TEST(MusicTest, TuneBuildsToAFinalHitThenGoesRoundWithoutAGap) {
  std::string error;
  const std::vector<float> pcm = RenderModule(WriteIt(Tune()), 190.0, error);
  ASSERT_FALSE(pcm.empty()) << error;
  // Module times: the text section's slots of 15 s from 93.5 s, the final
  // hit at 161 s, the loop back to the first slot at 183.5 s.
  auto dB = [&](double from, double to) { return 20 * std::log10(Rms(pcm, from, to) + 1e-9); };
  // Not one level for minutes: the third slot opens with a breakdown well
  // below the slots around it, the scanner's build with a dip of its own.
  EXPECT_LT(dB(123.5, 127.0), dB(131.0, 138.5) - 6);
  EXPECT_LT(dB(123.5, 127.0), dB(108.5, 116.0) - 6);
  EXPECT_LT(dB(46.1, 49.9), dB(53.8, 61.4) - 3);
  // The top octave is there: the power of the second difference (a high-pass
  // rising 12 dB an octave) against the signal's, 0.02 in a dull mix.
  auto air = [&](double from, double to) {
    double d = 0, x = 0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2 + 4; i < static_cast<std::size_t>(to * 44100) * 2; ++i) {
      const double v = pcm[i] - 2.0 * pcm[i - 2] + pcm[i - 4];
      d += v * v, x += static_cast<double>(pcm[i]) * pcm[i];
    }
    return d / x;
  };
  EXPECT_GT(air(15.36, 92.16), 0.08);
  EXPECT_GT(air(93.5, 153.5), 0.08);
  // The final hit is the loudest moment near it, and its chord dies away:
  // ten seconds on (the closing fade's length) it is 15 dB down.
  EXPECT_GT(dB(161.0, 161.5), dB(159.0, 161.0));
  EXPECT_LT(dB(170.5, 171.0), dB(159.0, 161.0) - 15);
  // Sound on both sides of the loop point, in every 50 ms window.
  for (double t = 180.0; t < 187.0; t += 0.05) EXPECT_GT(Rms(pcm, t, t + 0.05), 0.005) << t;
  // No click: no sample-to-sample jump at the loop far beyond the music's own.
  auto maxStep = [&](double from, double to) {
    float m = 0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2 + 2; i < static_cast<std::size_t>(to * 44100) * 2; ++i) {
      m = std::max(m, std::fabs(pcm[i] - pcm[i - 2]));
    }
    return m;
  };
  EXPECT_LT(maxStep(183.4, 183.6), 1.5f * maxStep(100, 140) + 0.01f);
}

TEST(MusicTest, IntroKeepsTheBeatsOfPartOne) {
  const std::vector<float> pcm = DecodeMp3(Demo + "/intro.mp3");
  ASSERT_GE(pcm.size() / 2, 54u * 44100);
  // Energy up to every millisecond; the onset strength at ms m is the rise of
  // the mean power of [m, m + 4) over that of [m - 20, m).
  std::vector<double> energy(1, 0.0);
  for (std::size_t ms = 1; ms * 44100 / 1000 <= pcm.size() / 2; ++ms) {
    double e = energy.back();
    for (std::size_t i = (ms - 1) * 44100 / 1000; i < ms * 44100 / 1000; ++i) e += pcm[2 * i] * pcm[2 * i] + pcm[2 * i + 1] * pcm[2 * i + 1];
    energy.push_back(e);
  }
  auto power = [&](int from, int length) { return (energy[from + length] - energy[from]) / length; };
  auto strength = [&](int ms) { return std::max(0.0, power(ms, 4) - power(ms - 20, 20)); };
  std::vector<int> keys;
  for (int row : IntroAccentRows()) keys.push_back((row * 1000) / 16);
  for (int key : keys) {
    if (key > 48500) continue;
    // An onset within 10 ms: the next 4 ms hold three times the power of the 20 before.
    double best = 0, ratio = 0;
    for (int ms = key - 10; ms <= key + 10; ++ms) {
      best = std::max(best, strength(ms));
      ratio = std::max(ratio, power(ms, 4) / (power(ms - 20, 20) + 1e-12));
    }
    EXPECT_GT(ratio, 3) << "no onset within 10 ms of the accent at " << key << " ms";
    // Nothing stronger within 200 ms either side, other accents aside.
    for (int ms = key - 200; ms <= key + 200; ++ms) {
      bool nearKey = false;
      for (int other : keys) nearKey |= std::abs(ms - other) <= 10;
      if (!nearKey) {
        EXPECT_LE(strength(ms), best) << "a stronger hit at " << ms << " ms than the accent at " << key;
      }
    }
  }
  // The kick's band (two one-pole low passes at 150 Hz) pulses every 468.75 ms
  // through the grooved bars: its onset curve's autocorrelation peaks there,
  // not at the 500 ms of a 120 BPM groove.
  std::vector<double> low(pcm.size() / 2);
  const double a = std::exp(-2 * 3.14159265358979 * 150 / 44100);
  double y1 = 0, y2 = 0;
  for (std::size_t i = 0; i < low.size(); ++i) {
    y1 = a * y1 + (1 - a) * (pcm[2 * i] + pcm[2 * i + 1]);
    y2 = a * y2 + (1 - a) * y1;
    low[i] = y2;
  }
  std::vector<double> lowEnergy(1, 0.0), curve;
  for (std::size_t ms = 1; ms * 44100 / 1000 <= low.size(); ++ms) {
    double e = lowEnergy.back();
    for (std::size_t i = (ms - 1) * 44100 / 1000; i < ms * 44100 / 1000; ++i) e += low[i] * low[i];
    lowEnergy.push_back(e);
  }
  for (int ms = 8250; ms < 47500; ++ms) {
    curve.push_back(std::max(0.0, (lowEnergy[ms + 4] - lowEnergy[ms]) / 4 - (lowEnergy[ms] - lowEnergy[ms - 20]) / 20));
  }
  double mean = 0;
  for (double v : curve) mean += v / curve.size();
  int bestLag = 0;
  double bestValue = -1e300;
  for (int lag = 300; lag <= 700; ++lag) {
    double sum = 0;
    for (std::size_t i = 0; i + lag < curve.size(); ++i) sum += (curve[i] - mean) * (curve[i + lag] - mean);
    if (sum > bestValue) bestValue = sum, bestLag = lag;
  }
  EXPECT_NEAR(bestLag, 468.75, 2);
  // Silent by 54 s.
  double tail = 0;
  for (std::size_t i = 54 * 44100 * 2; i < pcm.size(); ++i) tail = std::max<double>(tail, std::fabs(pcm[i]));
  EXPECT_LT(tail, 0.01);
}

TEST(MusicTest, BothPiecesAreStereoAndFoldToMonoAtFullLevel) {
  // Mid and side power of [from, to) seconds of interleaved stereo.
  auto midSide = [](const std::vector<float>& s, double from, double to, double& mid, double& side) {
    mid = side = 0;
    for (std::size_t f = static_cast<std::size_t>(from * 44100); f < static_cast<std::size_t>(to * 44100) && 2 * f + 1 < s.size(); ++f) {
      const double m = (s[2 * f] + s[2 * f + 1]) / 2, d = (s[2 * f] - s[2 * f + 1]) / 2;
      mid += m * m, side += d * d;
    }
  };
  auto dB = [](double ratio) { return 10 * std::log10(std::max(ratio, 1e-30)); };
  struct Piece {
    ItSong song;
    double seconds;
  };
  for (const Piece& piece : {Piece{Tune(), 100.0}, Piece{Intro(), 52.0}}) {
    // The same song with every channel in the middle: what a mono listener should hear.
    ItSong centred = piece.song;
    std::fill(centred.panning.begin(), centred.panning.end(), 32);
    std::string error;
    const std::vector<float> wide = RenderModule(WriteIt(piece.song), piece.seconds, error);
    const std::vector<float> mono = RenderModule(WriteIt(centred), piece.seconds, error);
    ASSERT_FALSE(wide.empty() || mono.empty()) << error;
    double mid, side, monoMid, monoSide;
    midSide(wide, 0, piece.seconds, mid, side);
    // Wide enough to hear: the side within 13 dB of the mid (a nearly mono mix sits at -17 dB).
    EXPECT_GT(dB(side / mid), -13) << piece.song.name;
    // No cancellation in the fold: every 4 s keep the centred mix's level within 1 dB.
    for (double t = 0; t + 4 <= piece.seconds; t += 4) {
      midSide(wide, t, t + 4, mid, side);
      midSide(mono, t, t + 4, monoMid, monoSide);
      if (monoMid < 1e-6 * 4 * 44100) continue;  // near silence
      EXPECT_NEAR(dB(mid / monoMid), 0, 1) << piece.song.name << " at " << t << " s";
    }
  }
}

TEST(MusicTest, TuneBuildsThroughTheCountdownAndBreathesBeforeTheDrop) {
  std::string error;
  const std::vector<float> pcm = RenderModule(WriteIt(Tune()), 17.0, error);
  ASSERT_FALSE(pcm.empty()) << error;
  // The countdown (0-9.6 s) is a build: its bright part (the snare roll and
  // hats, taken as the change from one sample to the next) grows.
  auto bright = [&](double from, double to) {
    double sum = 0;
    std::size_t n = 0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2 + 2; i < static_cast<std::size_t>(to * 44100) * 2; ++i, ++n) {
      sum += (pcm[i] - pcm[i - 2]) * (pcm[i] - pcm[i - 2]);
    }
    return std::sqrt(sum / std::max<std::size_t>(1, n));
  };
  EXPECT_GT(bright(7.6, 9.5), 4 * bright(0.1, 2.0));
  // The picture is black from 13.8 s (row 115) until part two at 15.36 s: a
  // drum break rolls there, then a beat of held breath, then the drop.
  const double roll = Rms(pcm, 13.9, 14.8), breath = Rms(pcm, 15.05, 15.34), drop = Rms(pcm, 15.37, 15.6);
  EXPECT_GT(roll, 0.02);
  EXPECT_LT(breath, 0.1 * roll);
  EXPECT_GT(drop, 10 * breath);
  EXPECT_GT(drop, roll);
}

TEST(MusicTest, PartTwosMovesLandOnHits) {
  std::string error;
  const std::vector<float> pcm = RenderModule(WriteIt(Tune()), 92.0, error);
  ASSERT_FALSE(pcm.empty()) << error;
  // Power of [from, from + length) ms of module time.
  auto power = [&](double from, double length) {
    double sum = 0;
    const auto a = static_cast<std::size_t>(from * 44.1) * 2, b = static_cast<std::size_t>((from + length) * 44.1) * 2;
    for (std::size_t i = a; i < b; ++i) sum += pcm[i] * pcm[i];
    return sum / static_cast<double>(b - a);
  };
  // Part two starts 15.36 s into the module. Its moves, in ms of part two:
  // the drop, the breakdown, the first figure landing, the swap, the second
  // figure arriving, both leaving. Each is a hit: within 20 ms the next
  // 10 ms hold twice the power of the 50 before.
  for (double at : {0.0, 30720.0, 38400.0, 42340.0, 50400.0, 74880.0}) {
    double best = 0;
    for (double ms = at - 20; ms <= at + 20; ms += 1) best = std::max(best, power(15360 + ms, 10) / (power(15360 + ms - 50, 50) + 1e-12));
    EXPECT_GT(best, 2.0) << "no hit at " << at << " ms of part two";
  }
  // And the first ten seconds after the drop are full, not a bare beat:
  // within 3 dB of the scanner's busiest stretch.
  EXPECT_GT(10 * std::log10(power(15360, 10000)), 10 * std::log10(power(15360 + 54000, 10000)) - 3);
}

TEST(MusicTest, PartOnesBarsHitDifferently) {
  // The bars of the composite scene each open with an accent and a flash;
  // their hits vary (crash, toms, timpani, swell, stab), not one crash a
  // bar: the top octave's share of the 300 ms after each differs by 3 dB or
  // more between the brightest and the darkest (a crash on every bar keeps
  // it within 2 dB).
  std::string error;
  const std::vector<float> pcm = RenderModule(WriteIt(Intro()), 40.0, error);
  ASSERT_FALSE(pcm.empty()) << error;
  double brightest = 0, darkest = 1e300;
  for (int row : IntroAccentRows()) {
    if ((row - 12) % 30 != 0 || row < 162 || row > 582) continue;
    const auto from = static_cast<std::size_t>(row * 62.5 * 44.1) * 2, to = from + 300 * 441 / 10 * 2;
    double top = 0, all = 0;
    for (std::size_t i = from + 4; i < to; ++i) {
      const double d = pcm[i] - 2.0 * pcm[i - 2] + pcm[i - 4];
      top += d * d, all += static_cast<double>(pcm[i]) * pcm[i];
    }
    brightest = std::max(brightest, top / all), darkest = std::min(darkest, top / all);
  }
  EXPECT_GT(10 * std::log10(brightest / darkest), 3);
}
