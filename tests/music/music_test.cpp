// The default music: both modules load in libopenmpt without a word, have the
// lengths their scores give and sound; the generated files are these bytes;
// the MP3 keeps part one's beats within 10 ms.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>

#include "support/test_support.h"
#include "compose.h"
#include "render.h"

namespace {

const std::string Demo = ZINTAVEL_DEMO_DIR;

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

TEST(MusicTest, ModulesLoadCleanlyWithTheirLengths) {
  for (const ItSong& song : {TuneSong(), IntroSong()}) {
    const std::vector<std::uint8_t> bytes = WriteIt(song);
    std::string error, log;
    const std::vector<float> pcm = RenderModule(bytes, 20.0, error, &log);
    ASSERT_FALSE(pcm.empty()) << song.name << ": " << error;
    EXPECT_EQ(log, "") << song.name;
    EXPECT_GT(Rms(pcm, 0.5, 20), 0.01) << song.name;
  }
  // tune.it: 20 patterns of 64 rows of 120 ms before it loops; part one: 896 rows of 62.5 ms.
  EXPECT_NEAR(Duration(WriteIt(TuneSong())), 153.6, 0.05);
  EXPECT_NEAR(Duration(WriteIt(IntroSong())), 56.0, 0.05);
}

TEST(MusicTest, GeneratedFilesAreTheseBytes) {
  EXPECT_EQ(ReadAll(Demo + "/tune.it"), WriteIt(TuneSong()));
}

TEST(MusicTest, TuneLoopsIntoTheTextSectionWithoutAGap) {
  std::string error;
  const std::vector<float> pcm = RenderModule(WriteIt(TuneSong()), 160.0, error);
  ASSERT_FALSE(pcm.empty()) << error;
  // Sound on both sides of the loop point, in every 50 ms window.
  for (double t = 150.0; t < 158.0; t += 0.05) EXPECT_GT(Rms(pcm, t, t + 0.05), 0.005) << t;
  // No click: no sample-to-sample jump at the loop far beyond the music's own.
  auto maxStep = [&](double from, double to) {
    float m = 0;
    for (std::size_t i = static_cast<std::size_t>(from * 44100) * 2 + 2; i < static_cast<std::size_t>(to * 44100) * 2; ++i) {
      m = std::max(m, std::fabs(pcm[i] - pcm[i - 2]));
    }
    return m;
  };
  EXPECT_LT(maxStep(153.5, 153.7), 1.5f * maxStep(100, 140) + 0.01f);
}

TEST(MusicTest, IntroKeepsTheBeatsOfPartOne) {
  const std::vector<float> pcm = DecodeMp3(Demo + "/intro.mp3");
  ASSERT_GE(pcm.size() / 2, 54u * 44100);
  // Mean power of [from, from + length) ms.
  auto power = [&](double from, double length) {
    const auto a = static_cast<std::size_t>(from * 44.1), n = static_cast<std::size_t>(length * 44.1);
    double sum = 0;
    for (std::size_t i = a; i < a + n; ++i) sum += pcm[2 * i] * pcm[2 * i] + pcm[2 * i + 1] * pcm[2 * i + 1];
    return sum / n;
  };
  for (int row : IntroAccentRows()) {
    const int beat = (row * 1000) / 16;
    if (beat < 1125 || beat > 48500) continue;
    // An onset: at some moment within 10 ms of the beat, the next 4 ms hold at
    // least three times the power of the 10 ms before.
    bool onset = false;
    for (double ms = beat - 10; ms <= beat + 10 && !onset; ms += 0.5) onset = power(ms, 4) > 3 * power(ms - 10, 10) + 1e-6;
    double best = 0, at = 0;
    for (double ms = beat - 40; ms <= beat + 40; ms += 0.5) {
      const double r = power(ms, 4) / (power(ms - 10, 10) + 1e-9);
      if (r > best) best = r, at = ms - beat;
    }
    EXPECT_TRUE(onset) << "no onset within 10 ms of " << beat << " ms (row " << row << "); best " << best << " at " << at;
  }
  // Silent by 54 s.
  double tail = 0;
  for (std::size_t i = 54 * 44100 * 2; i < pcm.size(); ++i) tail = std::max<double>(tail, std::fabs(pcm[i]));
  EXPECT_LT(tail, 0.01);
}
