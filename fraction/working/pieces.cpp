// The pieces every fraction working is made of.
#include "fraction/working/pieces.h"

#include "base/number_text.h"
#include "document/plain_text.h"
#include "fraction/text_scan.h"

#include <utility>

namespace qx::fraction::working {

// ---- Spans ---------------------------------------------------------------

std::string digits(const Wide &value) { return value.str(); }

doc::Span number(const Wide &value) { return {doc::text(digits(value))}; }

doc::Span fraction_span(const Wide &numerator, const Wide &denominator) {
  if (numerator < 0 && denominator > 0)
    return {doc::text("-"),
            doc::fraction(number(-numerator), number(denominator))};
  return {doc::fraction(number(numerator), number(denominator))};
}

doc::Span term_span(const Wide &numerator, const Wide &denominator) {
  doc::Span span = fraction_span(numerator, denominator);
  if (numerator >= 0 && denominator > 0)
    return span;
  span.insert(span.begin(), doc::text("("));
  span.push_back(doc::text(")"));
  return span;
}

doc::Span box_fraction(Fraction f, bool reduce) {
  const Fraction shown =
      reduce ? reduce_fraction(f) : normalize_fraction_sign(f);
  return fraction_span(shown.numerator, shown.denominator);
}

std::string mixed_text(MixedNumber m) {
  return std::string(format_mixed(m).view());
}

std::string mixed_text(bool negative, const Wide &whole, const Wide &numerator,
                       const Wide &denominator) {
  std::string text = negative ? "-" : "";
  text += digits(whole) + "&" + digits(numerator) + "/" + digits(denominator);
  return text;
}

// ---- The document --------------------------------------------------------

Line &Line::operator<<(std::string_view utf8) {
  m_span.push_back(doc::text(utf8));
  return *this;
}

Line &Line::operator<<(const doc::Span &span) {
  m_span.insert(m_span.end(), span.begin(), span.end());
  return *this;
}

Line &Line::operator<<(doc::Node node) {
  m_span.push_back(std::move(node));
  return *this;
}

Line &Line::operator<<(const Wide &value) { return *this << number(value); }

void Working::heading(std::string_view utf8) {
  m_document.add(doc::ParagraphStyle::Heading, {doc::text(utf8)});
}

void Working::body(Line line) {
  m_document.add(doc::ParagraphStyle::Body, line.take());
}

void Working::formula(Line line) {
  m_last_value.clear();
  m_document.add(doc::ParagraphStyle::Formula, line.take());
}

void Working::note(Line line) {
  m_document.add(doc::ParagraphStyle::Note, line.take());
}

void Working::equals(const doc::Span &value) {
  std::string shown = doc::to_plain_text(value);
  if (shown == m_last_value)
    return;
  m_document.add(doc::ParagraphStyle::Formula,
                 (Line() << "= " << value).take());
  m_last_value = std::move(shown);
}

void Working::then(const doc::Span &value) {
  std::string shown = doc::to_plain_text(value);
  if (shown == m_last_value)
    return;
  formula(Line() << value);
  m_last_value = std::move(shown);
}

void Working::then(Line start, const doc::Span &value) {
  formula(start << " = " << value);
  m_last_value = doc::to_plain_text(value);
}

void Working::restate(const doc::Span &value) {
  if (m_last_value.empty())
    then(value);
  else
    equals(value);
}

doc::Document Working::finish() {
  m_document.add(doc::ParagraphStyle::ReturnLink, {doc::text("返回使用指南")});
  return std::move(m_document);
}

// ---- Arithmetic ----------------------------------------------------------

Wide gcd_of(const Wide &a, const Wide &b) {
  return exact::common_divisor(a, b);
}

Quotient divide_magnitudes(const Wide &numerator, const Wide &denominator) {
  const Wide n = exact::magnitude(numerator);
  const Wide d = exact::magnitude(denominator);
  return {n / d, n % d};
}

// ---- Entries as typed ------------------------------------------------------

namespace {

std::string_view view_of(const char *text) {
  return text ? std::string_view(text) : std::string_view();
}

// The longest entry echoed as typed.
constexpr std::size_t kLongestEcho = 60;

// A minus sign before digits that read as 0 ("-0", "-00").
bool is_negative_zero(std::string_view text) {
  const base::LeadingNumber number = base::find_leading_number(text);
  return number.negative && number.has_digits &&
         number.significant_digits.empty();
}

} // namespace

std::optional<std::string> echo_of(const char *entry) {
  std::string compact = base::remove_blanks(view_of(entry));
  if (compact.size() > kLongestEcho)
    return std::nullopt;
  for (const char c : compact)
    if (c < 0x21 || c > 0x7E)
      return std::nullopt;
  return compact;
}

std::optional<TypedMixed> typed_mixed(const char *entry) {
  const std::string compact = base::remove_blanks(view_of(entry));
  const std::optional<Sides> sides = split_once(compact, '&');
  if (!sides)
    return std::nullopt;
  const std::optional<std::int32_t> whole = scan_whole_number(sides->before);
  if (!whole)
    return std::nullopt;
  Wide numerator = 0;
  Wide denominator = 1;
  if (const std::optional<Sides> part = split_once(sides->after, '/')) {
    const auto n = scan_whole_number(part->before);
    const auto d = scan_whole_number(part->after);
    if (!n || !d || *d == 0)
      return std::nullopt;
    numerator = *n;
    denominator = *d;
  } else {
    const auto n = scan_whole_number(sides->after);
    if (!n)
      return std::nullopt;
    numerator = *n;
  }
  if (numerator != 0 && denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  if (*whole == 0 && is_negative_zero(sides->before))
    numerator = -numerator;
  const exact::WideMixed m =
      exact::normalize_sign(exact::WideMixed{*whole, numerator, denominator});
  return TypedMixed{m.whole < 0 || m.numerator < 0, exact::magnitude(m.whole),
                    exact::magnitude(m.numerator),
                    exact::magnitude(m.denominator)};
}

void sign_rule_note(Working &working, const char *entry,
                    const TypedMixed &typed) {
  const std::string shown = mixed_text(typed.negative, typed.whole,
                                       typed.numerator, typed.denominator);
  const std::optional<std::string> echo = echo_of(entry);
  if (!echo || *echo == shown)
    return;
  working.body(Line() << "按带分数的符号规则，" << *echo << " 读作 " << shown
                      << "：");
}

Value lowest_terms(const Wide &numerator, const Wide &denominator) {
  if (numerator == 0)
    return {0, 1};
  const Wide divisor = gcd_of(numerator, denominator);
  const Wide sign = denominator < 0 ? -1 : 1;
  return {sign * numerator / divisor, sign * denominator / divisor};
}

doc::Span span_of(const Value &v) {
  return fraction_span(v.numerator, v.denominator);
}

std::string factor(const Wide &value) {
  return value < 0 ? "(" + digits(value) + ")" : digits(value);
}

Value improper_steps(Working &working, const TypedMixed &typed) {
  const std::string sum = digits(typed.whole) + " × " +
                          digits(typed.denominator) + " + " +
                          digits(typed.numerator);
  doc::Span formed;
  if (typed.negative)
    formed.push_back(doc::text("-"));
  formed.push_back(doc::fraction({doc::text(sum)}, number(typed.denominator)));
  working.then(Line() << mixed_text(typed.negative, typed.whole,
                                    typed.numerator, typed.denominator),
               formed);
  working.body(Line() << "整数部分乘分母再加分子作分子，分母不变：");
  const Wide numerator = typed.whole * typed.denominator + typed.numerator;
  working.equals(fraction_span(typed.negative ? -numerator : numerator,
                               typed.denominator));
  const Wide signed_numerator = typed.negative ? -numerator : numerator;
  reduction_steps(working, signed_numerator, typed.denominator);
  return lowest_terms(signed_numerator, typed.denominator);
}

void operand_note(Working &working, std::string_view which, const char *entry,
                  Fraction value) {
  // Page 2 has one operand: `which` is empty there.
  const std::string who = which.empty() ? "输入的数" : std::string(which);
  const std::optional<std::string> echo = echo_of(entry);
  if (!echo) {
    working.body(Line() << who << "读作 " << box_fraction(value) << "。");
    return;
  }
  if (*echo == format_fraction(value).view())
    return;
  if (has_mixed_form(entry)) {
    if (const std::optional<TypedMixed> typed = typed_mixed(entry)) {
      working.body(Line() << who << "是带分数，先化为假分数：");
      sign_rule_note(working, entry, *typed);
      improper_steps(working, *typed);
      working.equals(box_fraction(value));
      return;
    }
  }
  if (const std::optional<Sides> sides = split_once(*echo, '/')) {
    const auto n = scan_whole_number(sides->before);
    const auto d = scan_whole_number(sides->after);
    if (n && d && *d != 0) {
      working.body(Line() << who << "先化成最简分数：");
      working.then(fraction_span(*n, *d));
      reduction_steps(working, *n, *d);
      working.equals(box_fraction(value));
      return;
    }
  }
  if (echo->empty()) {
    working.body(Line() << which << "没有输入，按 " << box_fraction(value)
                        << " 计算。");
    return;
  }
  working.body(Line() << who << " " << *echo << " 读作 " << box_fraction(value)
                      << "。");
}

void reduction_steps(Working &working, Wide numerator, Wide denominator) {
  if (numerator != 0 && denominator < 0) {
    working.body(Line() << "分母是负数，分子分母同乘 -1：");
    numerator = -numerator;
    denominator = -denominator;
    working.equals(fraction_span(numerator, denominator));
  }
  const Wide divisor = gcd_of(numerator, denominator);
  if (divisor == 1)
    return;
  if (numerator == 0) {
    working.body(Line() << "分子是 0，分数的值是 0，分子分母同除以 " << divisor
                        << "：");
  } else {
    working.body(Line() << "分子分母同除以最大公因数 " << divisor << "：");
  }
  working.equals(fraction_span(numerator / divisor, denominator / divisor));
}

std::string invalid_operand(std::string_view which, Fraction bad) {
  const std::string who = which.empty() ? "输入的数" : std::string(which);
  if (bad == kInvalidFraction)
    return who + "无效（分母为 0，或数超出 ±2147483647 的范围）";
  return who + " " + std::string(format_fraction(bad, false).view()) +
         " 的分母为 0，分数没有意义";
}

doc::Document invalid_working(std::string_view heading, std::string_view why,
                              std::string_view shown) {
  Working working;
  working.heading(heading);
  working.body(Line() << why << "，结果显示为 " << shown << "。");
  return working.finish();
}

doc::Document sentence_working(std::string_view heading,
                               std::string_view sentence) {
  Working working;
  working.heading(heading);
  working.body(Line() << sentence);
  return working.finish();
}

} // namespace qx::fraction::working
