// Conversions between fractions, mixed numbers and decimals, and rounding a
// fraction to the nearest integer.
#include "fraction/exact.h"
#include "fraction/fraction.h"
#include "fraction/text_scan.h"
#include "program/const_pool.h"

#include <cmath>

namespace qx::fraction {

using exact::Wide;
using exact::WideFraction;
namespace konst = image::konst;

namespace {

// The most digits after the point whose power of ten fits in a field.
constexpr std::int32_t kMaxFractionDigits = 9;

// The double's value as its runtime decimal text spells it, when that text is
// a plain decimal whose fraction fits; nothing otherwise.
std::optional<Fraction> read_decimal_text(double x) {
  sdk::Text text = sdk::to_text(x);
  std::int32_t point =
      sdk::find_text(text.c_str(), sdk::const_text(konst::kDecimalPoint));
  if (point < 1) {
    // No point: the whole number the text shows, which may lie a hair away
    // from x itself.
    if (!is_plain_integer(text.view(), /*allow_empty=*/false))
      return std::nullopt;
    std::optional<std::int32_t> whole = read_whole_number(text.c_str());
    if (!whole)
      return std::nullopt;
    return Fraction{*whole, 1};
  }

  sdk::Text integer_text = sdk::left_text(text.c_str(), point - 1);
  sdk::Text digit_text = sdk::right_text(
      text.c_str(), sdk::command_text_length(text.c_str()) - point);
  std::int32_t digit_count = sdk::command_text_length(digit_text.c_str());
  if (digit_count > kMaxFractionDigits || !is_digits(digit_text.view()) ||
      !is_plain_integer(integer_text.view(), /*allow_empty=*/true))
    return std::nullopt;
  std::optional<std::int32_t> integer_part =
      read_whole_number(integer_text.c_str());
  if (!integer_part)
    return std::nullopt;

  sdk::Text zeros =
      sdk::repeat_text(digit_count, sdk::const_text(konst::kDigitZero));
  sdk::Text power_of_ten =
      sdk::concat({sdk::const_text(konst::kDigitOne), zeros.c_str()});
  Wide denominator = sdk::to_integer(power_of_ten.c_str());
  Wide digits = sdk::to_integer(digit_text.c_str());
  // The sign comes from x: "-0.5" has the integer text "-0".
  Wide scaled = exact::magnitude(*integer_part) * denominator + digits;
  Wide numerator = sdk::sign_of(x) > 0 ? scaled : -scaled;
  if (!exact::fits_field(numerator))
    return std::nullopt;
  return exact::narrow(exact::reduce({numerator, denominator}));
}

} // namespace

Fraction mixed_to_fraction(MixedNumber m) {
  if (!is_valid(m))
    return kInvalidFraction;
  return exact::narrow(exact::improper_of(exact::widen(m)));
}

MixedNumber fraction_to_mixed(Fraction f) {
  if (!is_valid(f))
    return kInvalidMixed;
  return exact::narrow(exact::mixed_of(exact::widen(f)));
}

MixedNumber reduce_mixed(MixedNumber m) {
  if (!is_valid(m))
    return m;
  // The improper fraction in between may exceed the field range; only the
  // mixed result has to fit.
  return exact::narrow(exact::mixed_of(exact::improper_of(exact::widen(m))));
}

double fraction_to_decimal(Fraction f) {
  if (!is_valid(f))
    return 0.0;
  return static_cast<double>(f.numerator) / static_cast<double>(f.denominator);
}

double mixed_to_decimal(MixedNumber m) {
  if (!is_valid(m))
    return 0.0;
  // The value of m even where its improper fraction does not fit in fields,
  // rounded once.
  WideFraction f = exact::improper_of(exact::widen(m));
  return base::nearest_quotient(f.numerator, f.denominator);
}

Fraction decimal_to_fraction(double x) {
  if (std::optional<Fraction> written = read_decimal_text(x))
    return *written;
  return nearest_fraction(x);
}

MixedNumber decimal_to_mixed(double x) {
  return fraction_to_mixed(decimal_to_fraction(x));
}

std::int32_t fraction_nearest_int(Fraction f) {
  if (!is_valid(f))
    return 0;
  double rounded = sdk::round_number(static_cast<double>(f.numerator) /
                                     static_cast<double>(f.denominator));
  // Only a numerator of -2147483648 over 1 or -1 rounds beyond the field
  // range.
  if (!(std::fabs(rounded) <= static_cast<double>(kFieldLimit)))
    return 0;
  return static_cast<std::int32_t>(rounded);
}

} // namespace qx::fraction
