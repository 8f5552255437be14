// The working of ax + b = 0: 移项, 系数化为1, 检验.
#include "solvers/working.h"
#include "solvers/working_parts.h"

#include <cassert>

namespace qx::solvers {

using doc::ParagraphStyle;
using parts::Int128;
using parts::Line;
using parts::Rational;

doc::Document linear_working(const Coefficient &a_in, const Coefficient &b_in,
                             std::string_view x_box) {
  assert(a_in.value != 0);
  const Int128 a = a_in.value;
  const Int128 b = b_in.value;
  const Rational x = parts::reduced(-b, a);

  doc::Document working;
  working.add(ParagraphStyle::Heading, {doc::text("解一元一次方程")});
  working.add(
      ParagraphStyle::Formula,
      (parts::polynomial({{a, Line("x")}, {b, Line()}}) << " = 0").take());
  parts::add_cut_note(working, {&a_in, &b_in});

  // x = value as the box shows it, after the last step taken.
  const Line result = Line("x = ") << parts::value_with_box(x, x_box);
  if (b != 0) {
    working.add(ParagraphStyle::Heading, {doc::text("移项")});
    working.add(ParagraphStyle::Body, {doc::text("把常数项移到等号右边，得")});
    if (a == 1) {
      working.add(ParagraphStyle::Formula, Line(result).take());
    } else {
      working.add(ParagraphStyle::Formula, (parts::polynomial({{a, Line("x")}})
                                            << " = " << parts::integer_text(-b))
                                               .take());
    }
  }
  if (a != 1) {
    working.add(ParagraphStyle::Heading, {doc::text("系数化为1")});
    working.add(
        ParagraphStyle::Body,
        (Line("方程两边同时除以 ") << parts::factor(a) << "，得").take());
    Line solution("x = ");
    // The quotient as it stands, unless it is already the reduced value.
    if (a < 0 || x.denominator != a)
      solution << doc::fraction(Line(parts::integer_text(-b)).take(),
                                Line(parts::integer_text(a)).take())
               << " = ";
    working.add(ParagraphStyle::Formula,
                (solution << parts::value_with_box(x, x_box)).take());
  } else if (b == 0) {
    working.add(ParagraphStyle::Heading, {doc::text("方程的解")});
    working.add(ParagraphStyle::Formula, Line(result).take());
  }

  // a · x + b, evaluated exactly: 0 for the right root.
  const Rational left = Rational{a, 1} * x + Rational{b, 1};
  working.add(ParagraphStyle::Heading, {doc::text("检验")});
  working.add(
      ParagraphStyle::Body,
      (Line("把 x = ") << parts::rational(x) << " 代入原方程，得").take());
  Line check("左边 = ");
  check << parts::integer_text(a) << " × " << parts::rational_factor(x);
  if (b != 0)
    check << (b < 0 ? " \u2212 " : " + ")
          << parts::integer_text(b < 0 ? -b : b);
  check << " = " << parts::rational(left) << "，右边 = 0";
  working.add(ParagraphStyle::Formula, check.take());
  assert(left.numerator == 0);
  working.add(ParagraphStyle::Body, (Line("左边 = 右边，所以 x = ")
                                     << parts::rational(x) << " 是原方程的解。")
                                        .take());
  parts::add_return_link(working);
  return working;
}

} // namespace qx::solvers
