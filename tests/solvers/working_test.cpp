// The workings of the equation pages: textbook exercises on the plain text,
// and over random coefficients the agreement of every exact form with the
// result boxes' decimals, evaluated in 200-bit floating point.
#include "document/plain_text.h"
#include "runtime/core/text_rules.h"
#include "solvers/equations.h"
#include "solvers/working.h"

#include <boost/multiprecision/cpp_bin_float.hpp>
#include <boost/multiprecision/cpp_int.hpp>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace qx::solvers {
namespace {

using Real =
    boost::multiprecision::number<boost::multiprecision::cpp_bin_float<
                                      200, boost::multiprecision::digit_base_2>,
                                  boost::multiprecision::et_off>;

// ---- The page's side: the boxes' texts, as the handlers compute them ----

std::string box_text(double value) { return rt::text::format_double(value); }

struct QuadraticBoxes {
  std::string x1;
  std::string x2;
};

QuadraticBoxes quadratic_boxes(std::int32_t a, std::int32_t b, std::int32_t c) {
  const base::Int128 d = quadratic_discriminant(a, b, c);
  if (d < 0)
    return {"方程无实数根", "方程无实数根"};
  const QuadraticRoots roots =
      quadratic_roots(a, b, c, std::sqrt(base::nearest_double(d)), 2.0);
  return {box_text(roots.x1), box_text(roots.x2)};
}

std::string quadratic_text(std::int32_t a, std::int32_t b, std::int32_t c) {
  const QuadraticBoxes boxes = quadratic_boxes(a, b, c);
  return doc::to_plain_text(
      quadratic_working({{a, ""}, {b, ""}, {c, ""}}, boxes.x1, boxes.x2));
}

std::string linear_text(const Coefficient &a, const Coefficient &b) {
  return doc::to_plain_text(
      linear_working(a, b, box_text(linear_solution(a.value, b.value))));
}

SystemInput system_input(const std::vector<std::int32_t> &k) {
  return {{k[0], ""}, {k[1], ""}, {k[2], ""},
          {k[3], ""}, {k[4], ""}, {k[5], ""}};
}

struct SystemBoxes {
  std::string x;
  std::string y;
};

SystemBoxes system_boxes(const SystemInput &k) {
  const SystemSolution s = solve_system(
      {k.a1.value, k.b1.value, k.c1.value, k.a2.value, k.b2.value, k.c2.value});
  if (s.kind != SolutionKind::Unique)
    return {"", ""};
  return {box_text(s.x), box_text(s.y)};
}

std::string system_text(const std::vector<std::int32_t> &k) {
  const SystemInput input = system_input(k);
  const SystemBoxes boxes = system_boxes(input);
  return doc::to_plain_text(system_working(input, boxes.x, boxes.y));
}

// ---- Whole workings of textbook exercises ----

TEST(EquationWorking, TextbookExercisesInFull) {
  const struct {
    const char *name;
    std::string text;
    const char *expected;
  } cases[] = {
      {"2.9x + 1.5 = 0 (cut to 2x + 1 = 0)",
       linear_text({2, "2.9"}, {1, "1.5"}),
       "解一元一次方程\n"
       "2x + 1 = 0\n"
       "系数取整数：2.9 按 2 计算，1.5 按 1 计算。\n"
       "移项\n"
       "把常数项移到等号右边，得\n"
       "2x = −1\n"
       "系数化为1\n"
       "方程两边同时除以 2，得\n"
       "x = −1/2 = -0.5\n"
       "检验\n"
       "把 x = −1/2 代入原方程，得\n"
       "左边 = 2 × (−1/2) + 1 = 0，右边 = 0\n"
       "左边 = 右边，所以 x = −1/2 是原方程的解。\n"
       "返回使用指南\n"},
      {"x² − 2x − 1 = 0", quadratic_text(1, -2, -1),
       "解一元二次方程\n"
       "x² − 2x − 1 = 0\n"
       "a = 1，b = −2，c = −1\n"
       "计算判别式\n"
       "Δ = b² − 4ac = (−2)² − 4 × 1 × (−1) = 8\n"
       "因为 Δ = 8 > 0，所以方程有两个不相等的实数根。\n"
       "求根\n"
       "由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
       "√8 = 2√2\n"
       "x = (2 ± √8)/(2 × 1) = (2 ± 2√2)/2 = 1 ± √2\n"
       "x₁ = 1 + √2 ≈ 2.41421356237309\n"
       "x₂ = 1 − √2 ≈ -0.414213562373095\n"
       "检验\n"
       "用根与系数的关系检验：\n"
       "x₁ + x₂ = 2，−b/a = 2\n"
       "x₁x₂ = −1，c/a = −1\n"
       "两根之和等于 −b/a，两根之积等于 c/a，与根与系数的关系相符。\n"
       "返回使用指南\n"},
      {"2x² + 3x − 2 = 0", quadratic_text(2, 3, -2),
       "解一元二次方程\n"
       "2x² + 3x − 2 = 0\n"
       "a = 2，b = 3，c = −2\n"
       "计算判别式\n"
       "Δ = b² − 4ac = 3² − 4 × 2 × (−2) = 25\n"
       "因为 Δ = 25 > 0，所以方程有两个不相等的实数根。\n"
       "求根\n"
       "由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
       "√25 = 5\n"
       "x = (−3 ± √25)/(2 × 2) = (−3 ± 5)/4\n"
       "x₁ = (−3 + 5)/4 = 1/2 = 0.5\n"
       "x₂ = (−3 − 5)/4 = -2\n"
       "所以原方程可以写成\n"
       "2(x − 1/2)(x + 2) = 0\n"
       "检验\n"
       "用根与系数的关系检验：\n"
       "x₁ + x₂ = −3/2，−b/a = −3/2\n"
       "x₁x₂ = −1，c/a = −1\n"
       "两根之和等于 −b/a，两根之积等于 c/a，与根与系数的关系相符。\n"
       "返回使用指南\n"},
      {"x² + 2x + 5 = 0", quadratic_text(1, 2, 5),
       "解一元二次方程\n"
       "x² + 2x + 5 = 0\n"
       "a = 1，b = 2，c = 5\n"
       "计算判别式\n"
       "Δ = b² − 4ac = 2² − 4 × 1 × 5 = −16\n"
       "因为 Δ = −16 < 0，所以方程没有实数根。\n"
       "在复数范围内，由求根公式 x = (−b ± √(b² − 4ac))/2a，得\n"
       "x = (−2 ± √−16)/(2 × 1) = (−2 ± 4i)/2 = −1 ± 2i\n"
       "即 x₁ = −1 + 2i，x₂ = −1 − 2i，这两个根不是实数。\n"
       "返回使用指南\n"},
      {"2x + 3y = 8, x − y = −1", system_text({2, 3, 8, 1, -1, -1}),
       "解二元一次方程组\n"
       "2x + 3y = 8\n"
       "x − y = −1\n"
       "计算行列式\n"
       "D = a₁b₂ − a₂b₁ = 2 × (−1) − 1 × 3 = −5\n"
       "D_x = c₁b₂ − b₁c₂ = 8 × (−1) − 3 × (−1) = −5\n"
       "D_y = a₁c₂ − a₂c₁ = 2 × (−1) − 1 × 8 = −10\n"
       "因为 D = −5 ≠ 0，所以方程组有唯一的解：\n"
       "x = D_x/D = −5/−5 = 1\n"
       "y = D_y/D = −10/−5 = 2\n"
       "检验\n"
       "把 x = 1，y = 2 代入方程组：\n"
       "第一个方程：左边 = 2 × 1 + 3 × 2 = 8，右边 = 8\n"
       "第二个方程：左边 = 1 × 1 + (−1) × 2 = −1，右边 = −1\n"
       "两个方程的左边都等于右边，所以这组值是原方程组的解。\n"
       "返回使用指南\n"},
      {"x + y = 2, x + y = 3", system_text({1, 1, 2, 1, 1, 3}),
       "解二元一次方程组\n"
       "x + y = 2\n"
       "x + y = 3\n"
       "计算行列式\n"
       "D = a₁b₂ − a₂b₁ = 1 × 1 − 1 × 1 = 0\n"
       "D_x = c₁b₂ − b₁c₂ = 2 × 1 − 1 × 3 = −1\n"
       "D_y = a₁c₂ − a₂c₁ = 1 × 3 − 1 × 2 = 1\n"
       "因为 D = 0，两个方程左边的系数成比例：第二个方程中 x、y "
       "的系数是第一个方程的 1 倍。\n"
       "第二个方程的右边是 3，第一个方程右边的 1 倍是 "
       "2，右边不成同一比例，两个方程互相矛盾，所以方程组无解。\n"
       "返回使用指南\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, c.expected);
  }
}

// ---- Key lines of more exercises, in the order given ----

void expect_lines_in_order(const std::string &text,
                           const std::vector<std::string> &lines) {
  std::size_t at = 0;
  for (const std::string &line : lines) {
    const std::size_t found = text.find(line + "\n", at);
    ASSERT_NE(found, std::string::npos)
        << "missing or out of order: " << line << "\nin:\n"
        << text;
    at = found + line.size();
  }
}

TEST(EquationWorking, KeyLinesOfExercises) {
  const struct {
    const char *name;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"−3x + 1 = 0",
       linear_text({-3, ""}, {1, ""}),
       {"−3x + 1 = 0", "−3x = −1", "方程两边同时除以 (−3)，得",
        "x = −1/−3 = 1/3 ≈ 0.333333333333333",
        "左边 = −3 × 1/3 + 1 = 0，右边 = 0"}},
      {"x + 5 = 0: the transposition is the answer",
       linear_text({1, ""}, {5, ""}),
       {"x + 5 = 0", "移项", "x = -5", "检验"}},
      {"x = 0: already solved",
       linear_text({1, ""}, {0, ""}),
       {"x = 0", "方程的解", "x = 0", "左边 = 1 × 0 = 0，右边 = 0"}},
      {"4x = 0: nothing to transpose",
       linear_text({4, ""}, {0, ""}),
       {"4x = 0", "系数化为1", "x = 0/4 = 0"}},
      {"−x − 2147483648 = 0: the ends of the range",
       linear_text({-1, ""}, {-2147483647 - 1, "-2147483648.5"}),
       {"−x − 2147483648 = 0",
        "系数取整数：-2147483648.5 按 -2147483648 计算。", "−x = 2147483648",
        "x = 2147483648/−1 = -2147483648"}},
      {"x² − 3x + 1 = 0: irrational roots over 2",
       quadratic_text(1, -3, 1),
       {"x = (3 ± √5)/(2 × 1) = (3 ± √5)/2",
        "x₁ = (3 + √5)/2 ≈ 2.61803398874989",
        "x₂ = (3 − √5)/2 ≈ 0.381966011250105"}},
      {"2x² + 4x − 4 = 0: a square factor and a common divisor",
       quadratic_text(2, 4, -4),
       {"Δ = b² − 4ac = 4² − 4 × 2 × (−4) = 48", "√48 = 4√3",
        "x = (−4 ± √48)/(2 × 2) = (−4 ± 4√3)/4 = −1 ± √3",
        "x₁ = −1 + √3 ≈ 0.732050807568877",
        "x₂ = −1 − √3 ≈ -2.73205080756888"}},
      {"−x² + 3x − 2 = 0: a < 0 keeps x₁ the added root",
       quadratic_text(-1, 3, -2),
       {"x₁ = (−3 + 1)/−2 = 1", "x₂ = (−3 − 1)/−2 = 2", "−(x − 1)(x − 2) = 0"}},
      {"−2x² + 2x + 1 = 0: a < 0 with an irrational root",
       quadratic_text(-2, 2, 1),
       {"x = (−2 ± √12)/(2 × (−2)) = (−2 ± 2√3)/−4 = (1 ± √3)/2",
        "x₁ = (1 − √3)/2 ≈ -0.366025403784439",
        "x₂ = (1 + √3)/2 ≈ 1.36602540378444"}},
      {"x² + 2x + 1 = 0: a double root",
       quadratic_text(1, 2, 1),
       {"因为 Δ = 0，所以方程有两个相等的实数根。",
        "x₁ = x₂ = −b/2a = −2/(2 × 1) = -1", "(x + 1)² = 0"}},
      {"4x² − 4x + 1 = 0: a double fraction root",
       quadratic_text(4, -4, 1),
       {"x₁ = x₂ = −b/2a = 4/(2 × 4) = 1/2 = 0.5", "4(x − 1/2)² = 0",
        "x₁ + x₂ = 1，−b/a = 1", "x₁x₂ = 1/4，c/a = 1/4"}},
      {"x² − 2 = 0: no b",
       quadratic_text(1, 0, -2),
       {"x = (±√8)/(2 × 1) = (±2√2)/2 = ±√2", "x₁ = √2 ≈ 1.41421356237309",
        "x₂ = −√2 ≈ -1.4142135623731"}},
      {"x² − 4 = 0: rational roots with no b",
       quadratic_text(1, 0, -4),
       {"x₁ = 4/2 = 2", "x₂ = −4/2 = -2", "(x − 2)(x + 2) = 0"}},
      {"x² − 5x = 0: a zero root",
       quadratic_text(1, -5, 0),
       {"x₁ = (5 + 5)/2 = 5", "x₂ = (5 − 5)/2 = 0", "x(x − 5) = 0"}},
      {"x² + 1 = 0: imaginary roots",
       quadratic_text(1, 0, 1),
       {"因为 Δ = −4 < 0，所以方程没有实数根。",
        "x = (±√−4)/(2 × 1) = (±2i)/2 = ±i",
        "即 x₁ = i，x₂ = −i，这两个根不是实数。"}},
      {"x² + x + 1 = 0: imaginary roots with a radical",
       quadratic_text(1, 1, 1),
       {"x = (−1 ± √−3)/(2 × 1) = (−1 ± √3 i)/2"}},
      {"x + 2y = 3, 2x + 4y = 6: infinitely many",
       system_text({1, 2, 3, 2, 4, 6}),
       {"D = a₁b₂ − a₂b₁ = 1 × 4 − 2 × 2 = 0",
        "因为 D = 0，两个方程左边的系数成比例：第二个方程中 x、y "
        "的系数是第一个方程的 2 倍。",
        "第二个方程的右边是 6，第一个方程右边的 2 倍是 "
        "6，右边也成同一比例，两个方程是同一个方程，所以方程组有无数解。"}},
      {"2x + 4y = 6, x + 2y = 5: a fraction multiple",
       system_text({2, 4, 6, 1, 2, 5}),
       {"第二个方程中 x、y 的系数是第一个方程的 1/2 倍。",
        "第二个方程的右边是 5，第一个方程右边的 1/2 倍是 "
        "3，右边不成同一比例，两个方程互相矛盾，所以方程组无解。"}},
      {"0x + 0y = 1, x + y = 1: the first row has no left side",
       system_text({0, 0, 1, 1, 1, 1}),
       {"0 = 1", "第一个方程中 x、y 的系数是第二个方程的 0 倍。",
        "第一个方程的右边是 1，第二个方程右边的 0 倍是 "
        "0，右边不成同一比例，两个方程互相矛盾，所以方程组无解。"}},
      {"all zero: infinitely many",
       system_text({0, 0, 0, 0, 0, 0}),
       {"两个方程中未知数的系数都是 0，方程组化为 0 = 0，0 = 0。",
        "0 = 0 对任意的 x、y 都成立，所以方程组有无数解。"}},
      {"0 = 0, 0 = 7: no solution",
       system_text({0, 0, 0, 0, 0, 7}),
       {"两个方程中未知数的系数都是 0，方程组化为 0 = 0，0 = 7。",
        "0 = 7 不成立，所以方程组无解。"}},
      {"3x + 2y = 1, x − y = 2: fraction solutions",
       system_text({3, 2, 1, 1, -1, 2}),
       {"D = a₁b₂ − a₂b₁ = 3 × (−1) − 1 × 2 = −5", "x = D_x/D = −5/−5 = 1",
        "y = D_y/D = 5/−5 = -1"}},
      {"x + 3y = 1, 2x − y = 1: thirds and sevenths",
       system_text({1, 3, 1, 2, -1, 1}),
       {"x = D_x/D = −4/−7 = 4/7 ≈ 0.571428571428571",
        "y = D_y/D = −1/−7 = 1/7 ≈ 0.142857142857143",
        "第一个方程：左边 = 1 × 4/7 + 3 × 1/7 = 1，右边 = 1"}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    expect_lines_in_order(c.text, c.lines);
    EXPECT_TRUE(c.text.ends_with("\n返回使用指南\n"));
  }
}

TEST(EquationWorking, EveryWorkingEndsWithTheReturnLink) {
  const doc::Document documents[] = {
      linear_working({3, ""}, {1, ""}, box_text(-1.0 / 3)),
      quadratic_working({{1, ""}, {0, ""}, {1, ""}}, "", ""),
      system_working(system_input({1, 1, 1, 1, 1, 2}), "", ""),
  };
  for (const doc::Document &d : documents) {
    ASSERT_FALSE(d.empty());
    EXPECT_EQ(d.paragraphs.back(),
              (doc::Paragraph{doc::ParagraphStyle::ReturnLink,
                              {doc::text("返回使用指南")}}));
  }
}

// ---- Agreement with the boxes over random coefficients ----

// The pieces of a span between the separators (" = ", " ≈ ", "，") in its
// texts; nested nodes stay whole.
std::vector<doc::Span> split_span(const doc::Span &span,
                                  const std::vector<std::string> &separators) {
  std::vector<doc::Span> pieces(1);
  for (const doc::Node &node : span) {
    if (node.kind != doc::NodeKind::Text) {
      pieces.back().push_back(node);
      continue;
    }
    std::string_view rest = node.text;
    while (!rest.empty()) {
      std::size_t best = std::string_view::npos;
      std::size_t length = 0;
      for (const std::string &separator : separators) {
        const std::size_t at = rest.find(separator);
        if (at < best) {
          best = at;
          length = separator.size();
        }
      }
      if (best == std::string_view::npos) {
        pieces.back().push_back(doc::text(rest));
        break;
      }
      if (best > 0)
        pieces.back().push_back(doc::text(rest.substr(0, best)));
      pieces.emplace_back();
      rest.remove_prefix(best + length);
    }
  }
  return pieces;
}

// The value of a span of numbers, + − × and parentheses, fractions and
// roots (a number before a root multiplies it); nothing for a span with a
// letter or ± in it.
class Evaluator {
public:
  static std::optional<Real> value_of(const doc::Span &span) {
    Evaluator e;
    if (!e.tokenize(span))
      return std::nullopt;
    std::optional<Real> v = e.expression();
    if (!v || e.m_at != e.m_tokens.size())
      return std::nullopt;
    return v;
  }

private:
  struct Token {
    char op = 0; // '+', '-', '*', '(', ')' or 0 for a value
    Real value;
  };

  bool tokenize(const doc::Span &span) {
    for (const doc::Node &node : span) {
      if (node.kind == doc::NodeKind::Fraction) {
        const auto n = value_of(node.parts[0]);
        const auto d = value_of(node.parts[1]);
        if (!n || !d || *d == 0)
          return false;
        m_tokens.push_back({0, *n / *d});
        continue;
      }
      if (node.kind == doc::NodeKind::Root) {
        const auto r = value_of(node.parts[0]);
        if (!r || *r < 0)
          return false;
        if (!m_tokens.empty() && m_tokens.back().op == 0)
          m_tokens.push_back({'*', 0});
        m_tokens.push_back({0, sqrt(*r)});
        continue;
      }
      if (node.kind != doc::NodeKind::Text || !tokenize_text(node.text))
        return false;
    }
    return true;
  }

  bool tokenize_text(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
      const char c = text[i];
      if (c == ' ') {
        ++i;
      } else if (text.substr(i, 3) == "\u2212") {
        m_tokens.push_back({'-', 0});
        i += 3;
      } else if (text.substr(i, 2) == "\u00d7") {
        m_tokens.push_back({'*', 0});
        i += 2;
      } else if (c == '+' || c == '-' || c == '(' || c == ')') {
        m_tokens.push_back({c, 0});
        ++i;
      } else if (c >= '0' && c <= '9') {
        std::size_t end = i;
        while (end < text.size() && ((text[end] >= '0' && text[end] <= '9') ||
                                     text[end] == '.' || text[end] == 'e' ||
                                     ((text[end] == '-' || text[end] == '+') &&
                                      text[end - 1] == 'e')))
          ++end;
        m_tokens.push_back({0, Real(std::string(text.substr(i, end - i)))});
        i = end;
      } else {
        return false; // a letter, ±, or another sign
      }
    }
    return true;
  }

  bool take(char op) {
    if (m_at < m_tokens.size() && m_tokens[m_at].op == op) {
      ++m_at;
      return true;
    }
    return false;
  }

  std::optional<Real> expression() {
    std::optional<Real> v = term();
    while (v) {
      if (take('+')) {
        const auto t = term();
        if (!t)
          return std::nullopt;
        *v += *t;
      } else if (take('-')) {
        const auto t = term();
        if (!t)
          return std::nullopt;
        *v -= *t;
      } else {
        break;
      }
    }
    return v;
  }

  std::optional<Real> term() {
    std::optional<Real> v = factor();
    while (v && take('*')) {
      const auto f = factor();
      if (!f)
        return std::nullopt;
      *v *= *f;
    }
    return v;
  }

  std::optional<Real> factor() {
    if (take('-')) {
      const auto f = factor();
      if (!f)
        return std::nullopt;
      return -*f;
    }
    if (take('(')) {
      const auto v = expression();
      if (!v || !take(')'))
        return std::nullopt;
      return v;
    }
    if (m_at < m_tokens.size() && m_tokens[m_at].op == 0) {
      return m_tokens[m_at++].value;
    }
    return std::nullopt;
  }

  std::vector<Token> m_tokens;
  std::size_t m_at = 0;
};

Real real_of_text(std::string_view text) {
  return Real(std::strtod(std::string(text).c_str(), nullptr));
}

// The box's decimal stands for the exact value to its 15 significant
// digits: within half a unit of the 15th digit, and a few units of the
// double behind it (the page's formula rounds).
bool agrees_to_fifteen_digits(const Real &exact, std::string_view box) {
  const double shown = std::strtod(std::string(box).c_str(), nullptr);
  const Real difference = abs(exact - real_of_text(box));
  if (shown == 0)
    return abs(exact) < Real(1e-300) ||
           difference < Real(1e-15); // a cancelled tiny root shown as 0
  const int exponent =
      static_cast<int>(std::floor(std::log10(std::fabs(shown))));
  const Real half_digit = Real(0.5) * pow(Real(10), exponent - 14);
  const Real ulps = Real(8) * Real(std::nextafter(std::fabs(shown), 1e300) -
                                   std::fabs(shown));
  return difference <= half_digit + ulps;
}

// Checks every result line "name = exact = ... = box" / "≈ box" of a
// working: the last piece is the box's text as it stands, and every piece
// that is a number agrees with the box to 15 digits and with the other
// pieces exactly. Checks every "左边 = ... ，右边 = r" line: each piece
// equals r. Returns how many result lines it saw.
int check_agreement(const doc::Document &working,
                    const std::vector<std::string> &names,
                    const std::vector<std::string> &boxes) {
  int seen = 0;
  int headings = 0;
  for (const doc::Paragraph &p : working.paragraphs) {
    // The equations as typed come under the title, before the first step.
    headings += p.style == doc::ParagraphStyle::Heading ? 1 : 0;
    if (p.style != doc::ParagraphStyle::Formula || headings < 2)
      continue;
    const std::string plain = doc::to_plain_text(p.content);
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (!plain.starts_with(names[i] + " = ") ||
          plain.find("，") != std::string::npos)
        continue;
      // x₁ = x₂ = ... carries x1's box; a line of ± carries no box.
      const std::vector<doc::Span> pieces =
          split_span(p.content, {" = ", " \u2248 "});
      const std::string last = doc::to_plain_text(pieces.back());
      if (plain.find("\u00b1") != std::string::npos)
        continue;
      ++seen;
      EXPECT_EQ(last, boxes[i]) << plain;
      std::optional<Real> first_value;
      for (std::size_t k = 1; k + 1 < pieces.size(); ++k) {
        const auto v = Evaluator::value_of(pieces[k]);
        if (!v)
          continue;
        EXPECT_TRUE(agrees_to_fifteen_digits(*v, boxes[i]))
            << plain << ": piece " << k;
        if (!first_value)
          first_value = v;
        else
          EXPECT_LT(abs(*v - *first_value), Real(1e-40) * (1 + abs(*v)))
              << plain;
      }
    }
    if (plain.find("左边 = ") != std::string::npos) {
      const std::vector<doc::Span> sides = split_span(p.content, {"，"});
      const std::vector<doc::Span> left = split_span(sides.front(), {" = "});
      const std::vector<doc::Span> right = split_span(sides.back(), {" = "});
      const auto r = Evaluator::value_of(right.back());
      EXPECT_TRUE(sides.size() == 2 && right.size() == 2 && r) << plain;
      if (!r)
        continue;
      for (std::size_t k = 1; k < left.size(); ++k) {
        const auto v = Evaluator::value_of(left[k]);
        // Equal but for the rounding of 200-bit quotients.
        EXPECT_TRUE(v && abs(*v - *r) < Real(1e-30))
            << plain << ": piece " << k;
      }
    }
  }
  return seen;
}

