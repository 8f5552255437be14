// The working of page 分数运算2: decimals, fractions and mixed numbers into
// one another, the square and the nearest whole number.
#include "fraction/working/pieces.h"
#include "fraction/working/working.h"

#include "fraction/text_scan.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <optional>
#include <string>

namespace qx::fraction::working {
namespace {

using Big = boost::multiprecision::cpp_int;

// The one operand of a conversion, named by default.
constexpr std::string_view kOperand = "";

// The most digits a decimal's numerator over its power of ten may have, and
// the highest power: both far inside the wide integer.
constexpr std::size_t kLongestScaled = 36;

bool is_ascii(std::string_view text) {
  for (const char c : text)
    if (c < 0x20 || c > 0x7E)
      return false;
  return true;
}

// The exact decimal of n/d when d has no prime factors but 2 and 5, written
// without exponent; nothing otherwise. d is positive.
std::optional<std::string> terminating_decimal(const Wide &numerator,
                                               const Wide &denominator) {
  Wide rest = denominator;
  unsigned twos = 0;
  unsigned fives = 0;
  while (rest % 2 == 0) {
    rest /= 2;
    ++twos;
  }
  while (rest % 5 == 0) {
    rest /= 5;
    ++fives;
  }
  if (rest != 1)
    return std::nullopt;
  const unsigned places = twos > fives ? twos : fives;
  Big scaled = Big(exact::magnitude(numerator).str());
  for (unsigned i = 0; i < places; ++i)
    scaled *= 10;
  scaled /= Big(denominator.str());
  std::string text = scaled.str();
  if (places > 0) {
    if (text.size() <= places)
      text.insert(0, places - text.size() + 1, '0');
    text.insert(text.size() - places, ".");
    while (text.back() == '0')
      text.pop_back();
    if (text.back() == '.')
      text.pop_back();
  }
  if (numerator < 0)
    text.insert(0, "-");
  return text;
}

// The longest repetend the working names.
constexpr int kLongestRepetend = 20;

// The repeating digits of n/d when d has a prime factor other than 2 and 5
// and they repeat within kLongestRepetend digits; nothing otherwise. d is
// positive.
std::optional<std::string> repetend(const Wide &numerator,
                                    const Wide &denominator) {
  Wide rest = denominator;
  unsigned twos = 0;
  unsigned fives = 0;
  for (; rest % 2 == 0; rest /= 2)
    ++twos;
  for (; rest % 5 == 0; rest /= 5)
    ++fives;
  if (rest == 1)
    return std::nullopt;
  // The digits before the repetend: as many as the larger power of 2 or 5.
  Wide remainder = exact::magnitude(numerator) % denominator;
  for (unsigned i = 0; i < (twos > fives ? twos : fives); ++i)
    remainder = remainder * 10 % denominator;
  const Wide start = remainder;
  std::string digits_text;
  for (int i = 0; i < kLongestRepetend; ++i) {
    remainder *= 10;
    digits_text +=
        static_cast<char>('0' + static_cast<int>(remainder / denominator));
    remainder %= denominator;
    if (remainder == start)
      return digits_text;
  }
  return std::nullopt;
}

// "n/d = n ÷ d" and the decimal the box shows, = when it is the exact value.
void decimal_steps(Working &working, const Value &v,
                   std::string_view decimal_box) {
  working.equals(Line() << factor(v.numerator) << " ÷ " << v.denominator);
  const std::optional<std::string> exact =
      terminating_decimal(v.numerator, v.denominator);
  if (v.denominator == 1 && exact && *exact == decimal_box) {
    working.body(Line() << "分母是 1，商就是分子：");
    working.equals(Line() << decimal_box);
    return;
  }
  if (exact && *exact == decimal_box) {
    working.body(Line() << "分母 " << v.denominator
                        << " 只含质因数 2 和 5，能化成有限小数：");
    working.equals(Line() << decimal_box);
    return;
  }
  if (exact) {
    working.body(Line() << "分母 " << v.denominator
                        << " 只含质因数 2 和 5，能化成有限小数 " << *exact
                        << "；结果框保留 15 位有效数字：");
  } else {
    const std::optional<std::string> repeating =
        repetend(v.numerator, v.denominator);
    Line line;
    line << "分母 " << v.denominator
         << " 含有 2 和 5 以外的质因数，不能化成有限小数，是无限循环小数";
    if (repeating)
      line << "，循环节是 " << *repeating;
    working.body(line << "；结果框保留 15 位有效数字：");
  }
  working.formula(Line() << "≈ " << decimal_box);
}

// "n ÷ d = q 余 r" and the mixed number; v is in lowest terms.
void mixed_steps(Working &working, const Value &v) {
  const Fraction f =
      exact::narrow(exact::WideFraction{v.numerator, v.denominator});
  const std::string shown = mixed_text(fraction_to_mixed(f));
  const Quotient parts = divide_magnitudes(v.numerator, v.denominator);
  if (parts.quotient == 0) {
    working.body(Line() << "分子的绝对值小于分母，是真分数，整数部分是 0：");
    working.equals(Line() << shown);
    return;
  }
  working.body(Line() << exact::magnitude(v.numerator) << " ÷ " << v.denominator
                      << " = " << parts.quotient << " 余 " << parts.remainder
                      << "，商作整数部分，余数作分子，分母不变：");
  working.equals(Line() << shown);
  const std::string back = digits(parts.quotient) + " × " +
                           digits(v.denominator) + " + " +
                           digits(parts.remainder);
  Line check;
  check << "检验：";
  if (v.numerator < 0)
    check << "-";
  check << doc::fraction({doc::text(back)}, number(v.denominator)) << " = "
        << span_of(v) << "。";
  working.note(check);
}

// A decimal text as numerator / 10^places, exactly.
struct ScaledDecimal {
  Wide numerator;
  std::size_t places = 0;
};

// The value of a decimal text ("-12.5", "5e-10", "1.25E+3"); nothing when
// the text is no such number or too long to hold exactly.
std::optional<ScaledDecimal> scaled_decimal(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative)
    text.remove_prefix(1);
  long exponent = 0;
  if (const std::size_t e = text.find_first_of("eE");
      e != std::string_view::npos) {
    std::string_view power = text.substr(e + 1);
    const bool down = !power.empty() && power.front() == '-';
    if (!power.empty() && (power.front() == '-' || power.front() == '+'))
      power.remove_prefix(1);
    if (power.empty() || power.size() > 3 || !is_digits(power))
      return std::nullopt;
    for (const char c : power)
      exponent = exponent * 10 + (c - '0');
    if (down)
      exponent = -exponent;
    text = text.substr(0, e);
  }
  const std::size_t point = text.find('.');
  const std::string_view integer_text = text.substr(0, point);
  const std::string_view digit_text = point == std::string_view::npos
                                          ? std::string_view()
                                          : text.substr(point + 1);
  if (!is_digits(integer_text) || !is_digits(digit_text) ||
      integer_text.size() + digit_text.size() == 0)
    return std::nullopt;
  const long places = static_cast<long>(digit_text.size()) - exponent;
  const std::size_t zeros = places < 0 ? static_cast<std::size_t>(-places) : 0;
  if (integer_text.size() + digit_text.size() + zeros > kLongestScaled ||
      places > static_cast<long>(kLongestScaled))
    return std::nullopt;
  ScaledDecimal result{0, places < 0 ? 0 : static_cast<std::size_t>(places)};
  for (const char c : integer_text)
    result.numerator = result.numerator * 10 + (c - '0');
  for (const char c : digit_text)
    result.numerator = result.numerator * 10 + (c - '0');
  for (std::size_t i = 0; i < zeros; ++i)
    result.numerator *= 10;
  if (negative)
    result.numerator = -result.numerator;
  return result;
}

// The decimal text as a fraction over a power of ten, reduced, when that is
// exactly the value of f; false when f is the nearest fraction instead.
bool decimal_text_steps(Working &working, std::string_view text, Fraction f) {
  const std::optional<ScaledDecimal> decimal = scaled_decimal(text);
  if (!decimal)
    return false;
  Wide power = 1;
  for (std::size_t i = 0; i < decimal->places; ++i)
    power *= 10;
  const Wide numerator = decimal->numerator;
  const Value reduced = lowest_terms(numerator, power);
  const Value shown = lowest_terms(f.numerator, f.denominator);
  if (reduced.numerator != shown.numerator ||
      reduced.denominator != shown.denominator)
    return false;
  if (decimal->places == 0) {
    working.body(Line() << "整数可以看作分母是 1 的分数：");
    working.then(Line() << text, fraction_span(numerator, 1));
    return true;
  }
  working.body(Line() << "小数点后有 " << Wide{decimal->places}
                      << " 位数字，就写成分母是 " << power << " 的分数：");
  working.then(Line() << text, fraction_span(numerator, power));
  reduction_steps(working, numerator, power);
  return true;
}

void decimal_working(Working &working, std::string_view text, Fraction f) {
  if (decimal_text_steps(working, text, f)) {
    working.equals(box_fraction(f));
    return;
  }
  working.body(
      Line()
      << text
      << " 写成分母是 10 的幂的分数并约分后，分子或分母仍超出 "
         "±2147483647 的范围；取分子、分母都在范围内、与它最接近的分数：");
  working.formula(Line() << text << " ≈ " << box_fraction(f));
}

std::string shown_fraction(Fraction f) {
  return std::string(format_fraction(f).view());
}

std::string number_echo(std::string_view text) {
  return is_ascii(text) ? std::string(text) : std::string("这个数");
}

} // namespace

