// The show's timetable: its six phases by name, how long each runs, and where
// each begins on a virtual clock of a given frame rate. Everything that needs
// a phase's length or start (the master sequence, the scanner's hand-over to
// the text pages, the recording's chapters, the seek keys, the page's
// timeline, --check) reads it here.
#pragma once

#include <cstdint>

enum class Phase : int { TitleCard = 1, PartOne, Countdown, Bridge, PartTwo, Closing };

// Phase lengths in ms. Part two runs until a quit; its scanner scene hands
// over to the text pages after ScannerMs. The closing always runs out.
inline constexpr std::uint32_t TitleCardMs = 20000;
inline constexpr std::uint32_t PartOneMs = 54000;
inline constexpr std::uint32_t CountdownMs = 9600;
inline constexpr std::uint32_t BridgeMs = 5760;
inline constexpr std::uint32_t ScannerMs = 76800;
inline constexpr std::uint32_t ClosingMs = 10000;
// Part one shows the blinking badge over its last seconds, from this time on.
inline constexpr std::uint32_t BadgeFromMs = 51000;

// The phases before part two, nominally.
inline constexpr std::uint32_t BeforePartTwoMs = TitleCardMs + PartOneMs + CountdownMs + BridgeMs;
// From the module's start (the countdown) to part two's.
inline constexpr std::uint32_t ModuleLeadMs = CountdownMs + BridgeMs;

// "title card", "part one", ..., "closing".
const char* PhaseName(Phase phase);

// The marks a viewer seeks between: the five phases before the closing, and
// the text pages within part two. The closing has no fixed start: it follows
// a quit.
inline constexpr int ShowMarks = 6;
extern const char* const ShowMarkNames[ShowMarks + 1];  // the closing last

// The show time at which each mark begins on a virtual clock of `fps` frames
// a second, as the master sequence's rules place them: a phase ends on the
// first frame whose time reaches its length (part one on the frame after it).
void PhaseStartsOnGrid(std::uint32_t fps, std::uint32_t starts[ShowMarks]);
// The show time of the text pages' first frame, for part two begun at partTwo.
std::uint32_t TextPagesStart(std::uint32_t partTwo, std::uint32_t fps);
