// The text-to-text conversions behind the buttons of page 分数运算2.
#include "fraction/pages/conversions.h"

#include "fraction/fraction.h"

namespace qx::fraction_pages {

using namespace qx::fraction;

sdk::Text decimal_to_fraction_text(const char *entry) {
  return format_fraction(decimal_to_fraction(sdk::text_to_number(entry)));
}

sdk::Text decimal_to_mixed_text(const char *entry) {
  return format_mixed(decimal_to_mixed(sdk::text_to_number(entry)));
}

namespace {

// The pages' "no result" text, shown where an unusable input has no number.
sdk::Text no_number_text() { return format_fraction(kInvalidFraction); }

} // namespace

DecimalEntry read_decimal_entry(const char *entry) {
  const double x = sdk::text_to_number(entry);
  return {sdk::to_text(x), decimal_to_fraction(x)};
}

sdk::Text fraction_to_decimal_text(Fraction f) {
  if (!is_valid(f))
    return no_number_text();
  return sdk::to_text(fraction_to_decimal(f));
}

sdk::Text fraction_to_decimal_text(const char *entry) {
  return fraction_to_decimal_text(text_to_fraction(entry));
}

sdk::Text mixed_to_decimal_text(const char *entry) {
  const MixedNumber m = parse_mixed(entry);
  if (!is_valid(m))
    return no_number_text();
  return sdk::to_text(mixed_to_decimal(m));
}

sdk::Text square_fraction_text(Fraction f) {
  return format_fraction(fraction_power(f, 2));
}

sdk::Text square_fraction_text(const char *entry) {
  return square_fraction_text(text_to_fraction(entry));
}

sdk::Text reduce_to_integer_text(Fraction f) {
  if (!is_valid(f))
    return no_number_text();
  return sdk::to_text(fraction_nearest_int(f));
}

sdk::Text reduce_to_integer_text(const char *entry) {
  return reduce_to_integer_text(text_to_fraction(entry));
}

sdk::Text fraction_to_mixed_text(Fraction f) {
  return format_mixed(fraction_to_mixed(f));
}

sdk::Text fraction_to_mixed_text(const char *entry) {
  return fraction_to_mixed_text(text_to_fraction(entry));
}

sdk::Text mixed_to_fraction_text(const char *entry) {
  return format_fraction(mixed_to_fraction(parse_mixed(entry)));
}

} // namespace qx::fraction_pages
