// The master sequence against a fake platform and recording scenes: phase
// ends, transitions, sound calls, the per-frame arguments, quitting, failures.
#include "show/master_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "display/presenter.h"
#include "pixel/colour.h"
#include "show/message_pump.h"
#include "support/fake_platform.h"

namespace {

struct Call {
  char scene;  // T title, P part one, B badge, C countdown, W bridge from white, D dimmed, 2 part two, E end card
  double value;
  double extra;
};
std::vector<Call> Calls;

const SceneTable& Recorder() {
  static const SceneTable t = {
      [] { return true; },
      [](float l, Picture&) { Calls.push_back({'T', l, 0}); },
      [](std::uint32_t t, Picture&) { Calls.push_back({'P', static_cast<double>(t), 0}); },
      [](std::int32_t w, Picture&) { Calls.push_back({'B', static_cast<double>(w), 0}); },
      [](std::int32_t n, float f, Picture&) { Calls.push_back({'C', static_cast<double>(n), f}); },
      [](float l, Picture&) { Calls.push_back({'W', l, 0}); },
      [](float l, Picture&) { Calls.push_back({'D', l, 0}); },
      [](std::uint32_t t, Picture&) { Calls.push_back({'2', static_cast<double>(t), 0}); },
      [](float l, Picture&) { Calls.push_back({'E', l, 0}); },
  };
  return t;
}

class MasterSequenceTest : public testing::Test {
 protected:
  void SetUp() override {
    Calls.clear();
    QuitRequested = 0;
    ActivePlatform = &fake;
  }
  void TearDown() override { ActivePlatform = nullptr; }
  int Run() { return MasterSequence(Recorder()); }
  std::vector<Call> Of(char scene) const {
    std::vector<Call> out;
    for (const Call& c : Calls) {
      if (c.scene == scene) out.push_back(c);
    }
    return out;
  }
  FakePlatform fake;
};

}  // namespace

TEST_F(MasterSequenceTest, WholeRunInOrder) {
  fake.quitWhen = [](std::uint32_t, std::uint32_t now) { return now >= 20000 + 54000 + 9600 + 5760 + 3000; };
  EXPECT_EQ(Run(), 0);
  const std::vector<std::string> sound = {
      "GetVersion", "Init(-1,44100,0)", "MusicLoad(tune.it,5)", "PositionScaler(1,64)", "Start",
      "StreamCreate(intro.mp3,131072)", "Start"};
  EXPECT_TRUE(std::equal(sound.begin(), sound.end(), fake.calls.begin() + 1));  // after CreateWindow
  EXPECT_EQ(fake.phases, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  // The stream starts after the title, and hands over to the module when part one ends by its time.
  auto at = [&](const std::string& c) { return std::find(fake.calls.begin(), fake.calls.end(), c) - fake.calls.begin(); };
  EXPECT_LT(at("Phase(1)"), at("StreamPlay(2,0,0)"));
  EXPECT_LT(at("StreamPlay(2,0,0)"), at("Phase(2)"));
  EXPECT_LT(at("Phase(2)"), at("StreamFree(2)"));
  EXPECT_LT(at("StreamFree(2)"), at("MusicPlayEx(1,0,-1,1)"));
  EXPECT_LT(at("MusicPlayEx(1,0,-1,1)"), at("Phase(3)"));
  // Teardown: cursor, sound, display, in that order, last.
  const std::vector<std::string> tail(fake.calls.end() - 3, fake.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"ShowCursor(1)", "SoundFree", "CloseDevice"}));
}

