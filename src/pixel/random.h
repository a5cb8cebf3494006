// The one pseudo-random source: a linear congruential generator with a 32-bit
// state that starts at 1 and is never reseeded by the demo.
// state = state * 214013 + 2531011 (mod 2^32); result (state >> 16) & 0x7FFF.
#pragma once

#include <cstdint>

// Exposed so tests can put the sequence back at its start; the demo never writes it.
extern std::uint32_t RandomState;

std::int32_t NextRandom();
