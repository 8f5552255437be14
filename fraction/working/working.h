// The working of the fraction pages' calculations: each builder takes the
// values a handler read (and, for a decimal result, the text its box shows)
// and returns the steps a textbook would write, as a document ending with
// the link back to the guide.
//
// Builders are pure: no runtime, no window. Every number that also stands in
// a result box is written the way that box writes it (format_fraction,
// format_mixed, the decimal text handed in). An unusable input or a result
// outside the field range gives one sentence that says why the box shows
// the invalid value. Entry texts are the GBK bytes as typed (null reads as
// ""); a text is echoed only where it is plain ASCII.
#pragma once

#include "document/document.h"
#include "fraction/fraction.h"

#include <cstdint>
#include <string_view>

namespace qx::fraction::working {

// ---- Page 分数运算1 ------------------------------------------------------

// The stacked calculator: a and b as typed (neither reduced nor
// sign-normalized; {0, 0} for a box beyond the field range), op the
// operator code.
doc::Document stacked_arith_working(Fraction a, std::int32_t op, Fraction b);
// The text calculator: the operands as text_to_fraction read them from their
// entry texts.
doc::Document text_arith_working(const char *a_entry, Fraction a,
                                 std::int32_t op, const char *b_entry,
                                 Fraction b);
// 约分 on the entry text: a mixed number, a fraction, or text without "/"
// (the box is emptied).
doc::Document reduce_working(const char *entry);
// The link 转换到假分数, and 带分数到分数 on page 分数运算2: the mixed number
// typed in the entry as an improper fraction.
doc::Document mixed_to_fraction_working(const char *entry);
// 通分 of the two operands as text_to_fraction read them.
doc::Document common_denominator_working(const char *a_entry, Fraction a,
                                         const char *b_entry, Fraction b);

// ---- Page 分数运算2 ------------------------------------------------------

// 数值到分数 and 数值到带分数: number_text is the runtime's text of the
// number read from the entry, f what decimal_to_fraction made of it.
doc::Document decimal_to_fraction_working(std::string_view number_text,
                                          Fraction f);
doc::Document decimal_to_mixed_working(std::string_view number_text,
                                       Fraction f);
// 分数到数值: the operand as text_to_fraction read it and the text its
// result box shows.
doc::Document fraction_to_decimal_working(const char *entry, Fraction f,
                                          std::string_view decimal_box);
// 带分数到数值: the mixed number typed in the entry and the box's text.
doc::Document mixed_to_decimal_working(const char *entry,
                                       std::string_view decimal_box);
// 求分数平方, 约分到整数 and 分数到带分数 of the operand text_to_fraction read.
doc::Document square_working(const char *entry, Fraction f);
doc::Document nearest_integer_working(const char *entry, Fraction f);
doc::Document fraction_to_mixed_working(const char *entry, Fraction f);

} // namespace qx::fraction::working
