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
  // With checkpoints (made ahead of the show and by each replay) and without:
  // the same frames either way.
  for (const bool checkpoints : {true, false}) {
  SCOPED_TRACE(checkpoints ? "with checkpoints" : "without");
  SeekingPlatform live;
  live.prepareSeeks = checkpoints;
  live.script = {
      {30, 75000, 10},  // forward, from the title card into the countdown
      {40, 21000, 10},  // back into part one
      {40, 89400, 7},   // forward across three phases into part two
      {40, 50000, 0},   // back again, the clock standing still as in a pause
      {40, 53990, 10},  // to part one's last frames, from a checkpoint
      {40, 44000, 10},  // just after a checkpoint's frame
  };
  live.quitAfter = 3;
  const auto stretches = Run(live, 0);
  EXPECT_EQ(CheckpointsReady(), checkpoints ? CheckpointCount() : 0);
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
}

TEST_F(SeekTest, AheadOfTheShowCheckpointsLeaveItsFramesAsTheyWere) {
  // The run ahead swaps part one's state in and out between the title card's
  // frames: the frames shown must not change, and the checkpoints it made
  // serve a seek that follows.
  SeekingPlatform ahead, plain;
  ahead.prepareSeeks = true;
  ahead.script = {{400, 52000, 10}};
  plain.script = ahead.script;
  ahead.quitAfter = plain.quitAfter = 20;
  const auto a = Run(ahead, 0);
  const int made = CheckpointsReady();
  const auto b = Run(plain, 0);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    ASSERT_EQ(a[i].size(), b[i].size());
    for (std::size_t k = 0; k < a[i].size(); ++k) EXPECT_EQ(a[i][k].hash, b[i][k].hash) << i << " " << k;
  }
  // 400 frames with 12 unseen ones after each: 4,800, all of part one's 3,240.
  EXPECT_EQ(made, CheckpointCount());
}

TEST_F(SeekTest, ASeekAskedDuringAReplayRetargetsIt) {
  // The second seek comes on the replay's first unseen frame: the first one
  // never lands, and the show lands on the second's frames.
  class Retargeting : public SeekingPlatform {
   public:
    bool TakeSeek(std::uint32_t& to) override {
      if (Replaying && !retargeted) {
        retargeted = true;
        to = 30000;
        return true;
      }
      return SeekingPlatform::TakeSeek(to);
    }
    void BeginReplay(std::uint32_t, std::uint32_t target) override {
      Replaying = true;
      targets.push_back(target);
    }
    void EndReplay(std::uint32_t) override { Replaying = false; }
    bool Replaying = false, retargeted = false;
    std::vector<std::uint32_t> targets;
  } live;
  live.prepareSeeks = true;
  live.script = {{10, 100000, 10}};
  live.quitAfter = 10;
  const auto stretches = Run(live, 0);
  EXPECT_EQ(live.targets, (std::vector<std::uint32_t>{100000, 30000}));
  SeekingPlatform started;
  started.quitAfter = 10;
  const auto fresh = Run(started, 30000);
  ASSERT_EQ(stretches.size(), 2u);
  ASSERT_GE(stretches[1].size(), 10u);
  for (std::uint32_t k = 0; k < 10; ++k) EXPECT_EQ(stretches[1][k].hash, fresh[0][k].hash) << k;
}
