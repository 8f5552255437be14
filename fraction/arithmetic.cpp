// Validity, sign rules, gcd and lcm, reduction, common denominators, the four
// operations and powers of fractions.
#include "fraction/exact.h"
#include "fraction/fraction.h"

#include <cstdlib>
#include <numeric>

namespace qx::fraction {

using exact::Wide;
using exact::WideFraction;

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
  return exact::narrow(exact::reduce(exact::widen(f)));
}

std::array<Fraction, 2> common_denominator(Fraction a, Fraction b) {
  if (!is_valid(a) || !is_valid(b))
    return {a, b};
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
  // every intermediate within the field range.
  WideFraction base = exact::reduce(exact::widen(f));
  if (n < 0) {
    if (base.numerator == 0)
      return kInvalidFraction;
    base =
        exact::normalize_sign(WideFraction{base.denominator, base.numerator});
  }
  // The magnitude of n as unsigned, also for -2147483648.
  std::uint32_t exponent = n < 0 ? 0u - static_cast<std::uint32_t>(n)
                                 : static_cast<std::uint32_t>(n);
  Wide numerator = 0;
  Wide denominator = 0;
  if (!exact::raise_within_range(base.numerator, exponent, numerator) ||
      !exact::raise_within_range(base.denominator, exponent, denominator))
    return kInvalidFraction;
  return exact::narrow(exact::reduce({numerator, denominator}));
}

} // namespace qx::fraction
