// The one conversion of a double to a 32-bit integer, shared by the
// runtime's commands and the program side's support routines.
#pragma once

#include <cmath>
#include <cstdint>

namespace qx::rt::text {

// Truncates toward zero to 64 bits and keeps the low 32 bits read as signed;
// NaN, infinities and magnitudes of 2^63 or more give 0.
inline std::int32_t truncate_to_int32(double value) {
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isnan(value) || std::fabs(value) >= kTwoTo63)
    return 0;
  const auto whole = static_cast<std::int64_t>(value);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(whole));
}

} // namespace qx::rt::text
