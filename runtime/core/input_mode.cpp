// Input mode checking for typed edit box texts.
#include "runtime/core/input_mode.h"

#include "window/form_model.h"

#include <algorithm>

namespace qx::rt {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string_view without_minus(std::string_view text) {
  if (!text.empty() && text.front() == '-')
    text.remove_prefix(1);
  return text;
}

bool is_whole_number(std::string_view text) {
  text = without_minus(text);
  return std::all_of(text.begin(), text.end(), is_digit);
}

bool is_decimal_number(std::string_view text) {
  text = without_minus(text);
  std::size_t points = 0;
  for (char c : text) {
    if (c == '.')
      ++points;
    else if (!is_digit(c))
      return false;
  }
  return points <= 1;
}

} // namespace

bool input_accepts(std::uint32_t input_mode, std::string_view text) {
  switch (input_mode) {
  case form::kInputReadOnly:
    return false;
  case form::kInputWholeNumber:
    return is_whole_number(text);
  case form::kInputDecimal:
    return is_decimal_number(text);
  default:
    return true;
  }
}

} // namespace qx::rt
