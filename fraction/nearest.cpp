// The fraction nearest to a double within the field range, by continued
// fractions on the double's exact binary value.
#include "base/wide_integer.h"
#include "fraction/fraction.h"

#include <algorithm>
#include <cmath>

namespace qx::fraction {
namespace {

using WideUnsigned = base::UInt128;

constexpr std::uint64_t kLimit = static_cast<std::uint64_t>(kFieldLimit);

// The largest t with base × t + offset <= kLimit; base is not 0.
std::uint64_t largest_multiplier(std::uint64_t base, std::uint64_t offset) {
  return (kLimit - offset) / base;
}

// x in [0, kLimit].
Fraction nearest_non_negative(double x) {
  // Below 2^-40 the nearest candidates are 0/1 and 1/2147483647, and 0/1 is
  // nearer.
  if (x < 0x1p-40)
    return {0, 1};
  // x = mantissa × 2^exponent with mantissa in [0.5, 1), so x is the exact
  // ratio of a 53-bit integer and 2^shift with shift in [22, 92].
  int exponent = 0;
  double mantissa = std::frexp(x, &exponent);
  auto remaining = static_cast<WideUnsigned>(std::ldexp(mantissa, 53));
  WideUnsigned divisor = WideUnsigned{1} << (53 - exponent);

  // Convergents h/k of x: (h1, k1) the last, (h2, k2) the one before. At the
  // top of the loop remaining / divisor is the complete quotient r of the
  // next step.
  std::uint64_t h2 = 0, h1 = 1;
  std::uint64_t k2 = 1, k1 = 0;
  for (;;) {
    WideUnsigned term = remaining / divisor;
    std::uint64_t room = kLimit;
    if (h1 != 0)
      room = std::min(room, largest_multiplier(h1, h2));
    if (k1 != 0)
      room = std::min(room, largest_multiplier(k1, k2));
    if (term > room) {
      // The next convergent is out of range. The nearest fraction in range
      // is the last convergent or the semiconvergent (room·h1 + h2) /
      // (room·k1 + k2); the latter is strictly nearer exactly when
      // r < 2·room + k2 / k1. On a tie the convergent, whose denominator is
      // the smaller, wins.
      WideUnsigned twice_plus = 2 * WideUnsigned{room} * k1 + k2;
      if (room > 0 && remaining * k1 < twice_plus * divisor)
        return {static_cast<std::int32_t>(room * h1 + h2),
                static_cast<std::int32_t>(room * k1 + k2)};
      return {static_cast<std::int32_t>(h1), static_cast<std::int32_t>(k1)};
    }
    auto step = static_cast<std::uint64_t>(term);
    std::uint64_t h = step * h1 + h2;
    std::uint64_t k = step * k1 + k2;
    h2 = h1;
    h1 = h;
    k2 = k1;
    k1 = k;
    WideUnsigned rest = remaining - term * divisor;
    if (rest == 0)
      return {static_cast<std::int32_t>(h1), static_cast<std::int32_t>(k1)};
    remaining = divisor;
    divisor = rest;
  }
}

} // namespace

Fraction nearest_fraction(double x) {
  if (std::isnan(x) || std::fabs(x) > static_cast<double>(kFieldLimit))
    return kInvalidFraction;
  Fraction f = nearest_non_negative(std::fabs(x));
  if (x < 0)
    f.numerator = -f.numerator;
  return f;
}

} // namespace qx::fraction