// "x₁ + x₂ = S，−b/a = V": S and V are written alike and are the exact
// quotient expected.
void check_relation(const doc::Document &working, std::string_view start,
                    const std::string &expected) {
  for (const doc::Paragraph &p : working.paragraphs) {
    const std::string plain = doc::to_plain_text(p.content);
    if (!plain.starts_with(start))
      continue;
    const std::string sides = plain.substr(start.size());
    const std::size_t comma = sides.find("，");
    ASSERT_NE(comma, std::string::npos);
    EXPECT_EQ(sides.substr(0, comma), expected) << plain;
    EXPECT_TRUE(sides.ends_with(" = " + expected)) << plain;
    return;
  }
  ADD_FAILURE() << "no line " << start;
}

std::string quotient_text(std::int64_t n, std::int64_t d) {
  using boost::multiprecision::cpp_int;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  const cpp_int g = boost::multiprecision::gcd(cpp_int(n), cpp_int(d));
  const cpp_int top = cpp_int(n) / g;
  const cpp_int bottom = cpp_int(d) / g;
  std::string text = top < 0 ? "\u2212" : "";
  text += (top < 0 ? cpp_int(-top) : top).str();
  if (bottom != 1)
    text += "/" + bottom.str();
  return text;
}

// Coefficients of a chosen size, the ends of the range included.
std::int32_t draw(std::mt19937_64 &random, int size_class) {
  switch (size_class) {
  case 0:
    return static_cast<std::int32_t>(random() % 41) - 20;
  case 1:
    return static_cast<std::int32_t>(random() % 200001) - 100000;
  case 2: {
    const std::int64_t edge = (random() & 1) ? 2147483647 : -2147483648LL;
    return static_cast<std::int32_t>(
        edge -
        (edge > 0 ? 1 : -1) * static_cast<std::int64_t>(random() % 1000));
  }
  default:
    return static_cast<std::int32_t>(random());
  }
}

