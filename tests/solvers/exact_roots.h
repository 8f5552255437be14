// An exact test of a computed root of ax^2 + bx + c = 0 that needs no
// square root.
#pragma once

#include "tests/base/exact_rounding.h"

#include <cstdint>
#include <utility>

namespace qx::test {

// True when r lies within a relative `tolerance` (a power of two) of the root
// (-b + sign*sqrt(d)) / (2a), decided without computing the square root:
// r is within [lo, hi] exactly when sign*sqrt(d) lies between 2a*lo + b and
// 2a*hi + b.
inline bool near_root(double r, std::int32_t a, std::int32_t b,
                      const ExactInteger &d, int sign, int tolerance_bits) {
  const ExactRational value = exact_value(r);
  const ExactRational slack =
      abs(value) / ExactRational(ExactInteger(1) << tolerance_bits);
  ExactRational low = 2 * ExactRational(a) * (value - slack) + b;
  ExactRational high = 2 * ExactRational(a) * (value + slack) + b;
  if (low > high)
    std::swap(low, high);
  // t = sign*sqrt(d): is low <= t and t <= high?
  const auto at_most_root = [&](const ExactRational &x) {
    if (sign > 0)
      return x <= 0 || x * x <= d;
    return x <= 0 && x * x >= d;
  };
  const auto at_least_root = [&](const ExactRational &x) {
    if (sign > 0)
      return x >= 0 && x * x >= d;
    return x >= 0 || x * x <= d;
  };
  return at_most_root(low) && at_least_root(high);
}

} // namespace qx::test