doc::Document decimal_to_fraction_working(std::string_view number_text,
                                          Fraction f) {
  constexpr std::string_view kName = "小数化为分数";
  const std::string text = number_echo(number_text);
  if (!is_valid(f))
    return invalid_working(
        kName, text + " 的绝对值超过 2147483647（或不是数），无法化成分数",
        shown_fraction(f));
  Working working;
  working.heading(kName);
  decimal_working(working, text, f);
  return working.finish();
}

doc::Document decimal_to_mixed_working(std::string_view number_text,
                                       Fraction f) {
  constexpr std::string_view kName = "小数化为带分数";
  const std::string text = number_echo(number_text);
  if (!is_valid(f))
    return invalid_working(
        kName, text + " 的绝对值超过 2147483647（或不是数），无法化成带分数",
        mixed_text(fraction_to_mixed(f)));
  Working working;
  working.heading(kName);
  decimal_working(working, text, f);
  mixed_steps(working, lowest_terms(f.numerator, f.denominator));
  return working.finish();
}

doc::Document fraction_to_decimal_working(const char *entry, Fraction f,
                                          std::string_view decimal_box) {
  constexpr std::string_view kName = "分数化为小数";
  if (!is_valid(f))
    return invalid_working(
        kName, invalid_operand(kOperand, f) + "，不能化成小数", decimal_box);
  Working working;
  working.heading(kName);
  operand_note(working, kOperand, entry, f);
  const Value v = lowest_terms(f.numerator, f.denominator);
  working.restate(span_of(v));
  working.body(Line() << "分数的分子除以分母：");
  decimal_steps(working, v, decimal_box);
  return working.finish();
}