TEST(EquationWorkingAgreement, QuadraticRootsAgreeWithTheBoxes) {
  std::mt19937_64 random(2026);
  int lines = 0;
  for (int i = 0; i < 3000; ++i) {
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t c = 0;
    const int kind = i % 5;
    if (kind == 4) {
      // (qx - p)(sx - r): the rational roots p/q and r/s, and every other
      // time the double root p/q.
      const std::int32_t q = 1 + static_cast<std::int32_t>(random() % 9);
      const std::int32_t p = static_cast<std::int32_t>(random() % 41) - 20;
      const bool twice = i % 10 == 4;
      const std::int32_t s =
          twice ? q : 1 + static_cast<std::int32_t>(random() % 9);
      const std::int32_t r =
          twice ? p : static_cast<std::int32_t>(random() % 41) - 20;
      a = q * s;
      b = -(p * s + r * q);
      c = p * r;
    } else {
      a = draw(random, kind);
      b = draw(random, static_cast<int>(random() % 4));
      c = draw(random, static_cast<int>(random() % 4));
    }
    if (a == 0)
      continue;
    SCOPED_TRACE(testing::Message() << a << ", " << b << ", " << c);
    const QuadraticBoxes boxes = quadratic_boxes(a, b, c);
    const doc::Document working =
        quadratic_working({{a, ""}, {b, ""}, {c, ""}}, boxes.x1, boxes.x2);
    if (quadratic_discriminant(a, b, c) < 0) {
      EXPECT_EQ(check_agreement(working, {"x₁", "x₂"}, {"", ""}), 0);
      continue;
    }
    lines += check_agreement(working, {"x₁", "x₂"}, {boxes.x1, boxes.x2});
    check_relation(working, "x₁ + x₂ = ", quotient_text(-b, a));
    check_relation(working, "x₁x₂ = ", quotient_text(c, a));
  }
  EXPECT_GT(lines, 2000);
}

