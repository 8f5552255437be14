// Pieces shared by the three equation workings: exact numbers written as
// document spans, polynomials, the cut notes and the boxes' decimals.
#pragma once

#include "base/wide_integer.h"
#include "document/document.h"
#include "solvers/working.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace qx::solvers::parts {

using base::Int128;

inline constexpr std::string_view kMinus = "\u2212";

// A span built left to right; adjacent texts merge into one node.
class Line {
public:
  Line() = default;
  Line(std::string_view text) { *this << text; }

  Line &operator<<(std::string_view text);
  Line &operator<<(const char *text) { return *this << std::string_view(text); }
  Line &operator<<(doc::Node node);
  Line &operator<<(const doc::Span &span);
  Line &operator<<(const Line &line) { return *this << line.m_span; }

  const doc::Span &span() const { return m_span; }
  doc::Span take() { return std::move(m_span); }

private:
  doc::Span m_span;
};

// A reduced fraction with a positive denominator.
struct Rational {
  Int128 numerator;
  Int128 denominator = 1;

  bool operator==(const Rational &) const = default;
};

Int128 gcd(Int128 a, Int128 b);
// n / d reduced; d != 0.
Rational reduced(Int128 n, Int128 d);
// For operands whose cross products stay below 2^127 (fractions of 32-bit
// numbers, not of determinants).
Rational operator+(const Rational &x, const Rational &y);
Rational operator*(const Rational &x, const Rational &y);

// "−12" with the minus sign U+2212.
std::string integer_text(const Int128 &value);
// A number as a factor: "(−3)" when negative.
Line factor(const Int128 &value);
// "−3/4" (a stacked fraction after the sign), or the integer.
Line rational(const Rational &value);
// A rational as a factor: parenthesized when negative.
Line rational_factor(const Rational &value);
// x with a lowered index: x₁.
Line indexed(std::string_view name, std::string_view index);

// c₁v₁ + c₂v₂ + ... with the textbook's signs: no coefficient 1, a minus
// for -1, zero terms left out; "0" when every term is zero. An empty
// variable is a constant term.
struct Term {
  Int128 coefficient;
  Line variable;
};
Line polynomial(std::initializer_list<Term> terms);

// "x = 3/2 = 1.5" ends: " = box" when the box's decimal is the exact value,
// " ≈ box" when it is rounded. A whole number is written only as the box
// writes it.
Line value_with_box(const Rational &value, std::string_view box);
// The exact value of a decimal text as the boxes write it ("-1.5",
// "2.5e-10"); false when the text is not such a number.
bool decimal_equals(std::string_view text, const Rational &value);

// The note on the coefficients that were cut to whole numbers; nothing when
// none was.
void add_cut_note(doc::Document &document,
                  std::initializer_list<const Coefficient *> coefficients);

void add_return_link(doc::Document &document);

} // namespace qx::solvers::parts
