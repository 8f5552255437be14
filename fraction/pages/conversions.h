// The text-to-text conversions behind the buttons of page 分数运算2.
//
// Each takes the text of its entry box and returns the text for its result
// box; they need a bound runtime but no window. A fraction or mixed number
// comes back by value (fraction::ShortText), a decimal number as the
// runtime's text of it.
#pragma once

#include "fraction/fraction.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace qx::fraction_pages {

// 数值到分数: a decimal number to a fraction ("0.75" gives "3/4").
fraction::ShortText decimal_to_fraction_text(const char *entry);
// 数值到带分数: a decimal number to a mixed number ("2.25" gives "2&1/4").
fraction::ShortText decimal_to_mixed_text(const char *entry);
// 分数到数值: a fraction operand to a decimal number ("3/4" gives "0.75",
// "1&1/2" gives "1.5"); "0/0" when the operand is invalid ("3/0").
sdk::Text fraction_to_decimal_text(const char *entry);
// 带分数到数值: a mixed number to a decimal number ("2&1/4" gives "2.25");
// "0/0" for a text that is no valid mixed number ("7/3", "2&1/0").
sdk::Text mixed_to_decimal_text(const char *entry);
// 求分数平方: the square of a fraction or mixed number, as a fraction.
fraction::ShortText square_fraction_text(const char *entry);
// 约分到整数: a fraction operand rounded to a whole number; "0/0" when the
// operand is invalid.
sdk::Text reduce_to_integer_text(const char *entry);
// 分数到带分数: a fraction operand to a mixed number ("7/3" gives "2&1/3").
fraction::ShortText fraction_to_mixed_text(const char *entry);
// 带分数到分数: a mixed number to a fraction ("2&1/3" gives "7/3").
fraction::ShortText mixed_to_fraction_text(const char *entry);

// The number a decimal entry holds, read once: the runtime's text of it and
// the fraction decimal_to_fraction makes of it (数值到分数 writes that
// fraction, 数值到带分数 its mixed number).
struct DecimalEntry {
  sdk::Text number;
  fraction::Fraction value;
};
DecimalEntry read_decimal_entry(const char *entry);

// An operand box read once through text_to_fraction, with its text for the
// working.
struct OperandEntry {
  sdk::Text entry;
  fraction::Fraction value;
};
OperandEntry read_operand_entry(std::uint32_t box);

// The conversions of an operand text_to_fraction has read already, for a
// handler that also builds the working from it.
sdk::Text fraction_to_decimal_text(fraction::Fraction f);
fraction::ShortText square_fraction_text(fraction::Fraction f);
sdk::Text reduce_to_integer_text(fraction::Fraction f);
fraction::ShortText fraction_to_mixed_text(fraction::Fraction f);

} // namespace qx::fraction_pages
