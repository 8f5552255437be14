// Reading and writing fractions and mixed numbers as text, on the bytes
// themselves (fraction/text_scan.h has the grammar).
#include "fraction/fraction.h"
#include "fraction/text_scan.h"
#include "runtime/sdk/sdk.h"

#include <charconv>
#include <numeric>
#include <string>
#include <string_view>

namespace qx::fraction {

namespace {

constexpr char kSlash = '/';
constexpr char kAmpersand = '&';

std::string_view view_of(const char *text) {
  return text ? std::string_view(text) : std::string_view();
}

// True when the text starts with a minus sign before digits that read as 0
// ("-0", "-00").
bool is_negative_zero(std::string_view text) {
  LeadingNumber number = find_leading_number(text);
  return number.negative && number.has_digits &&
         number.significant_digits.empty();
}

// The text without blanks: the text itself when it holds no byte of a
// blank, else a copy kept in `storage`.
std::string_view without_blanks(std::string_view text, std::string &storage) {
  if (text.find_first_of(" \t\xA1") == std::string_view::npos)
    return text;
  storage = base::remove_blanks(text);
  return storage;
}

// fraction = piece "/" piece after the blanks are removed, else a whole
// number read from the text as typed, blanks included.
Fraction scan_fraction(std::string_view text) {
  std::string storage;
  const std::string_view compact = without_blanks(text, storage);
  const std::optional<Sides> sides = split_once(compact, kSlash);
  if (!sides) {
    std::optional<std::int32_t> whole = scan_whole_number(text);
    if (!whole)
      return kInvalidFraction;
    return {*whole, 1};
  }
  std::optional<std::int32_t> numerator = scan_whole_number(sides->before);
  std::optional<std::int32_t> denominator = scan_whole_number(sides->after);
  if (!numerator || !denominator)
    return kInvalidFraction;
  return normalize_fraction_sign(reduce_fraction({*numerator, *denominator}));
}

// mixed number = whole "&" fraction after the blanks are removed.
MixedNumber scan_mixed(std::string_view text) {
  std::string storage;
  const std::string_view compact = without_blanks(text, storage);
  const std::optional<Sides> sides = split_once(compact, kAmpersand);
  if (!sides)
    return kInvalidMixed;
  std::optional<std::int32_t> whole = scan_whole_number(sides->before);
  if (!whole)
    return kInvalidMixed;
  // The fraction part may itself be a whole number: 2&5 has 5/1.
  Fraction part = scan_fraction(sides->after);
  if (!is_valid(part))
    return kInvalidMixed;
  // A whole part of -0 carries the sign that no zero can: -0&1/3 is minus
  // one third, the way format_mixed writes it. The part is in lowest terms
  // within the field range, so its numerator can be negated.
  if (*whole == 0 && is_negative_zero(sides->before))
    part.numerator = -part.numerator;
  MixedNumber m{*whole, part.numerator, part.denominator};
  return reduce_mixed(normalize_mixed_sign(m));
}

// The most significant digits a decimal may have for the double read from
// it to be written back with the same digits (15 significant digits).
constexpr std::size_t kRoundTripDigits = 15;
// The most digits after the point whose power of ten fits in a field.
constexpr std::size_t kMaxFractionDigits = 9;

// plain decimal = blanks [sign] digits ["." digits] and nothing after,
// with at least one digit. Such a text of at most 15 significant digits and
// at most 9 after the point reads as a double whose decimal text spells the
// same digits again, so its exact value is what the runtime's reading and
// writing of the number would give. Nothing for any other text, and for a
// value whose fraction does not fit in fields.
std::optional<Fraction> scan_plain_decimal(std::string_view text) {
  std::size_t at = base::skip_blanks(text);
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+'))
    negative = text[at++] == '-';
  std::int64_t digits = 0;
  std::size_t significant = 0;
  std::size_t after_point = 0;
  bool any_digit = false;
  bool point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    if (!base::is_ascii_digit(c))
      return std::nullopt;
    any_digit = true;
    if (point)
      ++after_point;
    if (significant > 0 || c != '0')
      ++significant;
    if (significant > kRoundTripDigits || after_point > kMaxFractionDigits)
      return std::nullopt;
    digits = digits * 10 + (c - '0');
  }
  if (!any_digit)
    return std::nullopt;
  std::int64_t power = 1;
  for (std::size_t i = 0; i < after_point; ++i)
    power *= 10;
  // In lowest terms; the denominator divides 10^9, so it fits.
  const std::int64_t common = std::gcd(digits, power);
  digits /= common;
  power /= common;
  if (digits > kFieldLimit)
    return std::nullopt;
  return Fraction{static_cast<std::int32_t>(negative ? -digits : digits),
                  static_cast<std::int32_t>(power)};
}

// Appends the decimal digits of value; the text has room for them.
void append_integer(ShortText &text, std::int32_t value) {
  const auto [end, error] =
      std::to_chars(text.bytes.data() + text.size,
                    text.bytes.data() + text.bytes.size() - 1, value);
  text.size = static_cast<std::size_t>(end - text.bytes.data());
}

void append_char(ShortText &text, char c) { text.bytes[text.size++] = c; }

} // namespace

std::optional<std::int32_t> read_whole_number(const char *text) {
  return scan_whole_number(view_of(text));
}

Fraction parse_fraction(const char *text) {
  return scan_fraction(view_of(text));
}

MixedNumber parse_mixed(const char *text) { return scan_mixed(view_of(text)); }

ShortText format_fraction(Fraction f, bool reduce) {
  f = reduce ? reduce_fraction(f) : normalize_fraction_sign(f);
  ShortText text;
  append_integer(text, f.numerator);
  append_char(text, kSlash);
  append_integer(text, f.denominator);
  return text;
}

ShortText format_mixed(MixedNumber m) {
  // Both steps keep every field within the field range, so the numerator
  // can be negated.
  m = normalize_mixed_sign(reduce_mixed(m));
  ShortText text;
  if (m.numerator < 0)
    append_char(text, '-');
  append_integer(text, m.whole);
  append_char(text, kAmpersand);
  append_integer(text, m.numerator < 0 ? -m.numerator : m.numerator);
  append_char(text, kSlash);
  append_integer(text, m.denominator);
  return text;
}

bool has_mixed_form(const char *text) {
  const std::string_view view = view_of(text);
  return view.find(kAmpersand) != view.npos && view.find(kSlash) != view.npos;
}

Fraction text_to_fraction(const char *text) {
  if (has_mixed_form(text))
    return mixed_to_fraction(parse_mixed(text));
  if (view_of(text).find(kSlash) != std::string_view::npos)
    return parse_fraction(text);
  // A number where a fraction goes, decimals included: 0.5 is 1/2, not its
  // whole part 0. Whole numbers and texts without a number come out as
  // parse_fraction reads them (5/1, 0/1).
  if (std::optional<Fraction> plain = scan_plain_decimal(view_of(text)))
    return *plain;
  return decimal_to_fraction(sdk::text_to_number(text));
}

} // namespace qx::fraction
