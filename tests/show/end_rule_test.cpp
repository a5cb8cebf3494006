// The recording's own end: after every page, on the module's final hit, with
// the page on screen whole; page turns on the module's bar lines.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "compose.h"
#include "show/end_rule.h"
#include "support/test_support.h"

namespace {

// A page whose points span `spread` steps of order: it lands that many 10 ms later.
PointPicture PageOfSpread(std::int32_t spread) {
  PointPicture page;
  for (std::int32_t order : {100, 100 + spread}) page.points.push_back({0, 0, 0, 0, 0, order, 0});
  page.count = 2;
  page.minOrder = 100;
  return page;
}

std::uint32_t SlotStart(std::uint32_t slot) { return FirstSlotMs + slot * SlotMs; }

// The row of the song that starts within a millisecond of `ms`, played as the
// player plays it: a tick of tempo T is 110,250 / T samples rounded, rows of
// `speed` ticks, speed and tempo set by the A and T commands, the order list
// ended by a B jump. Null when `ms` falls between rows.
const std::vector<ItCell>* RowStartingAt(const ItSong& song, std::uint32_t ms) {
  const double target = ms * 44.1;
  int speed = song.speed, tempo = song.tempo;
  double samples = 0;
  std::size_t order = 0;
  for (int guard = 0; guard < 100000 && order < song.orders.size(); ++guard) {
    const ItPattern& p = song.patterns[song.orders[order]];
    std::size_t next = order + 1;
    for (int r = 0; r < p.rows; ++r) {
      const std::vector<ItCell>& cells = p.cells[r];
      for (const ItCell& c : cells) {
        if (c.command == Command('A')) speed = c.parameter;
        if (c.command == Command('T') && c.parameter >= 0x20) tempo = c.parameter;
        if (c.command == Command('B')) next = c.parameter;
      }
      if (std::abs(samples - target) < 44.1) return &cells;
      if (samples > target) return nullptr;
      samples += speed * std::floor(110250.0 / tempo + 0.5);
    }
    order = next;
  }
  return nullptr;
}

}  // namespace

TEST(EndRuleTest, WaitsForEveryPageThenTheFirstFinalHitOnAWholePage) {
  // One page three times and two more: slots 0..4, the last from 138,140 ms;
  // the final hit, 7,500 ms into slot 4, finds its page landed.
  std::vector<PointPicture> one = {PageOfSpread(50)}, two = {PageOfSpread(50), PageOfSpread(50)};
  EXPECT_EQ(PageLandedAfter(one[0]), 1000u + 500 + 800 + 1);
  EXPECT_EQ(RecordingQuitTime(one.data(), 1, two.data(), 2), FinalHitMs);
  EXPECT_EQ(FinalHitMs, SlotStart(4) + 7500);

  // A spread of 569 lands 7,491 ms in, before the hit; 570 one step too late.
  // The hit comes round on the same page every time, so the end comes as
  // soon as the page has landed, as close to the music as it can.
  two[1] = PageOfSpread(569);
  EXPECT_EQ(RecordingQuitTime(one.data(), 1, two.data(), 2), FinalHitMs);
  two[1] = PageOfSpread(570);
  EXPECT_EQ(RecordingQuitTime(one.data(), 1, two.data(), 2), SlotStart(4) + PageLandedAfter(two[1]));

  // Four pages in the second set: the hit of the second round (slot 10) finds
  // the slow fourth page in flight, the third round (slot 16) the quick second.
  two = {PageOfSpread(50), PageOfSpread(50), PageOfSpread(50), PageOfSpread(570)};
  EXPECT_EQ(RecordingQuitTime(one.data(), 1, two.data(), 4), FinalHitMs + 2 * TextLoopMs);
  two[3] = PageOfSpread(50);
  EXPECT_EQ(RecordingQuitTime(one.data(), 1, two.data(), 4), FinalHitMs + TextLoopMs);

  // No pages at all: the first final hit.
  EXPECT_EQ(RecordingQuitTime(nullptr, 0, nullptr, 0), FinalHitMs);
}

TEST(EndRuleTest, TheDefaultShowEndsOnTheTunesFinalHitAfterTheLastPage) {
  PresentationDirectory = std::string(ZINTAVEL_DEMO_DIR);
  bool ok = false;
  const std::string said = CaptureStderrOf([&] { ok = LoadAssets(); });
  PresentationDirectory = std::string(".");
  ASSERT_TRUE(ok) << said;

  const std::uint32_t quit = RecordingQuitTime(PagesOne, PagesOneCount, PagesTwo, PagesTwoCount);
  // Every page has been shown: the first set three times, then the second once.
  const std::uint32_t lastSlot = 3 * PagesOneCount + PagesTwoCount - 1;
  EXPECT_GE(quit, SlotStart(lastSlot) + PageLandedAfter(PagesTwo[PagesTwoCount - 1]));
  const std::uint32_t slot = (quit - FirstSlotMs) / SlotMs;
  const PointPicture* shown = PageInSlot(slot, PagesOne, PagesOneCount, PagesTwo, PagesTwoCount);
  ASSERT_NE(shown, nullptr);
  EXPECT_GE(quit - SlotStart(slot), PageLandedAfter(*shown));
  EXPECT_LT(quit - SlotStart(slot), SlotMs - 1000);

  // The module starts with the countdown: the quit falls on the start of a
  // row that holds a crash, the final hit.
  const ItSong song = TuneSong();
  auto crashAt = [&](std::uint32_t partTwoMs) {
    const std::vector<ItCell>* row = RowStartingAt(song, partTwoMs + ModuleLeadMs);
    bool crash = false;
    for (const ItCell& cell : row ? *row : std::vector<ItCell>{}) {
      crash |= cell.sample > 0 && song.samples[cell.sample - 1].name == "crash" && cell.note != NoNote;
    }
    return crash;
  };
  EXPECT_TRUE(crashAt(quit)) << "at " << quit << " ms of part two";
  // Every page slot up to the end starts on a crash too: the pages turn on the music.
  for (std::uint32_t k = 0; k <= slot; ++k) EXPECT_TRUE(crashAt(SlotStart(k))) << "slot " << k;
  // A round later than needed would only make the show longer.
  EXPECT_LT(quit - (SlotStart(lastSlot) + PageLandedAfter(PagesTwo[PagesTwoCount - 1])), TextLoopMs);
}
