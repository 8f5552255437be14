// The working of ax² + bx + c = 0: the discriminant, the verdict, the roots
// by the formula in simplest radical form, the factored form of rational
// roots, and the check by the relations between roots and coefficients.
#include "document/plain_text.h"
#include "solvers/equations.h"
#include "solvers/square_part.h"
#include "solvers/working.h"
#include "solvers/working_parts.h"

#include <cassert>
#include <vector>

namespace qx::solvers {
namespace {

using doc::ParagraphStyle;
using parts::Int128;
using parts::Line;
using parts::Rational;

constexpr std::string_view kPlusMinus = " \u00b1 ";

// The sign of a root's second term: +, − or ±.
enum class SignKind { Plus, Minus, PlusMinus };

std::string_view sign_text(SignKind sign, bool leading) {
  switch (sign) {
  case SignKind::Plus:
    return leading ? "" : " + ";
  case SignKind::Minus:
    return leading ? "\u2212" : " \u2212 ";
  case SignKind::PlusMinus:
    return leading ? "\u00b1" : kPlusMinus;
  }
  return "";
}

// coefficient·√radicand in simplest form ("2√2", "√5", "3"), with the
// imaginary unit after it when `imaginary` ("2√2 i", "√3 i", "2i", "i").
Line surd(const Int128 &coefficient, const Int128 &radicand, bool imaginary) {
  Line line;
  if (coefficient != 1 || (radicand == 1 && !imaginary))
    line << coefficient.str();
  if (radicand != 1)
    line << doc::root({doc::text(radicand.str())});
  if (imaginary)
    line << (radicand != 1 ? " i" : "i");
  return line;
}

// (p sign q√r)/d, the fraction bar left out for d = 1 and the first term
// for p = 0; q > 0, d > 0.
Line root_form(const Int128 &p, SignKind sign, const Int128 &q, const Int128 &r,
               const Int128 &d, bool imaginary) {
  Line numerator;
  if (p != 0)
    numerator << parts::integer_text(p);
  numerator << sign_text(sign, p == 0) << surd(q, r, imaginary);
  if (d == 1)
    return numerator;
  return Line() << doc::fraction(numerator.take(), {doc::text(d.str())});
}

// x − v as a factor: "x", "(x − 2)", "(x + 3/2)".
Line linear_factor(const Rational &v) {
  if (v.numerator == 0)
    return Line("x");
  const Rational size{v.numerator < 0 ? -v.numerator : v.numerator,
                      v.denominator};
  return Line() << "(x" << (v.numerator < 0 ? " + " : " \u2212 ")
                << parts::rational(size) << ")";
}

Line leading_coefficient(const Int128 &a) {
  if (a == 1)
    return Line();
  if (a == -1)
    return Line(parts::kMinus);
  return Line(parts::integer_text(a));
}

// "x = A = B = C" without a step that reads like the one before it.
void add_chain(doc::Document &working, Line head, std::vector<Line> steps) {
  std::string last;
  bool first = true;
  for (Line &step : steps) {
    const std::string rendered = doc::to_plain_text(step.span());
    if (rendered == last)
      continue;
    head << (first ? "" : " = ") << step;
    last = rendered;
    first = false;
  }
  working.add(ParagraphStyle::Formula, head.take());
}

Line x_index(std::string_view index) { return parts::indexed("x", index); }

// The formula with its letters: (−b ± √(b² − 4ac))/(2a).
Line formula_in_letters() {
  Line radicand = Line("b")
                  << doc::superscript({doc::text("2")}) << " \u2212 4ac";
  Line numerator = Line("\u2212b") << kPlusMinus << doc::root(radicand.take());
  return Line() << doc::fraction(numerator.take(), {doc::text("2a")});
}

// The relations x₁ + x₂ = −b/a and x₁x₂ = c/a, with both sides worked out
// independently: the sum and product from the roots as written.
void add_relations(doc::Document &working, const Rational &sum,
                   const Rational &product, const Int128 &a, const Int128 &b,
                   const Int128 &c) {
  working.add(ParagraphStyle::Heading, {doc::text("检验")});
  working.add(ParagraphStyle::Body, {doc::text("用根与系数的关系检验：")});
  working.add(ParagraphStyle::Formula,
              (x_index("1")
               << " + " << x_index("2") << " = " << parts::rational(sum) << "，"
               << doc::fraction({doc::text("\u2212b")}, {doc::text("a")})
               << " = " << parts::rational(parts::reduced(-b, a)))
                  .take());
  working.add(ParagraphStyle::Formula,
              (x_index("1")
               << x_index("2") << " = " << parts::rational(product) << "，"
               << doc::fraction({doc::text("c")}, {doc::text("a")}) << " = "
               << parts::rational(parts::reduced(c, a)))
                  .take());
  assert(sum == parts::reduced(-b, a) && product == parts::reduced(c, a));
  working.add(ParagraphStyle::Body,
              {doc::text("两根之和等于 −b/a，两根之积等于 c/a，"
                         "与根与系数的关系相符。")});
}

} // namespace

doc::Document quadratic_working(const QuadraticCoefficients &k,
                                std::string_view x1_box,
                                std::string_view x2_box) {
  assert(k.a.value != 0);
  const Int128 a = k.a.value;
  const Int128 b = k.b.value;
  const Int128 c = k.c.value;
  const Int128 d = quadratic_discriminant(k.a.value, k.b.value, k.c.value);
  const Line x_squared = Line("x") << doc::superscript({doc::text("2")});

  doc::Document working;
  working.add(ParagraphStyle::Heading, {doc::text("解一元二次方程")});
  working.add(ParagraphStyle::Formula,
              (parts::polynomial({{a, x_squared}, {b, Line("x")}, {c, Line()}})
               << " = 0")
                  .take());
  parts::add_cut_note(working, {&k.a, &k.b, &k.c});
  working.add(ParagraphStyle::Body,
              (Line("a = ")
               << parts::integer_text(a) << "，b = " << parts::integer_text(b)
               << "，c = " << parts::integer_text(c))
                  .take());

  working.add(ParagraphStyle::Heading, {doc::text("计算判别式")});
  working.add(ParagraphStyle::Formula,
              (Line("Δ = b")
               << doc::superscript({doc::text("2")}) << " \u2212 4ac = "
               << parts::factor(b) << doc::superscript({doc::text("2")})
               << " \u2212 4 × " << parts::factor(a) << " × "
               << parts::factor(c) << " = " << parts::integer_text(d))
                  .take());
  const std::string delta = "因为 Δ = " + parts::integer_text(d);
  if (d > 0)
    working.add(ParagraphStyle::Body,
                {doc::text(delta + " > 0，所以方程有两个不相等的实数根。")});
  else if (d == 0)
    working.add(ParagraphStyle::Body,
                {doc::text("因为 Δ = 0，所以方程有两个相等的实数根。")});
  else
    working.add(ParagraphStyle::Body,
                {doc::text(delta + " < 0，所以方程没有实数根。")});

  const Int128 twice_a = 2 * a;
  const Line denominator_in_numbers = Line("2 × ") << parts::factor(a);

  if (d == 0) {
    const Rational x = parts::reduced(-b, twice_a);
    working.add(ParagraphStyle::Heading, {doc::text("求根")});
    working.add(ParagraphStyle::Body, {doc::text("由求根公式，得")});
    add_chain(
        working, x_index("1") << " = " << x_index("2") << " = ",
        {Line() << doc::fraction({doc::text("\u2212b")}, {doc::text("2a")}),
         Line() << doc::fraction(Line(parts::integer_text(-b)).take(),
                                 Line(denominator_in_numbers).take()),
         parts::value_with_box(x, x1_box)});
    working.add(ParagraphStyle::Body, {doc::text("所以原方程可以写成")});
    working.add(ParagraphStyle::Formula,
                (leading_coefficient(a)
                 << linear_factor(x) << doc::superscript({doc::text("2")})
                 << " = 0")
                    .take());
    add_relations(working, x + x, x * x, a, b, c);
    parts::add_return_link(working);
    return working;
  }

  const bool imaginary = d < 0;
  const base::UInt128 size =
      static_cast<base::UInt128>(imaginary ? Int128(-d) : d);
  const SquareSplit split = split_square(size);
  const auto s = static_cast<Int128>(split.outside);
  const auto r = static_cast<Int128>(split.inside);

  // The roots as (p ± q√r)/den in lowest terms, den > 0; x1 takes the sign
  // of q_signed (the root with the added square root, as the boxes have).
  const Int128 g = parts::gcd(parts::gcd(b, s), twice_a);
  Int128 p = -b / g;
  Int128 q_signed = s / g;
  Int128 den = twice_a / g;
  if (den < 0) {
    p = -p;
    q_signed = -q_signed;
    den = -den;
  }
  const Int128 q = q_signed < 0 ? -q_signed : q_signed;
  const SignKind x1_sign = q_signed > 0 ? SignKind::Plus : SignKind::Minus;
  const SignKind x2_sign = q_signed > 0 ? SignKind::Minus : SignKind::Plus;

  // −b ± (the square root), with no 0 before the sign.
  const auto numerator = [&](const Line &root_part) {
    if (b == 0)
      return Line("\u00b1") << root_part;
    return Line(parts::integer_text(-b)) << kPlusMinus << root_part;
  };
  Line substituted =
      Line() << doc::fraction(
          numerator(Line() << doc::root(Line(parts::integer_text(d)).take()))
              .take(),
          Line(denominator_in_numbers).take());
  Line simplified =
      Line() << doc::fraction(numerator(surd(s, r, imaginary)).take(),
                              Line(parts::integer_text(twice_a)).take());

  if (imaginary) {
    working.add(ParagraphStyle::Note, (Line("在复数范围内，由求根公式 x = ")
                                       << formula_in_letters() << "，得")
                                          .take());
    std::vector<Line> steps;
    steps.push_back(substituted);
    steps.push_back(simplified);
    steps.push_back(root_form(p, SignKind::PlusMinus, q, r, den, true));
    Line chain("x = ");
    add_chain(working, chain, std::move(steps));
    working.paragraphs.back().style = ParagraphStyle::Note;
    working.add(ParagraphStyle::Note,
                (Line("即 ") << x_index("1") << " = "
                             << root_form(p, x1_sign, q, r, den, true) << "，"
                             << x_index("2") << " = "
                             << root_form(p, x2_sign, q, r, den, true)
                             << "，这两个根不是实数。")
                    .take());
    parts::add_return_link(working);
    return working;
  }

  working.add(ParagraphStyle::Heading, {doc::text("求根")});
  working.add(
      ParagraphStyle::Body,
      (Line("由求根公式 x = ") << formula_in_letters() << "，得").take());
  if (s != 1) {
    add_chain(working, Line(),
              {Line() << doc::root({doc::text(d.str())}), surd(s, r, false)});
  }

  if (r == 1) {
    // Rational roots.
    const Rational x1 = parts::reduced(-b + s, twice_a);
    const Rational x2 = parts::reduced(-b - s, twice_a);
    add_chain(working, Line("x = "), {substituted, simplified});
    const auto root_line = [&](std::string_view index, std::string_view sign,
                               const Rational &x, std::string_view box) {
      Line top = Line(parts::integer_text(-b)) << sign << s.str();
      if (b == 0)
        top = Line(sign == " + " ? "" : parts::kMinus) << s.str();
      add_chain(working, x_index(index) << " = ",
                {Line() << doc::fraction(
                     top.take(), Line(parts::integer_text(twice_a)).take()),
                 parts::value_with_box(x, box)});
    };
    root_line("1", " + ", x1, x1_box);
    root_line("2", " \u2212 ", x2, x2_box);
    working.add(ParagraphStyle::Body, {doc::text("所以原方程可以写成")});
    working.add(ParagraphStyle::Formula,
                // A zero root's factor x goes first: x(x − 5).
                (leading_coefficient(a)
                 << linear_factor(x2.numerator == 0 ? x2 : x1)
                 << linear_factor(x2.numerator == 0 ? x1 : x2) << " = 0")
                    .take());
    add_relations(working, x1 + x2, x1 * x2, a, b, c);
    parts::add_return_link(working);
    return working;
  }

  add_chain(working, Line("x = "),
            {substituted, simplified,
             root_form(p, SignKind::PlusMinus, q, r, den, false)});
  working.add(ParagraphStyle::Formula,
              (x_index("1") << " = " << root_form(p, x1_sign, q, r, den, false)
                            << " \u2248 " << x1_box)
                  .take());
  working.add(ParagraphStyle::Formula,
              (x_index("2") << " = " << root_form(p, x2_sign, q, r, den, false)
                            << " \u2248 " << x2_box)
                  .take());
  // (p + q√r)/den + (p − q√r)/den and their product (p² − q²r)/den².
  add_relations(working, parts::reduced(2 * p, den),
                parts::reduced(p * p - q * q * r, den * den), a, b, c);
  parts::add_return_link(working);
  return working;
}

} // namespace qx::solvers
