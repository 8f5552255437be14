// The text and number rules of the runtime's commands.
#include "runtime/core/text_rules.h"
#include "base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace qx::rt::text {
namespace {

bool is_digit(char c) { return base::is_ascii_digit(c); }

// True when every occurrence of `sought` in any text starts on a character
// boundary, so a plain byte search finds exactly the character matches.
bool starts_own_character(std::string_view sought) {
  return !sought.empty() && static_cast<unsigned char>(sought.front()) < 0x40;
}

char fold(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool matches_at(std::string_view text, std::size_t at, std::string_view sought,
                bool ignore_case) {
  if (sought.size() > text.size() - at)
    return false;
  if (!ignore_case)
    return text.compare(at, sought.size(), sought) == 0;
  for (std::size_t i = 0; i < sought.size(); ++i)
    if (fold(text[at + i]) != fold(sought[i]))
      return false;
  return true;
}

} // namespace

std::size_t gbk_char_length(std::string_view text, std::size_t at) {
  return base::gbk_char_length(text, at);
}

std::string format_double(double value) {
  if (std::isnan(value))
    return "nan";
  if (std::isinf(value))
    return value < 0 ? "-inf" : "inf";
  if (value == 0)
    return "0"; // negative zero too

  // 15 significant digits, rounded exactly: "d.dddddddddddddde+XX".
  char buffer[64];
  const auto [end, error] =
      std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                    std::chars_format::scientific, 14);
  std::string_view scientific(buffer, static_cast<std::size_t>(end - buffer));
  const std::size_t e = scientific.find('e');
  std::string digits;
  for (char c : scientific.substr(0, e))
    if (is_digit(c))
      digits += c;
  int exponent = 0;
  std::string_view exponent_text = scientific.substr(e + 1);
  if (!exponent_text.empty() && exponent_text.front() == '+')
    exponent_text.remove_prefix(1);
  std::from_chars(exponent_text.data(),
                  exponent_text.data() + exponent_text.size(), exponent);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();

  std::string result = value < 0 ? "-" : "";
  const double magnitude = std::fabs(value);
  if (magnitude >= 1e-9 && magnitude < 1e15) {
    if (exponent < 0) {
      result += "0.";
      result.append(static_cast<std::size_t>(-exponent - 1), '0');
      result += digits;
      return result;
    }
    const auto whole = static_cast<std::size_t>(exponent) + 1;
    if (digits.size() <= whole) {
      result += digits;
      result.append(whole - digits.size(), '0');
      return result;
    }
    result += digits.substr(0, whole);
    result += '.';
    result += digits.substr(whole);
    return result;
  }
  result += digits.substr(0, 1);
  if (digits.size() > 1) {
    result += '.';
    result += digits.substr(1);
  }
  result += exponent < 0 ? "e-" : "e+";
  const int shown = std::abs(exponent);
  if (shown < 10)
    result += '0';
  result += std::to_string(shown);
  return result;
}

