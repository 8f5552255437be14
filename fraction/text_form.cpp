// Reading and writing fractions and mixed numbers as text, through the
// runtime's text commands.
#include "fraction/fraction.h"
#include "fraction/text_scan.h"
#include "program/const_pool.h"

#include <limits>
#include <string>
#include <string_view>

namespace qx::fraction {

namespace konst = image::konst;

namespace {

// A piece of a split text as a zero-terminated copy for the runtime.
std::string piece_of(const sdk::TextArray &pieces, std::int32_t index) {
  return std::string(pieces.at(index));
}

// True when `text` holds `separator` exactly once, so that splitting it gives
// exactly two pieces. The separators "/" and "&" are bytes below 0x40, which
// never occur inside a GBK character, so a byte search finds exactly the
// runtime's matches; a text full of separators is then never split into
// thousands of pieces only to be rejected.
bool holds_once(std::string_view text, std::string_view separator) {
  std::size_t first = text.find(separator);
  return first != std::string_view::npos &&
         text.find(separator, first + separator.size()) ==
             std::string_view::npos;
}

// True when the text starts with a minus sign before digits that read as 0
// ("-0", "-00").
bool is_negative_zero(std::string_view text) {
  LeadingNumber number = find_leading_number(text);
  return number.negative && number.has_digits &&
         number.significant_digits.empty();
}

} // namespace

std::optional<std::int32_t> read_whole_number(const char *text) {
  std::int32_t value = sdk::to_integer(text);
  // The runtime clamps: -2147483648 is either itself or a clamped reading,
  // and lies outside the field range in both cases.
  if (value == std::numeric_limits<std::int32_t>::min())
    return std::nullopt;
  LeadingNumber number =
      find_leading_number(text ? std::string_view(text) : std::string_view());
  if (exceeds_field_limit(number))
    return std::nullopt;
  // 2147483647 may also be a clamped reading of a larger number.
  if (value == kFieldLimit && !equals_field_limit(number))
    return std::nullopt;
  return value;
}

Fraction parse_fraction(const char *text) {
  sdk::Text compact = sdk::remove_blanks(text);
  const char *slash = sdk::const_text(konst::kSlash);
  sdk::TextArray pieces;
  if (holds_once(compact.view(), slash))
    pieces = sdk::split_text(compact.c_str(), slash);
  if (pieces.size() != 2) {
    // A whole number, read from the text as typed, blanks included.
    std::optional<std::int32_t> whole = read_whole_number(text);
    if (!whole)
      return kInvalidFraction;
    return {*whole, 1};
  }
  std::optional<std::int32_t> numerator =
      read_whole_number(piece_of(pieces, 1).c_str());
  std::optional<std::int32_t> denominator =
      read_whole_number(piece_of(pieces, 2).c_str());
  if (!numerator || !denominator)
    return kInvalidFraction;
  return normalize_fraction_sign(reduce_fraction({*numerator, *denominator}));
}

MixedNumber parse_mixed(const char *text) {
  sdk::Text compact = sdk::remove_blanks(text);
  const char *ampersand = sdk::const_text(konst::kAmpersand);
  sdk::TextArray pieces;
  if (holds_once(compact.view(), ampersand))
    pieces = sdk::split_text(compact.c_str(), ampersand);
  if (pieces.size() != 2)
    return kInvalidMixed;
  std::optional<std::int32_t> whole =
      read_whole_number(piece_of(pieces, 1).c_str());
  if (!whole)
    return kInvalidMixed;
  // The fraction part may itself be a whole number: 2&5 has 5/1.
  Fraction part = parse_fraction(piece_of(pieces, 2).c_str());
  if (!is_valid(part))
    return kInvalidMixed;
  // A whole part of -0 carries the sign that no zero can: -0&1/3 is minus
  // one third, the way format_mixed writes it. The part is in lowest terms
  // within the field range, so its numerator can be negated.
  if (*whole == 0 && is_negative_zero(piece_of(pieces, 1)))
    part.numerator = -part.numerator;
  MixedNumber m{*whole, part.numerator, part.denominator};
  return reduce_mixed(normalize_mixed_sign(m));
}

sdk::Text format_fraction(Fraction f, bool reduce) {
  f = reduce ? reduce_fraction(f) : normalize_fraction_sign(f);
  return sdk::concat({sdk::to_text(f.numerator).c_str(),
                      sdk::const_text(konst::kSlash),
                      sdk::to_text(f.denominator).c_str()});
}

sdk::Text format_mixed(MixedNumber m) {
  // Both steps keep every field within the field range, so the numerator
  // can be negated.
  m = normalize_mixed_sign(reduce_mixed(m));
  if (m.numerator < 0)
    return sdk::concat(
        {sdk::const_text(konst::kMinus), sdk::to_text(m.whole).c_str(),
         sdk::const_text(konst::kAmpersand), sdk::to_text(-m.numerator).c_str(),
         sdk::const_text(konst::kSlash), sdk::to_text(m.denominator).c_str()});
  return sdk::concat(
      {sdk::to_text(m.whole).c_str(), sdk::const_text(konst::kAmpersand),
       sdk::to_text(m.numerator).c_str(), sdk::const_text(konst::kSlash),
       sdk::to_text(m.denominator).c_str()});
}

bool has_mixed_form(const char *text) {
  // "/" is looked for only once "&" is found.
  return sdk::find_text(text, sdk::const_text(konst::kAmpersand)) > 0 &&
         sdk::find_text(text, sdk::const_text(konst::kSlash)) > 0;
}

Fraction text_to_fraction(const char *text) {
  if (has_mixed_form(text))
    return mixed_to_fraction(parse_mixed(text));
  if (sdk::find_text(text, sdk::const_text(konst::kSlash)) > 0)
    return parse_fraction(text);
  // A number where a fraction goes, decimals included: 0.5 is 1/2, not its
  // whole part 0. Whole numbers and texts without a number come out as
  // parse_fraction reads them (5/1, 0/1).
  return decimal_to_fraction(sdk::text_to_number(text));
}

} // namespace qx::fraction
