// The real-time player's bookkeeping with made-up times: pause, pacing, the
// vsync check and the picture's place.
#include "player/player_timing.h"

#include <gtest/gtest.h>

TEST(PlayerClockTest, StopsWhilePausedAndRunsForwardOnSkip) {
  PlayerClock c;
  EXPECT_EQ(c.Now(1000), 1000u);
  c.Pause(1500);
  c.Pause(1700);  // a second pause changes nothing
  EXPECT_TRUE(c.Paused());
  EXPECT_EQ(c.Now(1500), 1500u);
  EXPECT_EQ(c.Now(9000), 1500u);
  c.Resume(9000);
  c.Resume(9500);  // nor a second resume
  EXPECT_FALSE(c.Paused());
  EXPECT_EQ(c.Now(9000), 1500u);
  EXPECT_EQ(c.Now(9250), 1750u);
  c.Skip(1u << 30);
  EXPECT_EQ(c.Now(9250), 1750u + (1u << 30));
  // The counter wraps at 2^32 like the one it stands for.
  PlayerClock w;
  EXPECT_EQ(w.Now(0x100000005ull), 5u);
}

TEST(FramePacerTest, HoldsFramesToTheRefreshGridAndLetsLateOnesGo) {
  FramePacer p(16'666'666);
  EXPECT_EQ(p.PresentAt(1'000'000), 1'000'000);  // the first goes at once
  EXPECT_EQ(p.PresentAt(5'000'000), 17'666'666);  // early: waits for the boundary
  EXPECT_EQ(p.PresentAt(20'000'000), 34'333'332);
  EXPECT_EQ(p.PresentAt(55'000'000), 55'000'000);  // late: at once, on the same grid
  EXPECT_EQ(p.PresentAt(56'000'000), 67'666'664);
  EXPECT_EQ(p.PresentAt(200'000'000), 200'000'000);  // far behind: a new grid from there
  EXPECT_EQ(p.PresentAt(200'000'001), 216'666'666);
  // Frames that alternate slow and quick keep the rate on average.
  FramePacer r(16'000'000);
  std::int64_t t = r.PresentAt(0);
  for (int i = 0; i < 100; ++i) t = r.PresentAt(t + (i % 2 ? 2'000'000 : 20'000'000));
  EXPECT_EQ(t, 1'600'000'000);
  // Many quick frames come out exactly one period apart.
  FramePacer q(RefreshPeriodNs(144));
  std::int64_t last = q.PresentAt(0);
  for (int i = 1; i < 1000; ++i) {
    const std::int64_t at = q.PresentAt(last + 1000);
    EXPECT_EQ(at - last, RefreshPeriodNs(144));
    last = at;
  }
}

TEST(FramePacerTest, RefreshPeriodDefaultsTo60Hz) {
  EXPECT_EQ(RefreshPeriodNs(0), 16'666'666);
  EXPECT_EQ(RefreshPeriodNs(-5), 16'666'666);
  EXPECT_EQ(RefreshPeriodNs(75), 13'333'333);
}

TEST(VsyncCheckTest, FlagsPresentsFasterThanTheRefreshRate) {
  constexpr std::int64_t Ms = 1'000'000;
  // Real vsync at 60 Hz, slightly fast or slow: never flagged.
  for (const std::int64_t period : {16 * Ms, 17 * Ms, 40 * Ms}) {
    VsyncCheck c(60);
    for (std::int64_t t = 0; t < 5000 * Ms; t += period) ASSERT_FALSE(c.Ineffective(t)) << period;
  }
  // 200 presents a second: flagged once a second has been counted.
  VsyncCheck fast(60);
  bool flagged = false;
  std::int64_t t = 0;
  for (; t < 3000 * Ms && !flagged; t += 5 * Ms) flagged = fast.Ineffective(t);
  EXPECT_TRUE(flagged);
  EXPECT_LE(t, 1100 * Ms);
  EXPECT_GE(fast.LastCount(), 190);
  // A long stall (a pause) between fast bursts does not add them up.
  VsyncCheck stalled(60);
  for (std::int64_t s = 0; s < 10; ++s)
    for (int i = 0; i < 60; ++i) ASSERT_FALSE(stalled.Ineffective(s * 5000 * Ms + i * Ms));
}

TEST(PlacePictureTest, WholeMultiplesOrTheLargestFourThreeSize) {
  auto same = [](PictureRect a, PictureRect b) { return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h; };
  EXPECT_TRUE(same(PlacePicture(320, 240, 1920, 1080, false), {320, 60, 1280, 960}));
  EXPECT_TRUE(same(PlacePicture(320, 240, 1920, 1080, true), {240, 0, 1440, 1080}));
  EXPECT_TRUE(same(PlacePicture(320, 240, 1000, 2000, true), {0, 625, 1000, 750}));
  EXPECT_TRUE(same(PlacePicture(640, 480, 1280, 1024, false), {0, 32, 1280, 960}));
  EXPECT_TRUE(same(PlacePicture(320, 240, 960, 720, true), {0, 0, 960, 720}));
  // Smaller than the picture: integer keeps 1x (centred, cut), fit shrinks.
  EXPECT_TRUE(same(PlacePicture(320, 240, 200, 100, false), {-60, -70, 320, 240}));
  EXPECT_TRUE(same(PlacePicture(320, 240, 200, 100, true), {33, 0, 133, 100}));
  // Every size stays inside and keeps the shape within a pixel.
  for (int w = 1; w < 700; w += 7)
    for (int h = 1; h < 700; h += 11) {
      const PictureRect r = PlacePicture(320, 240, w, h, true);
      ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= w && r.y + r.h <= h) << w << "x" << h;
      ASSERT_TRUE(r.w == w || r.h == h) << w << "x" << h;
      ASSERT_LE(std::abs(r.w * 3 - r.h * 4), 4) << w << "x" << h;
    }
}
