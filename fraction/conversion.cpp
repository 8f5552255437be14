// Conversions between fractions, mixed numbers and decimals, and rounding a
// fraction to the nearest integer.
#include "fraction/exact.h"
#include "fraction/fraction.h"
#include "fraction/text_scan.h"
#include "runtime/sdk/sdk.h"

#include <cmath>

namespace qx::fraction {

using exact::Wide;
using exact::WideFraction;

namespace {

// The most digits after the point whose power of ten fits in a field.
constexpr std::int32_t kMaxFractionDigits = 9;

// 10^count for 0 <= count <= kMaxFractionDigits.
std::int32_t power_of_ten(std::int32_t count) {
  std::int32_t power = 1;
  for (std::int32_t i = 0; i < count; ++i)
    power *= 10;
  return power;
}

// The double's value as its runtime decimal text spells it, when that text is
// a plain decimal whose fraction fits; nothing otherwise.
std::optional<Fraction> read_decimal_text(double x) {
  const sdk::Text written = sdk::to_text(x);
  const std::string_view text = written.view();
  const std::size_t point = text.find('.');
  if (point == std::string_view::npos) {
    // No point: the whole number the text shows, which may lie a hair away
    // from x itself.
    if (!is_plain_integer(text, /*allow_empty=*/false))
      return std::nullopt;
    std::optional<std::int32_t> whole = scan_whole_number(text);
    if (!whole)
      return std::nullopt;
    return Fraction{*whole, 1};
  }

  const std::string_view integer_text = text.substr(0, point);
  const std::string_view digit_text = text.substr(point + 1);
  if (digit_text.size() > kMaxFractionDigits || !is_digits(digit_text) ||
      !is_plain_integer(integer_text, /*allow_empty=*/true))
    return std::nullopt;
  std::optional<std::int32_t> integer_part = scan_whole_number(integer_text);
  std::optional<std::int32_t> digits = scan_whole_number(digit_text);
  if (!integer_part || !digits)
    return std::nullopt;

  const Wide denominator =
      power_of_ten(static_cast<std::int32_t>(digit_text.size()));
  // The sign comes from x: "-0.5" has the integer text "-0".
  Wide scaled = exact::magnitude(*integer_part) * denominator + *digits;
  Wide numerator = x < 0 ? -scaled : scaled;
  // Only the fraction in lowest terms has to fit: 4.259124364 is
  // 1064781091/250000000.
  const WideFraction reduced = exact::reduce({numerator, denominator});
  if (!exact::fits_field(reduced.numerator))
    return std::nullopt;
  return exact::narrow(reduced);
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
  // Halves away from zero, as the runtime's round_number.
  double rounded = std::round(static_cast<double>(f.numerator) /
                              static_cast<double>(f.denominator));
  // Only a numerator of -2147483648 over 1 or -1 rounds beyond the field
  // range.
  if (!(std::fabs(rounded) <= static_cast<double>(kFieldLimit)))
    return 0;
  return static_cast<std::int32_t>(rounded);
}

} // namespace qx::fraction
