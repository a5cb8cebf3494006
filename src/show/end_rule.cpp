#include "show/end_rule.h"

#include <algorithm>

namespace {

// The last part-two frame is drawn at or just after the quit time: the page
// must still be there a little later (a frame at 10 fps).
constexpr std::uint32_t FrameMargin = 100;
// An hour of rounds; a set of pages that never lands by then ends as before.
constexpr std::uint32_t MaxRounds = 40;

}  // namespace

std::uint32_t PageLandedAfter(const PointPicture& page) {
  std::int32_t last = page.minOrder;
  for (std::int32_t i = 0; i < page.count; ++i) last = std::max(last, page.points[i].order);
  const std::uint32_t spread = page.count > 0 ? static_cast<std::uint32_t>(last - page.minOrder) : 0;
  // A point is drawn on its place once its flight time exceeds FlightMs.
  return FlightsFromMs + OrderStepMs * spread + FlightMs + 1;
}

const PointPicture* PageInSlot(std::uint32_t slot, const PointPicture* one, std::int32_t oneCount,
                               const PointPicture* two, std::int32_t twoCount) {
  const std::uint32_t first = 3 * static_cast<std::uint32_t>(std::max(oneCount, 0));
  if (slot < first) return &one[slot % static_cast<std::uint32_t>(oneCount)];
  if (twoCount <= 0) return nullptr;
  return &two[(slot - first) % static_cast<std::uint32_t>(twoCount)];
}

std::uint32_t RecordingQuitTime(const PointPicture* one, std::int32_t oneCount, const PointPicture* two,
                                std::int32_t twoCount) {
  auto landedAfter = [&](std::uint32_t slot) {
    const PointPicture* page = PageInSlot(slot, one, oneCount, two, twoCount);
    return page ? PageLandedAfter(*page) : 0;
  };
  // Every page shown once (the first set three times): the last slot's page landed.
  const std::uint32_t slots = 3 * static_cast<std::uint32_t>(std::max(oneCount, 0)) +
                              static_cast<std::uint32_t>(std::max(twoCount, 0));
  const std::uint32_t lastSlot = slots > 0 ? slots - 1 : 0;
  const std::uint32_t allShown = FirstSlotMs + lastSlot * SlotMs + landedAfter(lastSlot);
  for (std::uint32_t n = 0; n < MaxRounds; ++n) {
    const std::uint32_t t = FinalHitMs + n * TextLoopMs;
    if (t < allShown) continue;
    const std::uint32_t slot = (t - FirstSlotMs) / SlotMs, into = (t - FirstSlotMs) % SlotMs;
    if (into >= landedAfter(slot) && into + FrameMargin < SlotMs) return t;
  }
  return allShown;
}
