// Byte-level checks on number texts.
#include "fraction/text_scan.h"

#include <algorithm>

namespace qx::fraction {
namespace {

constexpr std::string_view kFieldLimitDigits = "2147483647";

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The runtime's blanks: space, tab and the full-width space A1 A1.
std::size_t blank_length(std::string_view text, std::size_t at) {
  if (text[at] == ' ' || text[at] == '\t')
    return 1;
  if (text.substr(at, 2) == "\xA1\xA1")
    return 2;
  return 0;
}

} // namespace

bool is_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), is_digit);
}

bool is_plain_integer(std::string_view text, bool allow_empty) {
  if (!text.empty() && text.front() == '-')
    text.remove_prefix(1);
  if (text.empty())
    return allow_empty;
  return is_digits(text);
}

LeadingNumber find_leading_number(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t blank = blank_length(text, at);
    if (blank == 0)
      break;
    at += blank;
  }
  LeadingNumber number;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    number.negative = text[at] == '-';
    ++at;
  }
  std::size_t first_digit = at;
  while (at < text.size() && is_digit(text[at]))
    ++at;
  number.has_digits = at > first_digit;
  std::size_t first_significant = first_digit;
  while (first_significant < at && text[first_significant] == '0')
    ++first_significant;
  number.significant_digits =
      text.substr(first_significant, at - first_significant);
  return number;
}

bool exceeds_field_limit(const LeadingNumber &number) {
  std::string_view digits = number.significant_digits;
  if (digits.size() != kFieldLimitDigits.size())
    return digits.size() > kFieldLimitDigits.size();
  // Equal lengths of ASCII digits compare like their values.
  return digits > kFieldLimitDigits;
}

bool equals_field_limit(const LeadingNumber &number) {
  return number.significant_digits == kFieldLimitDigits;
}

} // namespace qx::fraction
