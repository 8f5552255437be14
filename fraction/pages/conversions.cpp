// The text-to-text conversions behind the buttons of page 分数运算2.
#include "fraction/pages/conversions.h"

#include "fraction/fraction.h"

#include <utility>

namespace qx::fraction_pages {

using namespace qx::fraction;

ShortText decimal_to_fraction_text(const char *entry) {
  return format_fraction(decimal_to_fraction(sdk::text_to_number(entry)));
}

ShortText decimal_to_mixed_text(const char *entry) {
  return format_mixed(decimal_to_mixed(sdk::text_to_number(entry)));
}

namespace {

// The pages' "no result" text, shown where an unusable input has no number.
sdk::Text no_number_text() {
  return sdk::Text::copy_of(format_fraction(kInvalidFraction).view());
}

} // namespace

DecimalEntry read_decimal_entry(const char *entry) {
  const double x = sdk::text_to_number(entry);
  return {sdk::to_text(x), decimal_to_fraction(x)};
}

OperandEntry read_operand_entry(std::uint32_t box) {
  sdk::Text entry = sdk::read_text(box);
  const Fraction value = text_to_fraction(entry.c_str());
  return {std::move(entry), value};
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

ShortText square_fraction_text(Fraction f) {
  return format_fraction(fraction_power(f, 2));
}

ShortText square_fraction_text(const char *entry) {
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

ShortText fraction_to_mixed_text(Fraction f) {
  return format_mixed(fraction_to_mixed(f));
}

ShortText fraction_to_mixed_text(const char *entry) {
  return fraction_to_mixed_text(text_to_fraction(entry));
}

ShortText mixed_to_fraction_text(const char *entry) {
  return format_fraction(mixed_to_fraction(parse_mixed(entry)));
}

} // namespace qx::fraction_pages
