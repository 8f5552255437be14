// An exact model of rounding to the nearest double, for tests: rationals of
// unbounded integers, and the check that a double is the nearest one.
#pragma once

#include <boost/multiprecision/cpp_int.hpp>

#include <cmath>
#include <cstdint>
#include <limits>

namespace qx::test {

using ExactInteger =
    boost::multiprecision::number<boost::multiprecision::cpp_int_backend<>,
                                  boost::multiprecision::et_off>;
using ExactRational =
    boost::multiprecision::number<boost::multiprecision::rational_adaptor<
                                      boost::multiprecision::cpp_int_backend<>>,
                                  boost::multiprecision::et_off>;

// n / d for d != 0 (this rational type wants a positive denominator).
inline ExactRational ratio(ExactInteger n, ExactInteger d) {
  if (d < 0) {
    n = -n;
    d = -d;
  }
  return ExactRational(n, d);
}

// The exact value of a finite double.
inline ExactRational exact_value(double x) {
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);
  ExactInteger numerator = static_cast<std::int64_t>(std::ldexp(fraction, 53));
  ExactInteger denominator = 1;
  const int shift = exponent - 53;
  if (shift >= 0)
    numerator <<= shift;
  else
    denominator <<= -shift;
  return ExactRational(numerator, denominator);
}

// True when the last bit of x's 53-bit significand is 1 (x normal).
inline bool has_odd_significand(double x) {
  int exponent = 0;
  const auto significand =
      static_cast<std::int64_t>(std::ldexp(std::frexp(x, &exponent), 53));
  return (significand & 1) != 0;
}

// True when x is the double nearest to q, and on a tie the one with the
// even significand.
inline bool is_nearest_double(double x, const ExactRational &q) {
  if (!std::isfinite(x))
    return false;
  const ExactRational error = abs(exact_value(x) - q);
  const double infinity = std::numeric_limits<double>::infinity();
  for (double neighbour :
       {std::nextafter(x, -infinity), std::nextafter(x, infinity)}) {
    const ExactRational other = abs(exact_value(neighbour) - q);
    if (other < error || (other == error && has_odd_significand(x)))
      return false;
  }
  return true;
}

} // namespace qx::test
