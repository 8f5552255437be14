// Exact wide-integer arithmetic shared by every fraction routine.
#include "fraction/exact.h"

#include <cstdint>
#include <limits>
#include <numeric>

namespace qx::fraction::exact {
namespace {

const Wide kMax64 = std::numeric_limits<std::uint64_t>::max();
const Wide kMaxSigned64 = std::numeric_limits<std::int64_t>::max();

// Within +-(2^63 - 1): std::gcd of two such values cannot overflow.
bool fits_64(const Wide &value) {
  return value <= kMaxSigned64 && value >= -kMaxSigned64;
}

} // namespace

Wide common_divisor(Wide a, Wide b) {
  a = magnitude(a);
  b = magnitude(b);
  while (b != 0) {
    // Nearly every operand fits in 64 bits, where division is far cheaper.
    if (a <= kMax64 && b <= kMax64)
      return std::gcd(static_cast<std::uint64_t>(a),
                      static_cast<std::uint64_t>(b));
    Wide rest = a % b;
    a = b;
    b = rest;
  }
  return a;
}

Fraction narrow(WideFraction f) {
  if (!fits_field(f.numerator) || !fits_field(f.denominator))
    return kInvalidFraction;
  return {static_cast<std::int32_t>(f.numerator),
          static_cast<std::int32_t>(f.denominator)};
}

MixedNumber narrow(WideMixed m) {
  if (!fits_field(m.whole) || !fits_field(m.numerator) ||
      !fits_field(m.denominator))
    return kInvalidMixed;
  return {static_cast<std::int32_t>(m.whole),
          static_cast<std::int32_t>(m.numerator),
          static_cast<std::int32_t>(m.denominator)};
}

WideFraction normalize_sign(WideFraction f) {
  if (f.numerator != 0 && f.denominator < 0)
    return {-f.numerator, -f.denominator};
  return f;
}

WideFraction reduce(WideFraction f) {
  if (f.denominator == 0)
    return f;
  f = normalize_sign(f);
  // Nearly every value fits in 64 bits, where the arithmetic is far cheaper.
  if (fits_64(f.numerator) && fits_64(f.denominator)) {
    const auto numerator = static_cast<std::int64_t>(f.numerator);
    const auto denominator = static_cast<std::int64_t>(f.denominator);
    const std::int64_t divisor = std::gcd(numerator, denominator);
    return {numerator / divisor, denominator / divisor};
  }
  // The denominator is not 0, so neither is the divisor.
  Wide divisor = common_divisor(f.numerator, f.denominator);
  return {f.numerator / divisor, f.denominator / divisor};
}

WideMixed normalize_sign(WideMixed m) {
  int value_sign = sign(m.whole) * sign(m.numerator) * sign(m.denominator);
  if (value_sign < 0)
    return {magnitude(m.whole), -magnitude(m.numerator),
            magnitude(m.denominator)};
  if (value_sign > 0)
    return {magnitude(m.whole), magnitude(m.numerator),
            magnitude(m.denominator)};
  return m;
}

void bring_to_common_denominator(WideFraction &a, WideFraction &b) {
  a = reduce(a);
  b = reduce(b);
  Wide left = magnitude(a.denominator);
  Wide right = magnitude(b.denominator);
  Wide multiple = left / common_divisor(left, right) * right;
  // Each denominator divides the multiple, so the quotients are exact.
  a = normalize_sign(
      WideFraction{a.numerator * (multiple / a.denominator), multiple});
  b = normalize_sign(
      WideFraction{b.numerator * (multiple / b.denominator), multiple});
}

WideFraction improper_of(WideMixed m) {
  m = normalize_sign(m);
  Wide scaled = m.whole * m.denominator;
  Wide numerator = m.numerator < 0 ? -(scaled + magnitude(m.numerator))
                                   : scaled + m.numerator;
  return reduce({numerator, m.denominator});
}

WideMixed mixed_of(WideFraction f) {
  f = reduce(f);
  if (magnitude(f.numerator) < magnitude(f.denominator))
    return {0, f.numerator, f.denominator};
  // Both truncate toward zero; the remainder takes the dividend's sign.
  Wide quotient = f.numerator / f.denominator;
  Wide rest = f.numerator % f.denominator;
  if (rest != 0)
    return {magnitude(quotient), rest, f.denominator};
  return {quotient, 0, f.denominator};
}

bool raise_within_range(Wide base, std::uint32_t exponent, Wide &result) {
  if (base == 0 || base == 1) {
    result = exponent == 0 ? 1 : base;
    return true;
  }
  if (base == -1) {
    result = exponent % 2 == 0 ? 1 : -1;
    return true;
  }
  // |base| >= 2: at most 31 factors before the power leaves the range.
  Wide power = 1;
  for (std::uint32_t i = 0; i < exponent; ++i) {
    power *= base;
    if (!fits_field(power))
      return false;
  }
  result = power;
  return true;
}

} // namespace qx::fraction::exact
