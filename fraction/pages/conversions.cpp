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

sdk::Text fraction_to_decimal_text(const char *entry) {
  const Fraction f = text_to_fraction(entry);
  if (!is_valid(f))
    return no_number_text();
  return sdk::to_text(fraction_to_decimal(f));
}

sdk::Text mixed_to_decimal_text(const char *entry) {
  const MixedNumber m = parse_mixed(entry);
  if (!is_valid(m))
    return no_number_text();
  return sdk::to_text(mixed_to_decimal(m));
}

sdk::Text square_fraction_text(const char *entry) {
  return format_fraction(fraction_power(text_to_fraction(entry), 2));
}

sdk::Text reduce_to_integer_text(const char *entry) {
  const Fraction f = text_to_fraction(entry);
  if (!is_valid(f))
    return no_number_text();
  return sdk::to_text(fraction_nearest_int(f));
}

sdk::Text fraction_to_mixed_text(const char *entry) {
  return format_mixed(fraction_to_mixed(text_to_fraction(entry)));
}

sdk::Text mixed_to_fraction_text(const char *entry) {
  return format_fraction(mixed_to_fraction(parse_mixed(entry)));
}

} // namespace qx::fraction_pages
