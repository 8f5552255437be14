// Exact wide-integer arithmetic shared by every fraction routine: wide
// intermediate values and the one range check that turns them into fields.
//
// Operands come from 32-bit fields, so every intermediate the routines form
// (products of two fields, a least common multiple times a field, sums of
// those) stays far inside 128 bits. Only the final result is checked against
// the field range.
#pragma once

#include "base/wide_integer.h"
#include "fraction/fraction.h"

#include <cstdint>

namespace qx::fraction::exact {

using Wide = base::Int128;

// A fraction or mixed number with exact wide fields.
struct WideFraction {
  Wide numerator;
  Wide denominator;
};
struct WideMixed {
  Wide whole;
  Wide numerator;
  Wide denominator;
};

inline bool fits_field(const Wide &value) {
  return value >= -Wide{kFieldLimit} && value <= Wide{kFieldLimit};
}

inline Wide magnitude(const Wide &value) { return value < 0 ? -value : value; }

inline int sign(const Wide &value) { return (value > 0) - (value < 0); }

// Greatest common divisor of |a| and |b|, non-negative; gcd(0, 0) is 0.
Wide common_divisor(Wide a, Wide b);

inline WideFraction widen(Fraction f) { return {f.numerator, f.denominator}; }
inline WideMixed widen(MixedNumber m) {
  return {m.whole, m.numerator, m.denominator};
}

// The fields as they are, or the invalid value when one does not fit.
Fraction narrow(WideFraction f);
MixedNumber narrow(WideMixed m);

// normalize_fraction_sign, reduce_fraction, normalize_mixed_sign on wide
// values (no range check).
WideFraction normalize_sign(WideFraction f);
WideFraction reduce(WideFraction f);
WideMixed normalize_sign(WideMixed m);
// a and b (both valid) over their least common denominator, sign-normalized.
void bring_to_common_denominator(WideFraction &a, WideFraction &b);
// The improper fraction of a valid mixed number, reduced.
WideFraction improper_of(WideMixed m);
// The mixed number of a valid fraction (fraction_to_mixed after the validity
// check).
WideMixed mixed_of(WideFraction f);
// base^exponent when its magnitude stays within the field range.
bool raise_within_range(Wide base, std::uint32_t exponent, Wide &result);

} // namespace qx::fraction::exact
