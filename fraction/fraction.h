// The fraction module: value types, text forms, arithmetic and conversions.
//
// Every routine takes its operands as values and returns a new value. Fields
// are signed 32-bit integers, but a value the module produces keeps each
// field within -2147483647 ... 2147483647: every intermediate product and sum
// is computed exactly, and a result whose fields do not fit there is the
// invalid value (0/0, or {0, 0, 0} for a mixed number) instead of a
// wrapped-around number. Texts are GBK, zero-terminated; a null text reads as
// "". The text routines read and write the bytes themselves and hand out
// written texts by value; those that read a number beyond a plain decimal
// through the runtime (text_to_fraction, decimal_to_fraction) need a bound
// runtime (qx::sdk::bind).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qx::fraction {

// numerator / denominator. Canonical sign: the denominator is positive
// whenever the numerator is not 0. Invalid when the denominator is 0.
struct Fraction {
  std::int32_t numerator;
  std::int32_t denominator;

  friend bool operator==(const Fraction &, const Fraction &) = default;
};

// whole + numerator / denominator. The value's sign is the sign of
// whole × numerator × denominator; in canonical form whole and denominator
// are non-negative and the numerator carries the sign. When whole or
// numerator is 0 each field keeps its own sign ({0, -1, 3} is minus one
// third, {-2, 0, 1} is minus two). Invalid when the denominator is 0.
struct MixedNumber {
  std::int32_t whole;
  std::int32_t numerator;
  std::int32_t denominator;

  friend bool operator==(const MixedNumber &, const MixedNumber &) = default;
};

// The module's "no result" values, the values of the texts "0/0" and
// "0&0/0".
inline constexpr Fraction kInvalidFraction{0, 0};
inline constexpr MixedNumber kInvalidMixed{0, 0, 0};

// The largest field magnitude the module produces.
inline constexpr std::int32_t kFieldLimit = 2147483647;

// Operator codes of fraction_arith: the item values of the operator lists.
enum class OperatorCode : std::int32_t {
  Add = 1,
  Subtract = 2,
  Multiply = 3,
  Divide = 4,
};

// ---- Arithmetic ----------------------------------------------------------

bool is_valid(Fraction f);
bool is_valid(MixedNumber m);
// |numerator| < |denominator|; never for an invalid fraction.
bool is_proper(Fraction f);
// Moves a negative denominator's sign to the numerator; a zero numerator
// keeps its denominator's sign (0/-5 stays 0/-5). A field of -2147483648
// gives 0/0.
Fraction normalize_fraction_sign(Fraction f);
// Canonical sign form, the sign taken from the signs of the three fields;
// unchanged when whole or numerator is 0. A field of -2147483648 gives
// {0, 0, 0}.
MixedNumber normalize_mixed_sign(MixedNumber m);
// Euclid's algorithm with the remainder taking the dividend's sign; callers
// pass magnitudes, so gcd(0, b) is b and gcd(a, 0) is a.
std::int32_t gcd(std::int32_t a, std::int32_t b);
// The least common multiple of |a| and |b|, with the sign of a; 0 when either
// is 0, and 0 when the multiple does not fit in the field range.
std::int32_t lcm(std::int32_t a, std::int32_t b);
// Lowest terms with canonical sign (0/5 is 0/1, 0/-5 is 0/-1); an invalid
// fraction comes back unchanged.
Fraction reduce_fraction(Fraction f);
// a and b over their least common denominator, in that order. Invalid
// operands come back unchanged; results that do not fit give [0/0, 0/0].
std::array<Fraction, 2> common_denominator(Fraction a, Fraction b);
// a op b in lowest terms for op 1 to 4 (OperatorCode); 0/0 for an invalid
// operand, any other code, or a result that does not fit. Dividing by a zero
// fraction gives the invalid {a.numerator × b.denominator, 0}.
Fraction fraction_arith(Fraction a, std::int32_t op, Fraction b);
// f to the power n in lowest terms; an invalid f comes back unchanged. A
// negative n gives the power of the reciprocal (0/0 for a zero numerator);
// n = 0 gives 1/1.
Fraction fraction_power(Fraction f, std::int32_t n);

