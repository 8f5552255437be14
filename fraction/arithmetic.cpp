// Validity, sign rules, gcd and lcm, reduction, common denominators, the four
// operations and powers of fractions.
#include "fraction/binary_gcd.h"
#include "fraction/exact.h"
#include "fraction/fraction.h"

#include <cstdlib>
#include <limits>
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

// The divisor of magnitudes below 2^63, in 32-bit words when both are
// below 2^31.
std::uint64_t gcd64(std::uint64_t a, std::uint64_t b) {
  if ((a | b) < std::uint64_t{1} << 31)
    return binary::gcd(static_cast<std::uint32_t>(a),
                       static_cast<std::uint32_t>(b));
  return binary::gcd(a, b);
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

// a and b (valid, within_field) over their least common denominator: each
// reduced first, as reduce64 would (a zero numerator stays zero), then
// scaled to the least common multiple of the reduced denominators.
std::array<Pair64, 2> common64(Fraction a, Fraction b) {
  // Magnitudes below 2^31, so the quotients are 32-bit divisions.
  const auto left_n = static_cast<std::uint32_t>(magnitude64(a.numerator));
  const auto left_d = static_cast<std::uint32_t>(magnitude64(a.denominator));
  const auto right_n = static_cast<std::uint32_t>(magnitude64(b.numerator));
  const auto right_d = static_cast<std::uint32_t>(magnitude64(b.denominator));
  // The two reductions and the divisor of the denominators as typed are
  // independent: one loop runs all three.
  const auto [left_g, right_g, typed_shared] =
      binary::three_gcds(left_n, left_d, right_n, right_d, left_d, right_d);
  const std::uint32_t left_divisor = left_g;
  const std::uint32_t right_divisor = right_g;
  const std::uint32_t reduced_left_d = left_d / left_divisor;
  const std::uint32_t reduced_right_d = right_d / right_divisor;
  // The reduced denominators' divisor divides typed_shared, which for most
  // operands is 1 or small: gcd(divisor, value) taken as a remainder by the
  // small divisor first, then a gcd of small values.
  const auto within = [](std::uint32_t divisor, std::uint32_t value) {
    return divisor == 1 ? 1u : binary::gcd(divisor, value % divisor);
  };
  const std::uint32_t shared =
      within(within(typed_shared, reduced_left_d), reduced_right_d);
  // multiple / reduced_left_d and multiple / reduced_right_d.
  const std::uint32_t left_scale = reduced_right_d / shared;
  const std::uint32_t right_scale = reduced_left_d / shared;
  const auto multiple =
      static_cast<std::int64_t>(std::uint64_t{reduced_left_d} * left_scale);
  const auto signed_numerator = [](Fraction f, std::uint32_t magnitude) {
    return (f.numerator < 0) != (f.denominator < 0) ? -std::int64_t{magnitude}
                                                    : std::int64_t{magnitude};
  };
  // Each product is below 2^62.
  return {
      Pair64{signed_numerator(a, left_n / left_divisor) * left_scale, multiple},
      Pair64{signed_numerator(b, right_n / right_divisor) * right_scale,
             multiple}};
}

} // namespace

bool is_valid(Fraction f) { return f.denominator != 0; }

bool is_valid(MixedNumber m) { return m.denominator != 0; }

bool is_proper(Fraction f) {
  return exact::magnitude(f.numerator) < exact::magnitude(f.denominator);
}

Fraction normalize_fraction_sign(Fraction f) {
  // In 64 bits, where -(-2147483648) fits; narrow64 refuses a field outside
  // the field range, negated or not, as the wide path's narrow does.
  const bool negate = f.numerator != 0 && f.denominator < 0;
  const std::int64_t numerator = f.numerator, denominator = f.denominator;
  return narrow64(negate ? Pair64{-numerator, -denominator}
                         : Pair64{numerator, denominator});
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
  const auto divisor =
      static_cast<std::int64_t>(gcd64(magnitude64(left), magnitude64(right)));
  const std::int64_t multiple = left / divisor * right;
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
  // Powers of coprime values are coprime, and the denominator is positive
  // unless the numerator is 0: already in lowest terms with canonical sign.
  return narrow64({numerator, denominator});
}

} // namespace qx::fraction