TEST_F(MasterSequenceTest, PartOneHandsOverOnTheFirstFrameAt54000) {
  fake.step = 7;
  fake.quitWhen = [](std::uint32_t, std::uint32_t now) { return now >= 20000 + 54000 + 100; };
  Run();
  const std::vector<Call> partOne = Of('P');
  ASSERT_GE(partOne.size(), 2u);
  EXPECT_GE(partOne.back().value, 54000);
  EXPECT_LT(partOne[partOne.size() - 2].value, 54000);
  // The badge rides on part-one frames only from 51,000 on (and on the countdown).
  std::size_t firstBadge = 0;
  while (Calls[firstBadge].scene != 'B') ++firstBadge;
  ASSERT_GT(firstBadge, 0u);
  EXPECT_EQ(Calls[firstBadge - 1].scene, 'P');
  EXPECT_GT(Calls[firstBadge - 1].value, 51000);
  for (std::size_t i = 0; i + 1 < Calls.size(); ++i) {
    if (Calls[i].scene == 'P' && Calls[i].value > 51000) {
      ASSERT_EQ(Calls[i + 1].scene, 'B');
    }
  }
}

TEST(PhaseArithmeticTest, LevelsNumbersAndVolumes) {
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(0)), 0);
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(1000)), 10);
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(2500)), 63);
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(4999)), 254);
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(10000)), 255);
  EXPECT_EQ(LevelFromFloat(TitleCardLevel(19999)), 0);
  EXPECT_EQ(CountdownAt(0).number, 10);
  EXPECT_EQ(CountdownAt(959).number, 10);
  EXPECT_EQ(CountdownAt(960).number, 9);
  EXPECT_EQ(CountdownAt(8640).number, 1);
  EXPECT_EQ(CountdownAt(9599).number, 1);
  EXPECT_EQ(CountdownAt(0).fraction, 1.0f);
  EXPECT_GT(CountdownAt(959).fraction, 0.0f);
  EXPECT_GE(BridgeAt(2209).b, 1.0f);
  EXPECT_EQ(BridgeAt(2209).a, 0.0f);
  EXPECT_LT(BridgeAt(2210).b, 1.0f);
  EXPECT_EQ(LevelFromFloat(BridgeAt(480).a), 127);
  EXPECT_EQ(LevelFromFloat(BridgeAt(2210).b), 254);
  EXPECT_EQ(LevelFromFloat(BridgeAt(4121).b), 1);
  EXPECT_EQ(LevelFromFloat(BridgeAt(4122).b), 0);
  EXPECT_EQ(LevelFromFloat(EndCardLevel(5000)), 255);
  EXPECT_EQ(LevelFromFloat(EndCardLevel(7500)), 63);
  EXPECT_EQ(ClosingVolumeAt(5000), -1);
  EXPECT_EQ(ClosingVolumeAt(5001), 99);
  EXPECT_EQ(ClosingVolumeAt(9999), 0);
}

TEST_F(MasterSequenceTest, BridgeSwitchesAt2210AndTheCountdownCounts) {
  fake.step = 1;
  fake.quitWhen = [](std::uint32_t, std::uint32_t now) { return now >= 20000 + 54000 + 9600 + 5760 + 1; };
  Run();
  const std::vector<Call> white = Of('W'), dim = Of('D');
  ASSERT_FALSE(white.empty());
  ASSERT_FALSE(dim.empty());
  EXPECT_EQ(white.size(), 2210u);  // e = 0 .. 2209
  EXPECT_EQ(dim.size(), 5760u - 2210u);
  const std::vector<Call> count = Of('C');
  ASSERT_EQ(count.size(), 9600u);
  EXPECT_EQ(count.front().value, 10);
  EXPECT_EQ(count[959].value, 10);
  EXPECT_EQ(count[960].value, 9);
  EXPECT_EQ(count.back().value, 1);
  EXPECT_EQ(count[8640].value, 1);
  EXPECT_EQ(Of('T').size(), 20000u);
  // Closing: no volume call while v >= 100, then 99 down to 0.
  ASSERT_FALSE(fake.volumes.empty());
  EXPECT_EQ(fake.volumes.front(), 99u);
  EXPECT_EQ(fake.volumes.back(), 0u);
  EXPECT_EQ(fake.volumes.size(), 10000u - 5001u);
}

