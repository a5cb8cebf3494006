// Reaching a moment of the show: the phases' starts on a frame grid, and live
// seeks on a fake clock (forward, backward, across phases, with the clock
// standing still as in a pause) that land on exactly the frames of a show
// started at the same moment.
#include "show/seek.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "assets/loading.h"
#include "choreo/phases.h"
#include "display/presenter.h"
#include "pixel/random.h"
#include "scenes/part_one.h"
#include "show/master_sequence.h"
#include "show/message_pump.h"
#include "support/fake_platform.h"

namespace {

// A fake whose frames are logged as (show time, hash of the frame buffer) and
// whose viewer asks for the seeks of a script.
class SeekingPlatform : public FakePlatform {
 public:
  struct Shown {
    std::uint32_t time;
    std::uint64_t hash;
  };
  struct Seek {
    std::uint32_t afterFrames;  // in the current stretch
    std::uint32_t to;
    std::uint32_t step;  // the clock's step from then on (0: standing still)
  };
  std::vector<Seek> script;
  std::vector<std::vector<Shown>> stretches{{}};
  std::uint32_t quitAfter = 40;  // frames of the last stretch

  bool Flip() override {
    const Picture& f = *GetFrameBuffer();
    std::uint64_t h = 1469598103934665603ull;
    for (const Pixel p : f.pixels) h = (h ^ p) * 1099511628211ull;
    stretches.back().push_back({ShowTime(), h});
    if (next_ == script.size() && stretches.back().size() == quitAfter) {
      quitWhen = [](std::uint32_t, std::uint32_t) { return true; };
      step = 10;  // the closing must run out
    }
    return FakePlatform::Flip();
  }
  bool TakeSeek(std::uint32_t& to) override {
    if (next_ >= script.size() || stretches.back().size() < script[next_].afterFrames) return false;
    to = script[next_].to;
    step = script[next_].step;
    ++next_;
    stretches.emplace_back();
    return true;
  }

 private:
  std::size_t next_ = 0;
};

const SceneTable& Scenes() {
  static const SceneTable table = [] {
    SceneTable t = DemoScenes();
    // Each run as a fresh process would begin it.
    t.loadAssets = [] {
      PresentationDirectory = ZINTAVEL_DEMO_DIR;
      RandomState = 1;
      FlashCutState = {0, 0};
      return LoadAssets();
    };
    return t;
  }();
  return table;
}

class SeekTest : public testing::Test {
 protected:
  void TearDown() override {
    ActivePlatform = nullptr;
    StartAtMs = 0;
  }
  // Runs the show on `p` from `startAt`; the frames it showed, by stretch.
  static std::vector<std::vector<SeekingPlatform::Shown>> Run(SeekingPlatform& p, std::uint32_t startAt) {
    QuitRequested = 0;
    ActivePlatform = &p;
    StartAtMs = startAt;
    EXPECT_EQ(MasterSequence(Scenes()), 0);
    ActivePlatform = nullptr;
    StartAtMs = 0;
    return p.stretches;
  }
};

}  // namespace

TEST_F(SeekTest, PhasesStartWhereTheSequencePutsThemOnAFrameGrid) {
  // A fake clock on the grid of `fps`, and scenes that only note their calls.
  for (const std::uint32_t fps : {60u, 24u, 7u}) {
    struct Grid : FakePlatform {
      std::uint32_t fps = 60;
      bool Flip() override {
        ++presents;
        now = static_cast<std::uint32_t>(std::uint64_t{presents} * 1000 / fps);
        if (quitWhen(presents, now)) pending = true;
        return true;
      }
      bool NextEvent(WindowEvent& e) override {
        if (!pending) return false;
        pending = false;
        e = WindowEvent::EscapeKey;
        return true;
      }
      void PhaseStarted(Phase phase, const char*) override { starts.push_back({static_cast<int>(phase), ShowTime()}); }
      bool pending = false;
      std::vector<std::pair<int, std::uint32_t>> starts;
    } grid;
    grid.fps = fps;
    static std::uint32_t textPages;
    textPages = 0;
    SceneTable t = DemoScenes();
    t.loadAssets = [] { return true; };
    t.titleCard = t.bridgeFromWhite = t.bridgeDimmed = t.endCard = [](float, Picture&) {};
    t.partOne = [](std::uint32_t, Picture&) {};
    t.badge = [](std::int32_t, Picture&) {};
    t.countdown = [](std::int32_t, float, Picture&) {};
    t.partTwo = [](std::uint32_t e, Picture&) {
      if (e > 76800 && textPages == 0) textPages = ShowTime();
    };
    grid.quitWhen = [](std::uint32_t, std::uint32_t now) { return now >= 170000; };
    QuitRequested = 0;
    ActivePlatform = &grid;
    ASSERT_EQ(MasterSequence(t), 0);
    ActivePlatform = nullptr;
    std::uint32_t expected[ShowMarks];
    PhaseStartsOnGrid(fps, expected);
    ASSERT_EQ(grid.starts.size(), 6u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(grid.starts[i].second, expected[i]) << "phase " << i + 1 << " at " << fps;
    EXPECT_EQ(textPages, expected[5]) << fps;
    EXPECT_EQ(TextPagesStart(expected[4], fps), expected[5]);
  }
}

TEST_F(SeekTest, LiveSeeksLandOnTheFramesOfAShowStartedThere) {
  SeekingPlatform live;
  live.script = {
      {30, 75000, 10},  // forward, from the title card into the countdown
      {40, 21000, 10},  // back into part one
      {40, 89400, 7},   // forward across three phases into part two
      {40, 50000, 0},   // back again, the clock standing still as in a pause
  };
  live.quitAfter = 3;
  const auto stretches = Run(live, 0);
  ASSERT_EQ(stretches.size(), live.script.size() + 1);
  for (std::size_t i = 0; i < live.script.size(); ++i) {
    const SeekingPlatform::Seek& s = live.script[i];
    SCOPED_TRACE("seek to " + std::to_string(s.to));
    SeekingPlatform started;
    started.step = s.step;
    started.quitAfter = i + 1 == live.script.size() ? live.quitAfter : 40;
    const auto fresh = Run(started, s.to);
    ASSERT_GE(stretches[i + 1].size(), started.quitAfter);
    ASSERT_GE(fresh[0].size(), started.quitAfter);
    EXPECT_GE(fresh[0][0].time, s.to);
    EXPECT_LT(fresh[0][0].time, s.to + 17);  // the first frame of the 60 Hz grid at or after it
    for (std::uint32_t k = 0; k < started.quitAfter; ++k) {
      EXPECT_EQ(stretches[i + 1][k].time, fresh[0][k].time) << "frame " << k;
      EXPECT_EQ(stretches[i + 1][k].hash, fresh[0][k].hash) << "frame " << k;
    }
  }
}