doc::Document mixed_to_decimal_working(const char *entry,
                                       std::string_view decimal_box) {
  constexpr std::string_view kName = "带分数化为小数";
  const std::optional<TypedMixed> typed = typed_mixed(entry);
  if (!typed || !is_valid(parse_mixed(entry)))
    return invalid_working(kName, kUnusableMixed, decimal_box);
  Working working;
  working.heading(kName);
  working.body(Line() << "先把带分数化为假分数：");
  sign_rule_note(working, entry, *typed);
  const Value v = improper_steps(working, *typed);
  working.body(Line() << "再用分子除以分母：");
  decimal_steps(working, v, decimal_box);
  return working.finish();
}

doc::Document square_working(const char *entry, Fraction f) {
  constexpr std::string_view kName = "分数的平方";
  const Fraction result = fraction_power(f, 2);
  const std::string shown = shown_fraction(result);
  if (!is_valid(f))
    return invalid_working(kName, invalid_operand(kOperand, f) + "，不能求平方",
                           shown);
  const Value v = lowest_terms(f.numerator, f.denominator);
  if (!is_valid(result)) {
    const Wide n = v.numerator * v.numerator;
    const Wide d = v.denominator * v.denominator;
    return invalid_working(kName,
                           "平方 " + digits(n) + "/" + digits(d) +
                               " 的分子或分母超出 ±2147483647 的范围，无法写出",
                           shown);
  }
  Working working;
  working.heading(kName);
  operand_note(working, kOperand, entry, f);
  const doc::Span two{doc::text("2")};
  working.then(Line() << "(" << span_of(v) << ")" << doc::superscript(two));
  working.body(Line() << (v.numerator < 0 ? "负数的平方是正数，" : "")
                      << "分子、分母分别平方：");
  const Wide n = exact::magnitude(v.numerator);
  working.equals({doc::fraction(
      {doc::text(digits(n)), doc::superscript(two)},
      {doc::text(digits(v.denominator)), doc::superscript(two)})});
  working.equals(box_fraction(result));
  return working.finish();
}

