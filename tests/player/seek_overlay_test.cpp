// Live seeking: where each key goes (phase by phase, at the edges), the line
// shown after a seek, its font; and the keys end to end in a real window under
// Xvfb, where a screenshot after a paused seek equals the recording's frame.
#include "player/seek_overlay.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

#include "choreo/phases.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

TEST(SeekOverlayTest, KeysGoWhereAVideoPlayersDo) {
  std::uint32_t s[ShowMarks];
  PhaseStartsOnGrid(60, s);
  EXPECT_EQ(SeekTarget(SeekKey::Back5, 3000), 0u);  // not before the start
  EXPECT_EQ(SeekTarget(SeekKey::Back5, 30000), 25000u);
  EXPECT_EQ(SeekTarget(SeekKey::Forward5, 30000), 35000u);
  EXPECT_EQ(SeekTarget(SeekKey::Back60, 30000), 0u);
  EXPECT_EQ(SeekTarget(SeekKey::Forward60, 30000), 90000u);
  EXPECT_EQ(SeekTarget(SeekKey::Forward60, 0xFFFFFFF0u), 0xFFFFFFFFu);  // no wrap to the start
  EXPECT_EQ(SeekTarget(SeekKey::Start, 123456), 0u);
  // Page Down: the next phase's first frame, from anywhere in the one before.
  EXPECT_EQ(SeekTarget(SeekKey::NextPhase, 0), s[1]);
  EXPECT_EQ(SeekTarget(SeekKey::NextPhase, s[1]), s[2]);
  EXPECT_EQ(SeekTarget(SeekKey::NextPhase, s[2] - 1), s[2]);
  EXPECT_EQ(SeekTarget(SeekKey::NextPhase, s[4] + 5000), s[5]);
  EXPECT_FALSE(SeekTarget(SeekKey::NextPhase, s[5]));  // the text pages run until a quit
  // Page Up: this phase's start, or the one before within 3 s of this one's.
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, s[3] + 4000), s[3]);
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, s[3] + PhaseBackMs), s[3]);
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, s[3] + PhaseBackMs - 1), s[2]);
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, s[3] + 200), s[2]);
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, 500), 0u);
  EXPECT_EQ(SeekTarget(SeekKey::PreviousPhase, 600000), s[5]);
}

TEST(SeekOverlayTest, FrameStepsAndVolume) {
  // Steps walk the 60 Hz grid one frame at a time, both ways, and land inside
  // the frame they name: frame k starts at the first whole ms of k / 60 s.
  EXPECT_FALSE(StepTarget(0, false));
  EXPECT_FALSE(StepTarget(16, false));
  EXPECT_EQ(StepTarget(0, true), 17u);
  EXPECT_EQ(StepTarget(17, false), 0u);
  EXPECT_EQ(StepTarget(1000, true), 1017u);
  EXPECT_EQ(StepTarget(1016, false), 984u);  // 1016 is still in frame 60, which starts at 1000
  for (std::uint32_t t : {1u, 999u, 83616u, 245070u}) {
    const std::uint32_t on = *StepTarget(t, true);
    EXPECT_EQ(on * 60ull / 1000, t * 60ull / 1000 + 1) << t;
    EXPECT_EQ(*StepTarget(on, false) * 60ull / 1000, t * 60ull / 1000) << t;
  }
  EXPECT_FALSE(StepTarget(0xFFFFFFFFu, true));

  Volume v;
  EXPECT_EQ(v.Gain(), 1.0f);
  EXPECT_EQ(v.Label(), "VOLUME 100%");
  v.Up();
  EXPECT_EQ(v.percent, 100);
  for (int i = 0; i < 12; ++i) v.Down();
  EXPECT_EQ(v.percent, 0);
  EXPECT_EQ(v.Gain(), 0.0f);
  v.Up(), v.Up(), v.Up();
  v.muted = true;
  EXPECT_EQ(v.Gain(), 0.0f);
  EXPECT_EQ(v.Label(), "MUTED");
  v.muted = false;  // unmuting comes back at the level it left
  EXPECT_FLOAT_EQ(v.Gain(), 0.09f);
  EXPECT_EQ(TextRects("100%", 0, 0, 1).empty(), false);
  EXPECT_GT(TextRects("%", 0, 0, 1).size(), 3u);  // the sign has a glyph of its own
}

