// Byte-level checks on number texts that guard the runtime's readings: which
// texts are plain decimal integers, and whether the number a text starts with
// lies beyond the field range.
#pragma once

#include <string_view>

namespace qx::fraction {

// True when every byte is an ASCII digit (also for the empty text).
bool is_digits(std::string_view text);
// An optional "-" and then ASCII digits, nothing else; the digits may be
// absent only when allow_empty is true ("" and "-" then pass).
bool is_plain_integer(std::string_view text, bool allow_empty);

// The number a text starts with, as the runtime's to_integer finds it: blanks
// (space, tab, the full-width space A1 A1), an optional sign, then digits.
struct LeadingNumber {
  // The digits without leading zeros; empty for zero or for no number.
  std::string_view significant_digits;
  bool has_digits = false;
  // A "-" stands before the digits.
  bool negative = false;
};
LeadingNumber find_leading_number(std::string_view text);
// True when the magnitude of those digits exceeds 2147483647.
bool exceeds_field_limit(const LeadingNumber &number);
// True when the digits spell exactly 2147483647.
bool equals_field_limit(const LeadingNumber &number);

} // namespace qx::fraction