// ---- Conversions ---------------------------------------------------------

// The improper fraction, reduced; 0/0 for an invalid m.
Fraction mixed_to_fraction(MixedNumber m);
// {0, n, d} for a proper fraction, else the whole part and the remainder with
// the sign on the numerator; a negative whole number keeps its sign on the
// whole part (-2/1 is {-2, 0, 1}). {0, 0, 0} for an invalid f.
MixedNumber fraction_to_mixed(Fraction f);
// Lowest terms with a proper fraction part ({2, 4, 3} is {3, 1, 3}); an
// invalid m comes back unchanged.
MixedNumber reduce_mixed(MixedNumber m);
// 0.0 for an invalid value.
double fraction_to_decimal(Fraction f);
double mixed_to_decimal(MixedNumber m);
// The exact fraction of the decimal the runtime writes for x (0.75 is 3/4);
// where those digits give no fraction within the field range, the nearest
// fraction to x whose fields fit (0/0 when |x| > 2147483647 or x is not a
// number). Needs a bound runtime.
Fraction decimal_to_fraction(double x);
MixedNumber decimal_to_mixed(double x);
// numerator / denominator rounded by the runtime's round_number (halves away
// from zero); 0 for an invalid f. Needs a bound runtime.
std::int32_t fraction_nearest_int(Fraction f);
// The fraction nearest to x with numerator and denominator within the field
// range (denominator positive); on a tie the smaller denominator. 0/0 when
// |x| > 2147483647 or x is not a number.
Fraction nearest_fraction(double x);

// ---- Text forms -------------------------------------------------------------

// "3/4", "-6/8", "3 / 4" (reduced, canonical sign) or a whole number "5"
// (5/1). A side that holds no number reads as 0; a number outside the field
// range gives 0/0.
Fraction parse_fraction(const char *text);
// "2&1/3", "-2&1/3", "2&4/3" (lowest terms, proper fraction part); a whole
// part of -0 negates the number ("-0&1/3" is minus one third); anything
// without exactly one "&", with a zero denominator or with a number outside
// the field range gives {0, 0, 0}.
MixedNumber parse_mixed(const char *text);
// A written fraction or mixed number, held by value: no runtime block, so
// a page writes it into its box with no more than the box's own write. At
// most 1 + 11 + 1 + 11 + 1 + 11 bytes, always followed by a zero.
struct ShortText {
  std::array<char, 40> bytes{};
  std::size_t size = 0;
  std::string_view view() const { return {bytes.data(), size}; }
  const char *c_str() const { return bytes.data(); }
};
// numerator "/" denominator, reduced (or only sign-normalized when reduce is
// false); an invalid f is written as it stands ("3/0").
ShortText format_fraction(Fraction f, bool reduce = true);
// whole "&" numerator "/" denominator with one leading "-" when negative
// ("-2&1/3", "0&3/4", "7&0/1"); {0, 0, 0} is "0&0/0".
ShortText format_mixed(MixedNumber m);
// True when the text as typed contains "&" and also "/".
bool has_mixed_form(const char *text);
// An operand of the fraction pages: a mixed-number text (has_mixed_form) as
// an improper fraction, a text holding "/" through parse_fraction, and any
// other text as the number text_to_number reads from it, converted by
// decimal_to_fraction ("0.5" is 1/2, "1e5" is 100000/1, "abc" is 0/1).
Fraction text_to_fraction(const char *text);
// The number the runtime's to_integer reads from the text, or nothing when
// that number lies outside the field range (the runtime clamps such numbers,
// so the text's own digits decide).
std::optional<std::int32_t> read_whole_number(const char *text);

} // namespace qx::fraction