TEST(SeekOverlayTest, LabelsNamesAndFont) {
  std::uint32_t s[ShowMarks];
  PhaseStartsOnGrid(60, s);
  EXPECT_STREQ(PhaseAt(0), "title card");
  EXPECT_STREQ(PhaseAt(s[1] - 1), "title card");
  EXPECT_STREQ(PhaseAt(s[2]), "countdown");
  EXPECT_STREQ(PhaseAt(s[5] + 100000), "text pages");
  EXPECT_EQ(SeekLabel(83616), "1:23.6 BRIDGE");
  EXPECT_EQ(SeekLabel(0), "0:00.0 TITLE CARD");
  EXPECT_EQ(SeekProgressLabel(83616, 40), "SEEKING 1:23.6 BRIDGE 40%");
  EXPECT_EQ(SeekProgressLabel(0, 140), "SEEKING 0:00.0 TITLE CARD 100%");
  EXPECT_EQ(TimeForFileName(83616), "01m23.616s");
  EXPECT_EQ(TimeForFileName(3723004), "62m03.004s");

  // Every character of every label has a glyph, and glyphs stay in their cell.
  for (int i = 0; i <= ShowMarks; ++i) {
    const std::string label = SeekProgressLabel(0, 0) + ShowMarkNames[i] + "0123456789:.%";
    const PictureRect box = TextBox(label, 10, 20, 3);
    std::set<char> lit;
    for (const PictureRect& r : TextRects(label, 10, 20, 3)) {
      EXPECT_GE(r.x, box.x);
      EXPECT_GE(r.y, box.y);
      EXPECT_LE(r.x + r.w, box.x + box.w);
      EXPECT_LE(r.y + r.h, box.y + box.h);
      EXPECT_EQ(r.h, 3);
      const int cell = (r.x - 10) / (GlyphAdvance * 3);
      EXPECT_LT(r.x + r.w, 10 + (cell * GlyphAdvance + GlyphWidth) * 3 + 1) << "a glyph runs into the next";
      lit.insert(label[cell]);
    }
    for (const char c : label)
      if (c != ' ') {
        EXPECT_TRUE(lit.count(c)) << "no glyph for '" << c << "'";
      }
  }
  EXPECT_TRUE(TextRects(" ", 0, 0, 1).empty());
}

namespace {

int Sh(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(SeekOverlayTest, PausedSeekAndScreenshotInARealWindow) {
  if (Sh("command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v openbox >/dev/null") != 0)
    GTEST_SKIP() << "needs Xvfb, openbox and xdotool (scripts/packages.txt)";
  TempDir dir;
  const std::string display = ":" + std::to_string(70 + getpid() % 20);
  const pid_t xvfb = fork();
  if (xvfb == 0) {
    ::execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const pid_t manager = fork();  // xdotool finds and focuses windows through one
  if (manager == 0) {
    ::setenv("DISPLAY", display.c_str(), 1);
    if (!::freopen("/dev/null", "w", stderr)) _exit(127);  // a child that cannot log is a failed run
    ::execlp("openbox", "openbox", static_cast<char*>(nullptr));
    _exit(127);
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  // The player, paused, Page Down to the bridge's first frame (no badge there,
  // whose blink follows the live clock), F12 until the frame it landed on is
  // saved (a slow build takes a while to get there), then quit at once.
  std::uint32_t s[ShowMarks];
  PhaseStartsOnGrid(60, s);
  const std::string name = "zintavel-" + TimeForFileName(s[3]) + ".png";
  const std::string env = "cd " + dir.Path("") + " && export DISPLAY=" + display +
                          " SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null; ";
  const std::string player = "timeout -s KILL 180 " + std::string(ZINTAVEL_BINARY) + " --dir " +
                             ZINTAVEL_DEMO_DIR + " --window --no-warning --start-at 80";
  const std::string keys =
      // SDL may make its window anew for the renderer: wait for the display line.
      "for i in $(seq 300); do grep -q renderer log.txt && break; sleep 0.2; done; "
      "w=$(xdotool search --onlyvisible --name '^Zintavel' | tail -1); "
      "sleep 1; xdotool windowfocus --sync $w; xdotool key --window $w space; sleep 0.5; "
      "xdotool key --window $w Next; "
      "for i in $(seq 60); do sleep 1; xdotool key --window $w F12; sleep 0.5; [ -e " + name + " ] && break; done; "
      "sleep 0.5; kill -INT $p; sleep 0.2; kill -INT $p";
  const int rc = Sh(env + "(" + player + " >log.txt 2>&1 & p=$!; " + keys + "; wait $p)");
  for (const pid_t p : {manager, xvfb}) {
    ::kill(p, SIGTERM);
    ::waitpid(p, nullptr, 0);
  }
  const std::string log(reinterpret_cast<const char*>(ReadAll(dir.Path("log.txt")).data()),
                        ReadAll(dir.Path("log.txt")).size());
  EXPECT_NE(rc, 137) << "the player did not end and was killed\n" << log;
  const std::string shot = dir.Path(name);
  ASSERT_TRUE(fs::exists(shot)) << log;
  EXPECT_NE(log.find("saved as " + name + " and"), std::string::npos) << log;

  const ProgramResult r = RunProgram(std::string("--dir ") + ZINTAVEL_DEMO_DIR + " --record " + dir.Path("rec") +
                                     " --start-at 1:23.616 --stop-at 1:23.617");
  ASSERT_EQ(r.code, 0) << r.output;
  EXPECT_EQ(ReadAll(shot), ReadAll(dir.Path("rec/frame-000000.png")));
}
