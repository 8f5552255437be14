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

char32_t fold_full_width(char32_t c) {
  constexpr char32_t kFirstFullWidth = 0xFF01; // "！"
  constexpr char32_t kLastFullWidth = 0xFF5E;  // "～"
  constexpr char32_t kFullWidthOffset = 0xFF01 - 0x21;
  constexpr char32_t kIdeographicSpace = 0x3000;
  if (c >= kFirstFullWidth && c <= kLastFullWidth)
    return c - kFullWidthOffset;
  if (c == kIdeographicSpace)
    return U' ';
  return c;
}

std::string fold_full_width_utf8(std::string_view utf8) {
  std::string folded;
  folded.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    // Every character folded is a three-byte sequence 1110xxxx 10xxxxxx
    // 10xxxxxx; a lead byte never occurs inside another sequence, so a match
    // starts at a character boundary.
    const auto byte = [&](std::size_t at) {
      return static_cast<unsigned char>(utf8[at]);
    };
    if (utf8.size() - i >= 3 && (byte(i) & 0xF0) == 0xE0 &&
        (byte(i + 1) & 0xC0) == 0x80 && (byte(i + 2) & 0xC0) == 0x80) {
      const char32_t c = (char32_t{byte(i)} & 0x0F) << 12 |
                         (char32_t{byte(i + 1)} & 0x3F) << 6 |
                         (char32_t{byte(i + 2)} & 0x3F);
      const char32_t plain = fold_full_width(c);
      if (plain != c) {
        folded += static_cast<char>(plain);
        i += 3;
        continue;
      }
    }
    folded += utf8[i];
    ++i;
  }
  return folded;
}

} // namespace qx::rt
