// Exact numbers, polynomials and notes as document spans.
#include "solvers/working_parts.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <cassert>
#include <cstddef>
#include <utility>

namespace qx::solvers::parts {
namespace {

using boost::multiprecision::cpp_int;

Int128 magnitude(const Int128 &value) { return value < 0 ? -value : value; }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The decimal exponent of a box's text may not run wild: the boxes write at
// most three exponent digits.
constexpr int kExponentLimit = 400;

} // namespace

Line &Line::operator<<(std::string_view text) {
  if (text.empty())
    return *this;
  if (!m_span.empty() && m_span.back().kind == doc::NodeKind::Text) {
    m_span.back().text += text;
    return *this;
  }
  m_span.push_back(doc::text(text));
  return *this;
}

Line &Line::operator<<(doc::Node node) {
  if (node.kind == doc::NodeKind::Text)
    return *this << std::string_view(node.text);
  m_span.push_back(std::move(node));
  return *this;
}

Line &Line::operator<<(const doc::Span &span) {
  for (const doc::Node &node : span)
    *this << node;
  return *this;
}

Int128 gcd(Int128 a, Int128 b) {
  a = magnitude(a);
  b = magnitude(b);
  while (b != 0)
    a = std::exchange(b, a % b);
  return a;
}

Rational reduced(Int128 n, Int128 d) {
  assert(d != 0);
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const Int128 g = gcd(n, d);
  return {n / g, d / g};
}

Rational operator+(const Rational &x, const Rational &y) {
  return reduced(x.numerator * y.denominator + y.numerator * x.denominator,
                 x.denominator * y.denominator);
}

Rational operator*(const Rational &x, const Rational &y) {
  return reduced(x.numerator * y.numerator, x.denominator * y.denominator);
}

std::string integer_text(const Int128 &value) {
  std::string digits = magnitude(value).str();
  if (value < 0)
    return std::string(kMinus) + digits;
  return digits;
}

Line factor(const Int128 &value) {
  if (value < 0)
    return Line() << "(" << integer_text(value) << ")";
  return Line(integer_text(value));
}

Line rational(const Rational &value) {
  if (value.denominator == 1)
    return Line(integer_text(value.numerator));
  Line line;
  if (value.numerator < 0)
    line << kMinus;
  line << doc::fraction({doc::text(magnitude(value.numerator).str())},
                        {doc::text(value.denominator.str())});
  return line;
}

Line rational_factor(const Rational &value) {
  if (value.numerator < 0)
    return Line() << "(" << rational(value) << ")";
  return rational(value);
}

Line indexed(std::string_view name, std::string_view index) {
  return Line(name) << doc::subscript({doc::text(index)});
}

Line polynomial(std::initializer_list<Term> terms) {
  Line line;
  bool first = true;
  for (const Term &term : terms) {
    if (term.coefficient == 0)
      continue;
    const bool negative = term.coefficient < 0;
    if (first)
      line << (negative ? kMinus : "");
    else
      line << (negative ? " \u2212 " : " + ");
    const Int128 size = magnitude(term.coefficient);
    if (size != 1 || term.variable.span().empty())
      line << size.str();
    line << term.variable;
    first = false;
  }
  if (first)
    line << "0";
  return line;
}

bool decimal_equals(std::string_view text, const Rational &value) {
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative)
    ++at;
  cpp_int mantissa = 0;
  int exponent = 0;
  bool any_digit = false;
  for (; at < text.size() && is_digit(text[at]); ++at, any_digit = true)
    mantissa = mantissa * 10 + (text[at] - '0');
  if (at < text.size() && text[at] == '.') {
    for (++at; at < text.size() && is_digit(text[at]); ++at, any_digit = true) {
      mantissa = mantissa * 10 + (text[at] - '0');
      --exponent;
    }
  }
  if (!any_digit)
    return false;
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    bool negative_exponent = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
      negative_exponent = text[at++] == '-';
    int written = 0;
    const std::size_t first = at;
    for (; at < text.size() && is_digit(text[at]); ++at) {
      written = written * 10 + (text[at] - '0');
      if (written > kExponentLimit)
        return false;
    }
    if (at == first)
      return false;
    exponent += negative_exponent ? -written : written;
  }
  if (at != text.size())
    return false;

  // ±mantissa · 10^exponent = numerator / denominator, cross-multiplied.
  cpp_int left = negative ? -mantissa : mantissa;
  left *= cpp_int(value.denominator.str());
  cpp_int right(value.numerator.str());
  const cpp_int scale = boost::multiprecision::pow(
      cpp_int(10), static_cast<unsigned>(exponent < 0 ? -exponent : exponent));
  if (exponent >= 0)
    left *= scale;
  else
    right *= scale;
  return left == right;
}

Line value_with_box(const Rational &value, std::string_view box) {
  const bool exact = decimal_equals(box, value);
  if (exact && value.denominator == 1)
    return Line(box);
  return Line() << rational(value) << (exact ? " = " : " \u2248 ") << box;
}

void add_cut_note(doc::Document &document,
                  std::initializer_list<const Coefficient *> coefficients) {
  Line note;
  for (const Coefficient *coefficient : coefficients) {
    if (coefficient->cut_from.empty())
      continue;
    note << (note.span().empty() ? "系数取整数：" : "，");
    note << coefficient->cut_from << " 按 "
         << std::to_string(coefficient->value) << " 计算";
  }
  if (!note.span().empty())
    document.add(doc::ParagraphStyle::Note, (note << "。").take());
}

void add_return_link(doc::Document &document) {
  document.add(doc::ParagraphStyle::ReturnLink, {doc::text(kReturnLinkText)});
}

} // namespace qx::solvers::parts