doc::Document nearest_integer_working(const char *entry, Fraction f) {
  constexpr std::string_view kName = "最接近的整数";
  if (!is_valid(f))
    return invalid_working(kName,
                           invalid_operand(kOperand, f) + "，没有最接近的整数",
                           shown_fraction(kInvalidFraction));
  const std::int32_t nearest = fraction_nearest_int(f);
  Working working;
  working.heading(kName);
  operand_note(working, kOperand, entry, f);
  const Value v = lowest_terms(f.numerator, f.denominator);
  const Quotient parts = divide_magnitudes(v.numerator, v.denominator);
  const bool negative = v.numerator < 0;
  if (parts.remainder == 0) {
    working.body(Line() << "分子能被分母整除，分数本身就是整数：");
    working.restate(span_of(v));
    working.equals(number(nearest));
    return working.finish();
  }
  working.then(Line() << span_of(v) << " = "
                      << mixed_text(negative, parts.quotient, parts.remainder,
                                    v.denominator));
  const bool rounds_up = 2 * parts.remainder >= v.denominator;
  working.body(Line() << "分数部分 "
                      << fraction_span(parts.remainder, v.denominator)
                      << (rounds_up ? " 不小于 1/2，四舍五入，整数部分进 1"
                                    : " 小于 1/2，四舍五入，舍去分数部分")
                      << "，最接近的整数是 " << Wide{nearest} << "：");
  working.formula(Line() << span_of(v) << " ≈ " << Wide{nearest});
  return working.finish();
}

doc::Document fraction_to_mixed_working(const char *entry, Fraction f) {
  constexpr std::string_view kName = "假分数化为带分数";
  if (!is_valid(f))
    return invalid_working(kName,
                           invalid_operand(kOperand, f) + "，不能化成带分数",
                           mixed_text(fraction_to_mixed(f)));
  Working working;
  working.heading(kName);
  operand_note(working, kOperand, entry, f);
  const Value v = lowest_terms(f.numerator, f.denominator);
  working.restate(span_of(v));
  mixed_steps(working, v);
  return working.finish();
}

} // namespace qx::fraction::working