TEST_F(MasterSequenceTest, QuitInEachPhase) {
  struct Case {
    std::uint32_t at;
    bool partOneDrawn, moduleStarted, partTwoDrawn;
  };
  for (const Case& c : {Case{5000, false, false, false}, Case{30000, true, false, false},
                        Case{80000, true, true, false}, Case{86000, true, true, false},
                        Case{100000, true, true, true}}) {
    SetUp();
    fake = FakePlatform();
    fake.step = 20;
    fake.quitWhen = [&](std::uint32_t, std::uint32_t now) { return now >= c.at; };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(!Of('P').empty(), c.partOneDrawn) << c.at;
    EXPECT_EQ(!fake.Only("MusicPlayEx").empty(), c.moduleStarted) << c.at;
    EXPECT_EQ(!Of('2').empty(), c.partTwoDrawn) << c.at;
    EXPECT_EQ(fake.Only("StreamPlay").size(), 1u) << "the MP3 always starts after the title";
    // The closing always runs its whole 10 s, with the volume ramp.
    const std::vector<Call> end = Of('E');
    EXPECT_EQ(end.size(), 10000u / 20) << c.at;
    EXPECT_EQ(fake.phases.back(), 6);
    EXPECT_EQ(fake.volumes.back(), 0u);
  }
}

TEST_F(MasterSequenceTest, QuitDuringClosingChangesNothing) {
  fake.step = 50;
  fake.quitWhen = [](std::uint32_t presents, std::uint32_t) { return presents % 5 == 0; };  // keeps asking
  Run();
  EXPECT_EQ(Of('E').size(), 10000u / 50);
}

TEST_F(MasterSequenceTest, DisplayThatCannotOpen) {
  fake.modes.clear();
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Calls.empty());
  EXPECT_TRUE(fake.Only("MessageBox").empty());
  EXPECT_EQ(fake.Only("Debug"), (std::vector<std::string>{"Debug(DDraw Error)"}));
  // The failed open releases the display itself; teardown then frees the sound.
  const std::vector<std::string> tail(fake.calls.end() - 3, fake.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"CloseDevice", "ShowCursor(1)", "SoundFree"}));
  EXPECT_TRUE(fake.Only("StreamPlay").empty());
}

TEST_F(MasterSequenceTest, FatalMessages) {
  struct Case {
    std::function<void(FakePlatform&)> breakIt;
    std::string box;
  };
  for (const Case& c : {Case{[](FakePlatform& f) { f.version = 0x70000; }, "MessageBox(Error, Bass versin 0.8 was not loaded)"},
                        Case{[](FakePlatform& f) { f.initWorks = false; }, "MessageBox(Error, Can't initialize device)"},
                        Case{[](FakePlatform& f) { f.musicLoads = false; }, "MessageBox(Error, Can't play the file)"}}) {
    SetUp();
    fake = FakePlatform();
    c.breakIt(fake);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run(), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(fake.Only("MessageBox"), std::vector<std::string>{c.box});
    EXPECT_EQ(fake.calls.back(), "SoundFree");
    EXPECT_TRUE(fake.Only("OpenDevice").empty());
    // The music's own line (the platform's, naming the file) quotes its error already.
    EXPECT_EQ(said.find("Error: ") != std::string::npos, c.box.find("play the file") == std::string::npos) << said;
  }
}

TEST_F(MasterSequenceTest, AcrossTheTickCounterWrap) {
  fake.now = 0xFFFFFFFFu - 30000;  // wraps during part one
  fake.step = 16;
  fake.quitWhen = [](std::uint32_t, std::uint32_t now) { return now >= 20000 + 54000 + 9600 + 5760 - 30000 + 1000 && now < 0x80000000u; };
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(fake.phases, (std::vector<int>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(Of('T').size(), (20000u + 15) / 16);
  const std::vector<Call> partOne = Of('P');
  EXPECT_GE(partOne.back().value, 54000);
  EXPECT_LT(partOne.back().value, 54016);
}
