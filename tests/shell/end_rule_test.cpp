// The recording's own end: after every page, on the module's crash, with the
// page on screen whole.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assets/inventory.h"
#include "assets/loading.h"
#include "assets/pages.h"
#include "compose.h"
#include "shell/end_rule.h"
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

}  // namespace

TEST(EndRuleTest, WaitsForEveryPageThenTheFirstCrashOnAWholePage) {
  // Quick pages: 2 + 2 pages shown in slots 0..7, the last from 183,140 ms; the
  // crashes fall at 76,800 + 61,440 n: 199,680 finds slot 8 (a repeat of the
  // second set's first page) 1,540 ms in, still in flight; 261,120 finds slot 12
  // 2,980 ms in, landed.
  std::vector<PointPicture> one = {PageOfSpread(50), PageOfSpread(50)}, two = {PageOfSpread(50), PageOfSpread(50)};
  EXPECT_EQ(PageLandedAfter(one[0]), 1000u + 500 + 800 + 1);
  EXPECT_EQ(RecordingQuitTime(one.data(), 2, two.data(), 2), 261120u);

  // Slot 12 is the second set's page 0 here; with a spread of 117 it lands
  // 2,971 ms in, still before the crash; with 118, one step too late.
  two[0] = PageOfSpread(117);
  EXPECT_EQ(RecordingQuitTime(one.data(), 2, two.data(), 2), 261120u);
  two[0] = PageOfSpread(118);
  const std::uint32_t later = RecordingQuitTime(one.data(), 2, two.data(), 2);
  EXPECT_GT(later, 261120u);
  EXPECT_EQ((later - SectionFromMs) % SectionMs, 0u);

  // Pages that take their whole slot never sit still on a crash: the end then
  // comes once every page has landed, as close as it can.
  std::vector<PointPicture> slow = {PageOfSpread(1400)};
  const std::uint32_t end = RecordingQuitTime(slow.data(), 1, slow.data(), 1);
  EXPECT_EQ(end, SlotStart(3) + PageLandedAfter(slow[0]));

  // No pages at all: the first crash once the slots have begun.
  EXPECT_EQ(RecordingQuitTime(nullptr, 0, nullptr, 0), SectionFromMs + SectionMs);
}

TEST(EndRuleTest, TheDefaultShowEndsOnTheTunesCrashAfterTheLastPage) {
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

  // The module starts with the countdown; find the row the quit falls on
  // (the order list loops back into the text section) and a crash on it.
  const ItSong song = TuneSong();
  const std::uint32_t moduleMs = quit + ModuleLeadMs;
  const int rowMs = 2500 * song.speed / song.tempo;
  ASSERT_EQ(moduleMs % rowMs, 0u) << "between two rows";
  std::vector<const std::vector<ItCell>*> rows;
  for (int order : song.orders) {
    for (const std::vector<ItCell>& row : song.patterns[order].cells) rows.push_back(&row);
  }
  const int loopFrom = static_cast<int>(SectionFromMs + ModuleLeadMs) / rowMs;
  int row = static_cast<int>(moduleMs / rowMs);
  if (row >= static_cast<int>(rows.size())) row = loopFrom + (row - loopFrom) % (static_cast<int>(rows.size()) - loopFrom);
  bool crash = false;
  for (const ItCell& cell : *rows[row]) {
    crash |= cell.sample > 0 && song.samples[cell.sample - 1].name == "crash" && cell.note != NoNote;
  }
  EXPECT_TRUE(crash) << "module row " << row << " at " << moduleMs << " ms";
  // A section later than needed would only make the show longer.
  EXPECT_LT(quit - (SlotStart(lastSlot) + PageLandedAfter(PagesTwo[PagesTwoCount - 1])), SectionMs);
}
