// Clips: a recording started at a moment of the show holds the frames and the
// sound of the whole recording from there, byte for byte and sample for
// sample; one stopped early ends there, its sound faded to silence; video
// files list the phases as chapters.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "choreo/phases.h"
#include "support/test_support.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace fs = std::filesystem;

namespace {

constexpr std::size_t WavHeader = 80;
constexpr std::uint64_t Rate = 44100;

std::string Demo() { return std::string("--dir ") + ZINTAVEL_DEMO_DIR + " "; }

std::string Seconds(std::uint32_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%03u", ms / 1000, ms % 1000);
  return text;
}

std::vector<std::int16_t> Samples(const std::string& wav) {
  const std::vector<std::uint8_t> bytes = ReadAll(wav);
  std::vector<std::int16_t> out((bytes.size() - WavHeader) / 2);
  for (std::size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<std::int16_t>(bytes[WavHeader + 2 * i] | bytes[WavHeader + 2 * i + 1] << 8);
  return out;
}

std::string FrameName(const std::string& dir, std::uint64_t k) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame-%06llu.png", static_cast<unsigned long long>(k));
  return dir + name;
}

struct Chapter {
  std::string title;
  std::int64_t startMs;
};

std::vector<Chapter> ChaptersOf(const std::string& path) {
  std::vector<Chapter> out;
  AVFormatContext* format = nullptr;
  if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
  for (unsigned i = 0; i < format->nb_chapters; ++i) {
    const AVChapter* c = format->chapters[i];
    const AVDictionaryEntry* title = av_dict_get(c->metadata, "title", nullptr, 0);
    out.push_back({title ? title->value : "", av_rescale_q(c->start, c->time_base, AVRational{1, 1000})});
  }
  avformat_close_input(&format);
  return out;
}

}  // namespace

TEST(ClipTest, StartAnywhereGivesTheWholeRecordingsFramesAndSound) {
  // Two rates: 10 frames a second (whole samples a frame) and 8 (5512.5).
  for (const std::uint32_t fps : {10u, 8u}) {
    SCOPED_TRACE("fps " + std::to_string(fps));
    TempDir dir;
    const std::string full = dir.Path("full");
    const ProgramResult whole = RunProgram(Demo() + "--record " + full + " --fps " + std::to_string(fps) +
                                           " --quit-at 91000");
    ASSERT_EQ(whole.code, 0) << whole.output;
    const std::vector<std::int16_t> wholeSound = Samples(full + "/audio.wav");

    std::uint32_t starts[ShowMarks];
    PhaseStartsOnGrid(fps, starts);
    // 0, inside the title card, every phase boundary up to part two, and from
    // part two into the closing.
    const std::uint32_t times[] = {0, 10000, starts[1], starts[2], starts[3], starts[4], 90000};
    for (const std::uint32_t t : times) {
      SCOPED_TRACE("start at " + Seconds(t));
      ASSERT_EQ(std::uint64_t{t} * fps % 1000, 0u) << "off the frame grid";
      const std::uint32_t stop = t + 1500;
      const std::string clip = dir.Path("clip" + std::to_string(t));
      const ProgramResult r = RunProgram(Demo() + "--record " + clip + " --fps " + std::to_string(fps) +
                                         " --quit-at 91000 --start-at " + Seconds(t) + " --stop-at " + Seconds(stop));
      ASSERT_EQ(r.code, 0) << r.output;
      const std::uint64_t first = std::uint64_t{t} * fps / 1000;
      const std::uint64_t end = (std::uint64_t{stop} * fps + 999) / 1000;  // the first frame not written
      for (std::uint64_t k = first; k < end; ++k)
        ASSERT_EQ(ReadAll(FrameName(clip, k - first)), ReadAll(FrameName(full, k))) << "frame " << k;
      EXPECT_FALSE(fs::exists(FrameName(clip, end - first))) << "a frame past --stop-at";

      // Sound: the whole recording's from the clip's first frame, but for the
      // fade of the last 10 ms, which ends in silence.
      const std::vector<std::int16_t> sound = Samples(clip + "/audio.wav");
      const std::uint64_t from = first * Rate / fps, to = end * Rate / fps;
      ASSERT_EQ(sound.size(), 2 * (to - from));
      const std::size_t fade = 2 * Rate / 100;
      ASSERT_GT(sound.size(), fade);
      EXPECT_TRUE(std::equal(sound.begin(), sound.end() - fade, wholeSound.begin() + 2 * from));
      int loudest = 0;
      for (std::size_t i = sound.size() - fade; i < sound.size(); ++i) {
        const int level = std::abs(sound[i]);
        const int before = std::abs(wholeSound[2 * from + i]);
        EXPECT_LE(level, before + 1) << "the fade never makes it louder, sample " << i;
        if (i + 20 >= sound.size()) loudest = std::max(loudest, level);
      }
      EXPECT_LE(loudest, 32) << "the last samples fall to silence";
    }

    const ProgramResult past = RunProgram(Demo() + "--record " + dir.Path("past") + " --fps " +
                                          std::to_string(fps) + " --quit-at 91000 --start-at 3:00");
    EXPECT_EQ(past.code, 1) << past.output;
    EXPECT_NE(past.output.find("--start-at 3:00 is past the end of the recording (1:41)"), std::string::npos)
        << past.output;
    EXPECT_FALSE(fs::exists(FrameName(dir.Path("past"), 0)));
  }
}

