// The grammar of the fraction texts, read on the bytes themselves with the
// runtime's blank-and-number rule (base/number_text.h):
//
//   whole number  = blanks [sign] digits rest     (as the runtime's to_integer)
//   fraction      = piece "/" piece               (exactly one "/")
//   mixed number  = piece "&" fraction-or-whole   (exactly one "&")
//
// Blanks anywhere are removed before a text is cut at its separator, so
// "1 2/3" is 12/3. A side that holds no number reads as 0. The separators
// are bytes below 0x40, which never occur inside a GBK character, so a byte
// search finds exactly the runtime's character matches.
#pragma once

#include "base/number_text.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace qx::fraction {

using base::find_leading_number;
using base::LeadingNumber;

// True when every byte is an ASCII digit (also for the empty text).
bool is_digits(std::string_view text);
// An optional "-" and then ASCII digits, nothing else; the digits may be
// absent only when allow_empty is true ("" and "-" then pass).
bool is_plain_integer(std::string_view text, bool allow_empty);

// True when the magnitude of those digits exceeds 2147483647.
bool exceeds_field_limit(const LeadingNumber &number);

// The whole number the text starts with, when it lies within the field
// range (-2147483647 ... 2147483647); nothing otherwise.
std::optional<std::int32_t> scan_whole_number(std::string_view text);

// The two sides of the one `separator` in the text, or nothing when the text
// holds it not exactly once.
struct Sides {
  std::string_view before;
  std::string_view after;
};
std::optional<Sides> split_once(std::string_view text, char separator);

} // namespace qx::fraction
