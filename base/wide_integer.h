// Exact 128-bit integers for arithmetic on 32-bit fields, the same type on
// every target (a native 128-bit value where the compiler has one, limbs
// elsewhere), and the correctly rounded quotient of two of them.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>

namespace qx::base {

using Int128 = boost::multiprecision::int128_t;
using UInt128 = boost::multiprecision::uint128_t;

// The magnitudes this header's rounding accepts lie below 2^kQuotientBits:
// every product of two 32-bit numbers, and sums of a few of them, qualify.
inline constexpr unsigned kQuotientBits = 72;

// The double nearest to the exact quotient numerator / denominator, ties to
// even; +0 for a zero numerator. The denominator is not 0 and both
// magnitudes lie below 2^kQuotientBits, so the quotient is a normal double.
double nearest_quotient(const Int128 &numerator, const Int128 &denominator);

// The double nearest to value, ties to even.
inline double nearest_double(const Int128 &value) {
  return nearest_quotient(value, 1);
}

} // namespace qx::base