double parse_number(std::string_view text) {
  std::size_t at = base::skip_blanks(text);
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-'))
    negative = text[at++] == '-';
  const std::size_t whole_start = at;
  while (at < text.size() && is_digit(text[at]))
    ++at;
  const std::string_view whole = text.substr(whole_start, at - whole_start);
  std::string_view fraction;
  if (at < text.size() && text[at] == '.') {
    const std::size_t fraction_start = ++at;
    while (at < text.size() && is_digit(text[at]))
      ++at;
    fraction = text.substr(fraction_start, at - fraction_start);
  }
  if (whole.empty() && fraction.empty())
    return 0;

  // The exponent counts only when digits follow "e", "e+" or "e-"; it is
  // held within +-1e9, far beyond where every value is 0 or infinite.
  std::int64_t exponent = 0;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    std::size_t digit_at = at + 1;
    bool exponent_negative = false;
    if (digit_at < text.size() &&
        (text[digit_at] == '+' || text[digit_at] == '-'))
      exponent_negative = text[digit_at++] == '-';
    for (; digit_at < text.size() && is_digit(text[digit_at]); ++digit_at)
      exponent = std::min<std::int64_t>(exponent * 10 + (text[digit_at] - '0'),
                                        1'000'000'000);
    if (exponent_negative)
      exponent = -exponent;
  }

  std::string normalized(whole.empty() ? "0" : whole);
  normalized += '.';
  normalized += fraction;
  normalized += 'e';
  normalized += std::to_string(exponent);
  double value = 0;
  const auto [end, error] = std::from_chars(
      normalized.data(), normalized.data() + normalized.size(), value);
  if (error == std::errc::result_out_of_range) {
    // Overflow or underflow: tell them apart by the decimal magnitude of
    // the first non-zero digit.
    const std::size_t whole_zeros = whole.find_first_not_of('0');
    std::int64_t magnitude = 0;
    if (whole_zeros != std::string_view::npos) {
      magnitude = static_cast<std::int64_t>(whole.size() - whole_zeros);
    } else {
      const std::size_t fraction_zeros = fraction.find_first_not_of('0');
      magnitude = fraction_zeros == std::string_view::npos
                      ? std::numeric_limits<std::int32_t>::min()
                      : -static_cast<std::int64_t>(fraction_zeros);
    }
    value = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity()
                                     : 0.0;
  }
  return negative ? -value : value;
}

std::int32_t parse_integer(std::string_view text) {
  const base::LeadingNumber number = base::find_leading_number(text);
  // Once past the range the value is clamped, whatever digits follow.
  std::int64_t value = base::capped_magnitude(number, std::int64_t{1} << 32);
  if (number.negative)
    value = -value;
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

double round_half_away(double value) { return std::round(value); }

std::string remove_blanks(std::string_view text) {
  return base::remove_blanks(text);
}

std::int32_t find_text(std::string_view text, std::string_view sought,
                       std::int32_t start, bool ignore_case) {
  if (sought.empty())
    return -1;
  const std::size_t first = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (!ignore_case && starts_own_character(sought)) {
    const std::size_t at = text.find(sought, first);
    return at == text.npos ? -1 : static_cast<std::int32_t>(at + 1);
  }
  for (std::size_t at = 0; at < text.size(); at += gbk_char_length(text, at))
    if (at >= first && matches_at(text, at, sought, ignore_case))
      return static_cast<std::int32_t>(at + 1);
  return -1;
}

std::string_view left_text(std::string_view text, std::int32_t count) {
  if (count <= 0)
    return {};
  return text.substr(0, std::min(text.size(), static_cast<std::size_t>(count)));
}

std::string_view right_text(std::string_view text, std::int32_t count) {
  if (count <= 0)
    return {};
  const std::size_t kept =
      std::min(text.size(), static_cast<std::size_t>(count));
  return text.substr(text.size() - kept);
}

std::vector<std::string_view> split_text(std::string_view text,
                                         std::string_view separator) {
  std::vector<std::string_view> pieces;
  if (separator.empty())
    return {text};
  std::size_t piece_start = 0;
  if (starts_own_character(separator)) {
    for (std::size_t at = text.find(separator); at != text.npos;
         at = text.find(separator, piece_start)) {
      pieces.push_back(text.substr(piece_start, at - piece_start));
      piece_start = at + separator.size();
    }
    pieces.push_back(text.substr(piece_start));
    return pieces;
  }
  for (std::size_t at = 0; at < text.size();) {
    if (matches_at(text, at, separator, false)) {
      pieces.push_back(text.substr(piece_start, at - piece_start));
      at += separator.size();
      piece_start = at;
      continue;
    }
    at += gbk_char_length(text, at);
  }
  pieces.push_back(text.substr(piece_start));
  return pieces;
}

} // namespace qx::rt::text