TEST(EquationWorkingAgreement, LinearSolutionAgreesWithTheBox) {
  std::mt19937_64 random(31);
  for (int i = 0; i < 2000; ++i) {
    const std::int32_t a = i % 50 == 0 ? 1 : draw(random, i % 4);
    const std::int32_t b =
        i % 25 == 0 ? 0 : draw(random, static_cast<int>(random() % 4));
    if (a == 0)
      continue;
    SCOPED_TRACE(testing::Message() << a << ", " << b);
    const std::string box = box_text(linear_solution(a, b));
    const doc::Document working = linear_working({a, ""}, {b, ""}, box);
    EXPECT_EQ(check_agreement(working, {"x"}, {box}), 1);
  }
}

TEST(EquationWorkingAgreement, SystemSolutionAgreesWithTheBoxes) {
  std::mt19937_64 random(47);
  int unique = 0;
  for (int i = 0; i < 2000; ++i) {
    std::vector<std::int32_t> k(6);
    for (std::int32_t &v : k)
      v = draw(random, i % 4);
    if (i % 7 == 0) {
      // Proportional rows, consistent or not, of a first row small enough
      // for its multiples.
      for (int j = 0; j < 3; ++j)
        k[j] = draw(random, j % 2);
      const std::int32_t m = static_cast<std::int32_t>(random() % 7) - 3;
      k[3] = k[0] * m;
      k[4] = k[1] * m;
      k[5] = (i % 2 == 0) ? k[2] * m : k[2] * m + 1;
    }
    SCOPED_TRACE(testing::PrintToString(k));
    const SystemInput input = system_input(k);
    const SystemBoxes boxes = system_boxes(input);
    const doc::Document working = system_working(input, boxes.x, boxes.y);
    const std::string plain = doc::to_plain_text(working);
    const SystemSolution s = solve_system({k[0], k[1], k[2], k[3], k[4], k[5]});
    switch (s.kind) {
    case SolutionKind::Unique:
      ++unique;
      EXPECT_EQ(check_agreement(working, {"x", "y"}, {boxes.x, boxes.y}), 2);
      break;
    case SolutionKind::Infinite:
      EXPECT_NE(plain.find("所以方程组有无数解。"), std::string::npos);
      break;
    case SolutionKind::None:
      EXPECT_NE(plain.find("所以方程组无解。"), std::string::npos);
      break;
    }
  }
  EXPECT_GT(unique, 1000);
}

} // namespace
} // namespace qx::solvers
