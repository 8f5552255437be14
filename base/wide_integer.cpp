// The correctly rounded quotient of two wide integers.
#include "base/wide_integer.h"

#include <cassert>
#include <cmath>
#include <cstdint>

namespace qx::base {
namespace {

// Integers below 2^53 are doubles exactly, and IEEE division of two exact
// operands is rounded once, to nearest even.
const UInt128 kExactInDouble = UInt128(1) << 53;

// Index of the highest set bit; value is not 0.
int top_bit(const UInt128 &value) {
  return static_cast<int>(boost::multiprecision::msb(value));
}

UInt128 magnitude_of(const Int128 &value) {
  return static_cast<UInt128>(value < 0 ? -value : value);
}

} // namespace

double nearest_quotient(const Int128 &numerator, const Int128 &denominator) {
  assert(denominator != 0);
  if (numerator == 0)
    return 0.0;
  const bool negative = (numerator < 0) != (denominator < 0);
  const UInt128 n = magnitude_of(numerator);
  const UInt128 d = magnitude_of(denominator);
  assert(top_bit(n) < static_cast<int>(kQuotientBits) &&
         top_bit(d) < static_cast<int>(kQuotientBits));

  if (n < kExactInDouble && d < kExactInDouble) {
    const double q = static_cast<double>(static_cast<std::uint64_t>(n)) /
                     static_cast<double>(static_cast<std::uint64_t>(d));
    return negative ? -q : q;
  }

  // q = floor(n * 2^shift / d) has 55 or 56 bits: two or three bits below
  // the 53 a double keeps, and the remainder tells whether anything nonzero
  // lies below those.
  const int shift = 55 + top_bit(d) - top_bit(n);
  UInt128 q;
  bool inexact;
  if (shift >= 0) {
    const UInt128 scaled = n << shift;
    q = scaled / d;
    inexact = scaled % d != 0;
  } else {
    const UInt128 scaled = d << -shift;
    q = n / scaled;
    inexact = n % scaled != 0;
  }
  const int dropped = top_bit(q) - 52;
  const UInt128 low = q & ((UInt128(1) << dropped) - 1);
  const UInt128 half = UInt128(1) << (dropped - 1);
  auto mantissa = static_cast<std::uint64_t>(q >> dropped);
  if (low > half || (low == half && (inexact || (mantissa & 1) != 0)))
    ++mantissa; // 2^53 at most, still exact in a double
  const double value =
      std::ldexp(static_cast<double>(mantissa), dropped - shift);
  return negative ? -value : value;
}

} // namespace qx::base
