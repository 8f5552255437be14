// The working of a1 x + b1 y = c1, a2 x + b2 y = c2 by determinants: D, Dx
// and Dy with the numbers put in, the solution and its check, or the reason
// why there is no solution or infinitely many.
#include "solvers/equations.h"
#include "solvers/working.h"
#include "solvers/working_parts.h"

#include <cassert>

namespace qx::solvers {
namespace {

using doc::ParagraphStyle;
using parts::Int128;
using parts::Line;
using parts::Rational;

// "D_x" and the like.
Line determinant_name(std::string_view index) {
  if (index.empty())
    return Line("D");
  return parts::indexed("D", index);
}

// name = p₁q₂ − p₂q₁ = p × q − p × q = value, for the letters and numbers
// given.
void add_determinant(doc::Document &working, std::string_view index,
                     Line letters, const Int128 &p1, const Int128 &q1,
                     const Int128 &p2, const Int128 &q2) {
  const Int128 value = p1 * q1 - p2 * q2;
  working.add(ParagraphStyle::Formula,
              (determinant_name(index)
               << " = " << letters << " = " << parts::factor(p1) << " × "
               << parts::factor(q1) << " \u2212 " << parts::factor(p2) << " × "
               << parts::factor(q2) << " = " << parts::integer_text(value))
                  .take());
}

Line row(const Int128 &a, const Int128 &b, const Int128 &c) {
  return parts::polynomial({{a, Line("x")}, {b, Line("y")}})
         << " = " << parts::integer_text(c);
}

// a × x + b × y with the values put in.
Line substituted(const Int128 &a, const Int128 &b, const Rational &x,
                 const Rational &y) {
  return Line() << parts::factor(a) << " × " << parts::rational_factor(x)
                << " + " << parts::factor(b) << " × "
                << parts::rational_factor(y);
}

Line letter(std::string_view name, std::string_view index) {
  return parts::indexed(name, index);
}

// The rows in words when D = 0: one row's left side is a multiple of the
// other's, and the right sides follow the same multiple or they do not.
void add_reason(doc::Document &working, const SystemInput &k,
                SolutionKind kind) {
  const Int128 a1 = k.a1.value, b1 = k.b1.value, c1 = k.c1.value;
  const Int128 a2 = k.a2.value, b2 = k.b2.value, c2 = k.c2.value;
  if (a1 == 0 && b1 == 0 && a2 == 0 && b2 == 0) {
    working.add(ParagraphStyle::Body,
                (Line("两个方程中未知数的系数都是 0，方程组化为 0 = ")
                 << parts::integer_text(c1)
                 << "，0 = " << parts::integer_text(c2) << "。")
                    .take());
    if (kind == SolutionKind::Infinite) {
      working.add(ParagraphStyle::Body,
                  {doc::text("0 = 0 对任意的 x、y 都成立，"
                             "所以方程组有无数解。")});
      return;
    }
    const Int128 c = c1 != 0 ? c1 : c2;
    working.add(
        ParagraphStyle::Body,
        (Line("0 = ") << parts::integer_text(c) << " 不成立，所以方程组无解。")
            .take());
    return;
  }
  // The other row's left side is m times the base row's (m may be 0).
  const bool first_is_base = a1 != 0 || b1 != 0;
  const std::string_view base_name = first_is_base ? "第一个" : "第二个";
  const std::string_view other_name = first_is_base ? "第二个" : "第一个";
  const Int128 base_a = first_is_base ? a1 : a2;
  const Int128 base_b = first_is_base ? b1 : b2;
  const Int128 base_c = first_is_base ? c1 : c2;
  const Int128 other_a = first_is_base ? a2 : a1;
  const Int128 other_b = first_is_base ? b2 : b1;
  const Int128 other_c = first_is_base ? c2 : c1;
  const Rational m = base_a != 0 ? parts::reduced(other_a, base_a)
                                 : parts::reduced(other_b, base_b);
  assert((Rational{base_a, 1} * m == parts::reduced(other_a, 1) &&
          Rational{base_b, 1} * m == parts::reduced(other_b, 1)));
  const Rational scaled_c = Rational{base_c, 1} * m;
  const bool same_ratio = scaled_c == parts::reduced(other_c, 1);
  assert(same_ratio == (kind == SolutionKind::Infinite));

  working.add(ParagraphStyle::Body,
              (Line("因为 D = 0，两个方程左边的系数成比例：")
               << other_name << "方程中 x、y 的系数是" << base_name << "方程的 "
               << parts::rational(m) << " 倍。")
                  .take());
  const Line right = Line(other_name)
                     << "方程的右边是 " << parts::integer_text(other_c) << "，"
                     << base_name << "方程右边的 " << parts::rational(m)
                     << " 倍是 " << parts::rational(scaled_c);
  if (same_ratio) {
    working.add(ParagraphStyle::Body,
                (Line(right) << "，右边也成同一比例，两个方程是同一个方程，"
                                "所以方程组有无数解。")
                    .take());
    return;
  }
  working.add(ParagraphStyle::Body,
              (Line(right) << "，右边不成同一比例，两个方程互相矛盾，"
                              "所以方程组无解。")
                  .take());
}

} // namespace

doc::Document system_working(const SystemInput &k, std::string_view x_box,
                             std::string_view y_box) {
  const Int128 a1 = k.a1.value, b1 = k.b1.value, c1 = k.c1.value;
  const Int128 a2 = k.a2.value, b2 = k.b2.value, c2 = k.c2.value;
  const SystemSolution solution = solve_system(
      {k.a1.value, k.b1.value, k.c1.value, k.a2.value, k.b2.value, k.c2.value});

  doc::Document working;
  working.add(ParagraphStyle::Heading, {doc::text("解二元一次方程组")});
  working.add(ParagraphStyle::Formula, row(a1, b1, c1).take());
  working.add(ParagraphStyle::Formula, row(a2, b2, c2).take());
  parts::add_cut_note(working, {&k.a1, &k.b1, &k.c1, &k.a2, &k.b2, &k.c2});

  working.add(ParagraphStyle::Heading, {doc::text("计算行列式")});
  add_determinant(working, "",
                  Line() << letter("a", "1") << letter("b", "2") << " \u2212 "
                         << letter("a", "2") << letter("b", "1"),
                  a1, b2, a2, b1);
  add_determinant(working, "x",
                  Line() << letter("c", "1") << letter("b", "2") << " \u2212 "
                         << letter("b", "1") << letter("c", "2"),
                  c1, b2, b1, c2);
  add_determinant(working, "y",
                  Line() << letter("a", "1") << letter("c", "2") << " \u2212 "
                         << letter("a", "2") << letter("c", "1"),
                  a1, c2, a2, c1);
  const Int128 d = a1 * b2 - a2 * b1;
  const Int128 dx = c1 * b2 - b1 * c2;
  const Int128 dy = a1 * c2 - a2 * c1;

  if (solution.kind != SolutionKind::Unique) {
    add_reason(working, k, solution.kind);
    parts::add_return_link(working);
    return working;
  }

  working.add(ParagraphStyle::Body,
              {doc::text("因为 D = " + parts::integer_text(d) +
                         " ≠ 0，所以方程组有唯一的解：")});
  const Rational x = parts::reduced(dx, d);
  const Rational y = parts::reduced(dy, d);
  const auto solution_line = [&](std::string_view name, std::string_view index,
                                 const Int128 &numerator, const Rational &value,
                                 std::string_view box) {
    working.add(ParagraphStyle::Formula,
                (Line(name)
                 << " = "
                 << doc::fraction(determinant_name(index).take(),
                                  {doc::text("D")})
                 << " = "
                 << doc::fraction(Line(parts::integer_text(numerator)).take(),
                                  Line(parts::integer_text(d)).take())
                 << " = " << parts::value_with_box(value, box))
                    .take());
  };
  solution_line("x", "x", dx, x, x_box);
  solution_line("y", "y", dy, y, y_box);

  working.add(ParagraphStyle::Heading, {doc::text("检验")});
  working.add(ParagraphStyle::Body,
              (Line("把 x = ") << parts::rational(x) << "，y = "
                               << parts::rational(y) << " 代入方程组：")
                  .take());
  // a x + b y over the common denominator D: below 2^98, where adding the
  // reduced fractions could take 2^160.
  const Rational first = parts::reduced(a1 * dx + b1 * dy, d);
  const Rational second = parts::reduced(a2 * dx + b2 * dy, d);
  working.add(ParagraphStyle::Formula,
              (Line("第一个方程：左边 = ")
               << substituted(a1, b1, x, y) << " = " << parts::rational(first)
               << "，右边 = " << parts::integer_text(c1))
                  .take());
  working.add(ParagraphStyle::Formula,
              (Line("第二个方程：左边 = ")
               << substituted(a2, b2, x, y) << " = " << parts::rational(second)
               << "，右边 = " << parts::integer_text(c2))
                  .take());
  assert((first == Rational{c1, 1} && second == Rational{c2, 1}));
  working.add(
      ParagraphStyle::Body,
      {doc::text("两个方程的左边都等于右边，所以这组值是原方程组的解。")});
  parts::add_return_link(working);
  return working;
}

} // namespace qx::solvers
