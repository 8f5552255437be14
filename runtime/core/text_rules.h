// The text and number rules of the runtime's commands, as pure functions.
//
// Texts are GBK bytes. The rules are fixed here once; the commands of
// commands.cpp apply them to argument records.
#pragma once

#include "runtime/core/truncation.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::rt::text {

// The byte length of the GBK character starting at `text[at]`: 2 for a lead
// byte (0x81-0xFE) followed by a trail byte (0x40-0xFE but 0x7F), else 1.
// `at` < text.size(). A byte below 0x40 is never a trail byte, so it always
// starts a character of its own.
std::size_t gbk_char_length(std::string_view text, std::size_t at);

// A double as decimal text: rounded to 15 significant digits (as "%.15g"
// rounds); written without exponent when 1e-9 <= |x| < 1e15, trailing zeros
// after the point and a bare point dropped ("0.37", "1.5", "2",
// "0.0000001"); otherwise as "%.15g" writes it ("1e-10", "1.5e+20").
// Negative zero gives "0"; NaN "nan"; infinities "inf" and "-inf". The
// decimal point is always "." whatever the locale.
std::string format_double(double value);

// The leading number of a text: blanks (space, tab, the full-width space
// A1 A1) skipped, an optional sign, digits with an optional decimal point
// ("5", "5.", ".5"; at least one digit), an optional exponent taken only
// when digits follow its "e" or "E" and optional sign. Reading stops at the
// first character that does not fit. No digit gives 0; a value beyond the
// double range gives an infinity of its sign.
double parse_number(std::string_view text);

// The leading whole number of a text: the same blanks, an optional sign,
// decimal digits. No digit gives 0; beyond the 32-bit range the nearest end
// of the range.
std::int32_t parse_integer(std::string_view text);

// truncate_to_int32 (runtime/core/truncation.h) belongs to these rules too.

// Halves away from zero.
double round_half_away(double value);

// The text without ASCII spaces, tabs and full-width spaces (A1 A1 on a
// character boundary).
std::string remove_blanks(std::string_view text);

// The 1-based byte position of the first occurrence of `sought` that starts
// on a character boundary at or after 1-based position `start`; -1 when
// there is none or `sought` is empty. `ignore_case` folds ASCII letters.
std::int32_t find_text(std::string_view text, std::string_view sought,
                       std::int32_t start = 1, bool ignore_case = false);

// The first / last `count` bytes; the whole text when count is beyond its
// length, the empty text when count <= 0.
std::string_view left_text(std::string_view text, std::int32_t count);
std::string_view right_text(std::string_view text, std::int32_t count);

// The pieces between occurrences of `separator` (found on character
// boundaries), empty pieces kept: "a,,b" by "," gives "a", "", "b"; a text
// without the separator, and any text split by an empty separator, is one
// piece (the empty text gives one empty piece).
std::vector<std::string_view> split_text(std::string_view text,
                                         std::string_view separator);

} // namespace qx::rt::text
