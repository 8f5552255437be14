// The grammar of the fraction texts.
#include "fraction/text_scan.h"

#include <algorithm>

namespace qx::fraction {
namespace {

constexpr std::string_view kFieldLimitDigits = "2147483647";

} // namespace

bool is_digits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), base::is_ascii_digit);
}

bool is_plain_integer(std::string_view text, bool allow_empty) {
  if (!text.empty() && text.front() == '-')
    text.remove_prefix(1);
  if (text.empty())
    return allow_empty;
  return is_digits(text);
}

bool exceeds_field_limit(const LeadingNumber &number) {
  std::string_view digits = number.significant_digits;
  if (digits.size() != kFieldLimitDigits.size())
    return digits.size() > kFieldLimitDigits.size();
  // Equal lengths of ASCII digits compare like their values.
  return digits > kFieldLimitDigits;
}

std::optional<std::int32_t> scan_whole_number(std::string_view text) {
  const LeadingNumber number = find_leading_number(text);
  if (exceeds_field_limit(number))
    return std::nullopt;
  // At most ten digits of at most 2147483647: no cap is reached.
  const auto magnitude = static_cast<std::int32_t>(
      base::capped_magnitude(number, std::int64_t{1} << 32));
  return number.negative ? -magnitude : magnitude;
}

std::optional<Sides> split_once(std::string_view text, char separator) {
  const std::size_t first = text.find(separator);
  if (first == std::string_view::npos ||
      text.find(separator, first + 1) != std::string_view::npos)
    return std::nullopt;
  return Sides{text.substr(0, first), text.substr(first + 1)};
}

} // namespace qx::fraction
