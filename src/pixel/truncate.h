// Float-to-integer conversions that truncate toward zero. A value outside the
// target's range, or NaN, gives the target's lowest value (what the x86
// conversion instructions give), so its low 16 bits are 0; never undefined.
#pragma once

#include <cstdint>
#include <limits>

inline std::int32_t TruncateToInt32(double x) {
  if (!(x > -2147483649.0 && x < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(x);
}

inline std::int64_t TruncateToInt64(double x) {
  if (!(x >= -9223372036854775808.0 && x < 9223372036854775808.0)) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return static_cast<std::int64_t>(x);
}

// The low 16 bits of an integer as a signed 16-bit value (wrap-around).
inline std::int16_t Low16(std::int64_t x) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(x)); }
