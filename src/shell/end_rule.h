// When a recording made without --quit-at asks to quit, in ms of part two.
//
// The whole of part two once: the scanner scene, then the text pages at 15 s
// each, the first set three times over and the second set once. Then it waits
// for the music: the closing starts where the module's text section comes
// round (its crash, every 61.44 s), at the first such moment that finds the
// page on screen fully landed, so the show ends on the beat and on a whole page.
#pragma once

#include <cstdint>

#include "assets/pages.h"

// Part-two times of the text scene's page slots (the scene runs from
// 76,220 ms of part two, its first slot 1,920 ms later) and of the flights.
inline constexpr std::uint32_t FirstSlotMs = 76220 + 1920;
inline constexpr std::uint32_t SlotMs = 15000;
inline constexpr std::uint32_t FlightsFromMs = 1000;  // within a slot
inline constexpr std::uint32_t OrderStepMs = 10;
inline constexpr std::uint32_t FlightMs = 800;

// The default module (tools/music, TuneSong) starts with the countdown, 15,360 ms
// before part two, and plays rows of 120 ms; its text section, row 768 on,
// opens with a crash and loops every 512 rows.
inline constexpr std::uint32_t ModuleLeadMs = 9600 + 5760;
inline constexpr std::uint32_t SectionFromMs = 768 * 120 - ModuleLeadMs;  // 76,800 ms of part two
inline constexpr std::uint32_t SectionMs = 512 * 120;                     // 61,440 ms

// Ms from the start of a page's slot until its last point has landed.
std::uint32_t PageLandedAfter(const PointPicture& page);

// The page shown in page slot `slot` (0 = the first), as the text scene picks it.
const PointPicture* PageInSlot(std::uint32_t slot, const PointPicture* one, std::int32_t oneCount,
                               const PointPicture* two, std::int32_t twoCount);

std::uint32_t RecordingQuitTime(const PointPicture* one, std::int32_t oneCount, const PointPicture* two,
                                std::int32_t twoCount);
