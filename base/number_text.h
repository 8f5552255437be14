// The blanks and the leading whole number of a GBK text, the one rule that
// the runtime's commands and the program's text forms both read by.
//
//   text          = blanks [sign] digits rest
//   blanks        = { " " | "\t" | A1 A1 }     (A1 A1: the full-width space)
//   sign          = "-" | "+"
//   digits        = { "0" ... "9" }
//
// Reading stops at the first byte that does not fit; `rest` is not looked
// at. Header only, so that both sides of the service table share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qx::base {

inline constexpr unsigned char kFullWidthSpaceByte = 0xA1;

constexpr bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The byte length of the GBK character starting at `text[at]`: 2 for a lead
// byte (0x81-0xFE) followed by a trail byte (0x40-0xFE but 0x7F), else 1.
// `at` < text.size(). A byte below 0x40 is never a trail byte, so it always
// starts a character of its own.
constexpr std::size_t gbk_char_length(std::string_view text, std::size_t at) {
  const auto lead = static_cast<unsigned char>(text[at]);
  if (lead < 0x81 || lead > 0xFE || at + 1 >= text.size())
    return 1;
  const auto trail = static_cast<unsigned char>(text[at + 1]);
  return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

// The length of the blank at `at` (0 when there is none); `at` < size.
constexpr std::size_t blank_length(std::string_view text, std::size_t at) {
  if (text[at] == ' ' || text[at] == '\t')
    return 1;
  if (at + 1 < text.size() &&
      static_cast<unsigned char>(text[at]) == kFullWidthSpaceByte &&
      static_cast<unsigned char>(text[at + 1]) == kFullWidthSpaceByte)
    return 2;
  return 0;
}

// The position after the leading blanks.
constexpr std::size_t skip_blanks(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t blank = blank_length(text, at);
    if (blank == 0)
      break;
    at += blank;
  }
  return at;
}

// The text without its blanks; a full-width space counts only where it
// stands on a character boundary.
inline std::string remove_blanks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  // Without a byte of the full-width space, blanks are single bytes below
  // 0x40, each a character of its own.
  if (text.find(static_cast<char>(kFullWidthSpaceByte)) == text.npos) {
    for (char c : text)
      if (c != ' ' && c != '\t')
        result += c;
    return result;
  }
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = gbk_char_length(text, at);
    if (blank_length(text, at) == 0)
      result.append(text.substr(at, length));
    at += length;
  }
  return result;
}

// The whole number a text starts with.
struct LeadingNumber {
  // The digits without leading zeros; empty for zero or for no number.
  std::string_view significant_digits;
  bool has_digits = false;
  // A "-" stands before the digits.
  bool negative = false;
};

constexpr LeadingNumber find_leading_number(std::string_view text) {
  std::size_t at = skip_blanks(text);
  LeadingNumber number;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) {
    number.negative = text[at] == '-';
    ++at;
  }
  const std::size_t first_digit = at;
  while (at < text.size() && is_ascii_digit(text[at]))
    ++at;
  number.has_digits = at > first_digit;
  std::size_t first_significant = first_digit;
  while (first_significant < at && text[first_significant] == '0')
    ++first_significant;
  number.significant_digits =
      text.substr(first_significant, at - first_significant);
  return number;
}

// The magnitude of the number, held at `cap` once it reaches it (whatever
// digits follow); cap < 2^62.
constexpr std::int64_t capped_magnitude(const LeadingNumber &number,
                                        std::int64_t cap) {
  std::int64_t value = 0;
  for (char c : number.significant_digits) {
    value = value * 10 + (c - '0');
    if (value >= cap)
      return cap;
  }
  return value;
}

} // namespace qx::base
