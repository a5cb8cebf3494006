// When a recording made without --quit-at asks to quit, in ms of part two.
//
// The whole of part two once: the scanner scene, then the text pages at 15 s
// each, the first set three times over and the second set once. Then it waits
// for the music: the closing starts on the module's final hit (half way
// through the fifth page slot, and every six slots after that when the music
// goes round), at the first one that finds the page on screen fully landed, so
// the show ends on the music's last chord and on a whole page.
#pragma once

#include <cstdint>

#include "assets/pages.h"
#include "choreo/phases.h"

// Part-two times of the text scene's page slots (the scene runs from
// 76,220 ms of part two, its first slot 1,920 ms later) and of the flights.
inline constexpr std::uint32_t FirstSlotMs = 76220 + 1920;
inline constexpr std::uint32_t SlotMs = 15000;
inline constexpr std::uint32_t FlightsFromMs = 1000;  // within a slot
inline constexpr std::uint32_t OrderStepMs = 10;
inline constexpr std::uint32_t FlightMs = 800;

// The default module (tools/music, TuneSong) starts with the countdown, ModuleLeadMs
// (choreo/phases.h) before part two. Its text section plays at 128 BPM from the first page slot
// on, eight bars to a slot, so every page turns on a bar line; its final hit
// (a crash) comes four bars into the fifth slot, then the chord rings out and
// the music goes round again from the first slot, six slots later.
inline constexpr std::uint32_t FinalHitMs = FirstSlotMs + 4 * SlotMs + SlotMs / 2;  // 145,640 ms of part two
inline constexpr std::uint32_t TextLoopMs = 6 * SlotMs;                              // 90,000 ms

// Ms from the start of a page's slot until its last point has landed.
std::uint32_t PageLandedAfter(const PointPicture& page);

// The page shown in page slot `slot` (0 = the first), as the text scene picks it.
const PointPicture* PageInSlot(std::uint32_t slot, const PointPicture* one, std::int32_t oneCount,
                               const PointPicture* two, std::int32_t twoCount);

std::uint32_t RecordingQuitTime(const PointPicture* one, std::int32_t oneCount, const PointPicture* two,
                                std::int32_t twoCount);
