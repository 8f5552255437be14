// Validity, sign rules, gcd and lcm, reduction, common denominators, the four
// operations and powers of fractions.
#include "fraction/exact.h"
#include "fraction/fraction.h"

#include <cstdlib>
#include <limits>
#include <numeric>
#include <utility>

namespace qx::fraction {

using exact::Wide;
using exact::WideFraction;

namespace {

// ---- 64-bit paths --------------------------------------------------------
//
// Fields are 32-bit, so products of two fields fit in 64 bits; these paths
// give exactly what the wide paths give, without 128-bit arithmetic.

struct Pair64 {
  std::int64_t numerator;
  std::int64_t denominator;
};

std::uint64_t magnitude64(std::int64_t value) {
  return value < 0 ? 0u - static_cast<std::uint64_t>(value)
                   : static_cast<std::uint64_t>(value);
}

// Euclid's algorithm on magnitudes, in 32-bit arithmetic as soon as both
// values fit there: a hardware division per step is cheaper than the
// shifts of a binary gcd on the processors this runs on.
std::uint64_t gcd64(std::uint64_t a, std::uint64_t b) {
  while (b != 0 && (a | b) > std::numeric_limits<std::uint32_t>::max()) {
    const std::uint64_t rest = a % b;
    a = b;
    b = rest;
  }
  if (b == 0)
    return a;
  auto x = static_cast<std::uint32_t>(a);
  auto y = static_cast<std::uint32_t>(b);
  while (y != 0) {
    const std::uint32_t rest = x % y;
    x = y;
    y = rest;
  }
  return x;
}

// exact::reduce for values within +-2^62: canonical sign, lowest terms; a
// zero denominator leaves the value as it stands.
Pair64 reduce64(Pair64 f) {
  if (f.denominator == 0)
    return f;
  if (f.numerator != 0 && f.denominator < 0)
    f = {-f.numerator, -f.denominator};
  const std::uint64_t numerator = magnitude64(f.numerator);
  const std::uint64_t denominator = magnitude64(f.denominator);
  const std::uint64_t divisor = gcd64(numerator, denominator);
  // The quotients of magnitudes, in 32 bits where they fit.
  std::uint64_t reduced_numerator = 0;
  std::uint64_t reduced_denominator = 0;
  if ((numerator | denominator) <= std::numeric_limits<std::uint32_t>::max()) {
    const auto divisor32 = static_cast<std::uint32_t>(divisor);
    reduced_numerator = static_cast<std::uint32_t>(numerator) / divisor32;
    reduced_denominator = static_cast<std::uint32_t>(denominator) / divisor32;
  } else {
    reduced_numerator = numerator / divisor;
    reduced_denominator = denominator / divisor;
  }
  // Each quotient is at most its dividend, below 2^63.
  const auto n = static_cast<std::int64_t>(reduced_numerator);
  const auto d = static_cast<std::int64_t>(reduced_denominator);
  return {f.numerator < 0 ? -n : n, f.denominator < 0 ? -d : d};
}

bool fits_field64(std::int64_t value) {
  return value >= -kFieldLimit && value <= kFieldLimit;
}

Fraction narrow64(Pair64 f) {
  if (!fits_field64(f.numerator) || !fits_field64(f.denominator))
    return kInvalidFraction;
  return {static_cast<std::int32_t>(f.numerator),
          static_cast<std::int32_t>(f.denominator)};
}

// Both fields within the field range: then a field times a quotient of
// denominators stays below 2^62 and the sum of two such below 2^63.
bool within_field(Fraction f) {
  return f.numerator != std::numeric_limits<std::int32_t>::min() &&
         f.denominator != std::numeric_limits<std::int32_t>::min();
}

// a and b (valid, within_field) over their least common denominator.
std::array<Pair64, 2> common64(Fraction a, Fraction b) {
  const Pair64 left = reduce64({a.numerator, a.denominator});
  const Pair64 right = reduce64({b.numerator, b.denominator});
  // A zero numerator may keep a negative denominator; only magnitudes
  // enter the multiple, and a zero numerator stays zero.
  const auto left_d = static_cast<std::int64_t>(magnitude64(left.denominator));
  const auto right_d =
      static_cast<std::int64_t>(magnitude64(right.denominator));
  const std::int64_t multiple =
      left_d /
      static_cast<std::int64_t>(gcd64(static_cast<std::uint64_t>(left_d),
                                      static_cast<std::uint64_t>(right_d))) *
      right_d;
  return {Pair64{left.numerator * (multiple / left_d), multiple},
          Pair64{right.numerator * (multiple / right_d), multiple}};
}

} // namespace

bool is_valid(Fraction f) { return f.denominator != 0; }

bool is_valid(MixedNumber m) { return m.denominator != 0; }

bool is_proper(Fraction f) {
  return exact::magnitude(f.numerator) < exact::magnitude(f.denominator);
}

Fraction normalize_fraction_sign(Fraction f) {
  return exact::narrow(exact::normalize_sign(exact::widen(f)));
}

MixedNumber normalize_mixed_sign(MixedNumber m) {
  return exact::narrow(exact::normalize_sign(exact::widen(m)));
}

std::int32_t gcd(std::int32_t a, std::int32_t b) {
  // 64 bits: -2147483648 % -1 must not trap. Each value after the first two
  // is a remainder smaller in magnitude than its divisor, so the result is
  // one of a, b or smaller and fits again.
  std::int64_t x = a;
  std::int64_t y = b;
  while (y != 0) {
    std::int64_t rest = x % y;
    x = y;
    y = rest;
  }
  return static_cast<std::int32_t>(x);
}

std::int32_t lcm(std::int32_t a, std::int32_t b) {
  if (a == 0 || b == 0)
    return 0;
  // |a| × |b| < 2^62: 64 bits hold every multiple.
  const std::int64_t left = a;
  const std::int64_t right = b < 0 ? -std::int64_t{b} : std::int64_t{b};
  const std::int64_t multiple = left / std::gcd(left, right) * right;
  if (multiple < -kFieldLimit || multiple > kFieldLimit)
    return 0;
  return static_cast<std::int32_t>(multiple);
}

Fraction reduce_fraction(Fraction f) {
  if (!is_valid(f))
    return f;
  return narrow64(reduce64({f.numerator, f.denominator}));
}

std::array<Fraction, 2> common_denominator(Fraction a, Fraction b) {
  if (!is_valid(a) || !is_valid(b))
    return {a, b};
  if (within_field(a) && within_field(b)) {
    const auto [left, right] = common64(a, b);
    const Fraction first = narrow64(left);
    const Fraction second = narrow64(right);
    if (!is_valid(first) || !is_valid(second))
      return {kInvalidFraction, kInvalidFraction};
    return {first, second};
  }
  WideFraction left = exact::widen(a);
  WideFraction right = exact::widen(b);
  exact::bring_to_common_denominator(left, right);
  Fraction first = exact::narrow(left);
  Fraction second = exact::narrow(right);
  if (!is_valid(first) || !is_valid(second))
    return {kInvalidFraction, kInvalidFraction};
  return {first, second};
}

Fraction fraction_arith(Fraction a, std::int32_t op, Fraction b) {
  if (!is_valid(a) || !is_valid(b))
    return kInvalidFraction;
  // Products of two fields fit in 64 bits; so do sums over the common
  // denominator when no field is -2147483648.
  const std::int64_t an = a.numerator, ad = a.denominator;
  const std::int64_t bn = b.numerator, bd = b.denominator;
  switch (static_cast<OperatorCode>(op)) {
  case OperatorCode::Add:
  case OperatorCode::Subtract:
    if (within_field(a) && within_field(b)) {
      // Over the product of the denominators and reduced once: each
      // product lies below 2^62 - 2^32, so the sum stays below 2^63.
      const std::int64_t scaled_b = bn * ad;
      const std::int64_t sum =
          an * bd + (op == static_cast<std::int32_t>(OperatorCode::Add)
                         ? scaled_b
                         : -scaled_b);
      if (sum == 0)
        return {0, 1};
      return narrow64(reduce64({sum, ad * bd}));
    }
    break;
  case OperatorCode::Multiply:
    return narrow64(reduce64({an * bn, ad * bd}));
  case OperatorCode::Divide:
    return narrow64(reduce64({an * bd, ad * bn}));
  default:
    return kInvalidFraction;
  }
  WideFraction left = exact::widen(a);
  WideFraction right = exact::widen(b);
  WideFraction result{};
  switch (static_cast<OperatorCode>(op)) {
  case OperatorCode::Add:
  case OperatorCode::Subtract:
    exact::bring_to_common_denominator(left, right);
    result = {op == static_cast<std::int32_t>(OperatorCode::Add)
                  ? left.numerator + right.numerator
                  : left.numerator - right.numerator,
              right.denominator};
    break;
  case OperatorCode::Multiply:
    // From the operands as supplied, not reduced first.
    result = {left.numerator * right.numerator,
              left.denominator * right.denominator};
    break;
  case OperatorCode::Divide:
    result = {left.numerator * right.denominator,
              left.denominator * right.numerator};
    break;
  default:
    return kInvalidFraction;
  }
  return exact::narrow(exact::reduce(result));
}

Fraction fraction_power(Fraction f, std::int32_t n) {
  if (!is_valid(f))
    return f;
  // Powers of the reduced base are coprime again, so reducing first keeps
  // every intermediate within the field range. The reduced fields lie
  // within +-2^31, so a product of a power within the range and a field
  // stays below 2^62.
  Pair64 base = reduce64({f.numerator, f.denominator});
  if (n < 0) {
    if (base.numerator == 0)
      return kInvalidFraction;
    base = base.numerator < 0 ? Pair64{-base.denominator, -base.numerator}
                              : Pair64{base.denominator, base.numerator};
  }
  // The magnitude of n as unsigned, also for -2147483648.
  const std::uint32_t exponent = n < 0 ? 0u - static_cast<std::uint32_t>(n)
                                       : static_cast<std::uint32_t>(n);
  const auto raise = [exponent](std::int64_t value, std::int64_t &result) {
    if (value == 0 || value == 1) {
      result = exponent == 0 ? 1 : value;
      return true;
    }
    if (value == -1) {
      result = exponent % 2 == 0 ? 1 : -1;
      return true;
    }
    // |value| >= 2: at most 31 factors before the power leaves the range.
    std::int64_t power = 1;
    for (std::uint32_t i = 0; i < exponent; ++i) {
      power *= value;
      if (!fits_field64(power))
        return false;
    }
    result = power;
    return true;
  };
  std::int64_t numerator = 0;
  std::int64_t denominator = 0;
  if (!raise(base.numerator, numerator) ||
      !raise(base.denominator, denominator))
    return kInvalidFraction;
  return narrow64(reduce64({numerator, denominator}));
}

} // namespace qx::fraction