TEST(ClipTest, VideoFilesListThePhasesAsChapters) {
  TempDir dir;
  std::uint32_t starts[ShowMarks];
  PhaseStartsOnGrid(5, starts);

  const std::string clip = dir.Path("clip.mkv");
  ProgramResult r = RunProgram(Demo() + "--record " + clip + " --fps 5 --start-at 70 --stop-at 1:32");
  ASSERT_EQ(r.code, 0) << r.output;
  std::vector<Chapter> c = ChaptersOf(clip);
  ASSERT_EQ(c.size(), 4u) << r.output;
  EXPECT_EQ(c[0].title, "part one");
  EXPECT_EQ(c[0].startMs, 0);
  EXPECT_EQ(c[1].title, "countdown");
  EXPECT_EQ(c[1].startMs, starts[2] - 70000);
  EXPECT_EQ(c[2].title, "bridge");
  EXPECT_EQ(c[2].startMs, starts[3] - 70000);
  EXPECT_EQ(c[3].title, "part two");
  EXPECT_EQ(c[3].startMs, starts[4] - 70000);

  // A clip from a phase's start opens with that phase, not with a chapter of
  // less than a frame for the one before (the new phase's first frame comes a
  // frame after the seek's target).
  const std::string atCountdown = dir.Path("countdown.mkv");
  r = RunProgram(Demo() + "--record " + atCountdown + " --start-at 74 --stop-at 74.5");
  ASSERT_EQ(r.code, 0) << r.output;
  c = ChaptersOf(atCountdown);
  ASSERT_EQ(c.size(), 1u) << r.output;
  EXPECT_EQ(c[0].title, "countdown");
  EXPECT_EQ(c[0].startMs, 0);

  const std::string whole = dir.Path("whole.mp4");
  r = RunProgram(Demo() + "--record " + whole + " --fps 5 --scale 1 --quit-at 21000");
  ASSERT_EQ(r.code, 0) << r.output;
  c = ChaptersOf(whole);
  ASSERT_EQ(c.size(), 3u) << r.output;
  EXPECT_EQ(c[0].title, "title card");
  EXPECT_EQ(c[1].title, "part one");
  EXPECT_EQ(c[1].startMs, 20000);
  EXPECT_EQ(c[2].title, "closing");
  EXPECT_EQ(c[2].startMs, 21000);
}
