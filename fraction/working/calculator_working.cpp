// The working of page 分数运算1: the two calculators, reduction, the mixed
// number as an improper fraction, and the common denominator.
#include "fraction/working/pieces.h"
#include "fraction/working/working.h"

#include "base/number_text.h"
#include "document/plain_text.h"
#include "fraction/text_scan.h"

#include <string>
#include <utility>

namespace qx::fraction::working {
namespace {

constexpr std::string_view kFirst = "第一个数";
constexpr std::string_view kSecond = "第二个数";

doc::Span term_of(const Value &v) {
  return term_span(v.numerator, v.denominator);
}

std::string_view operation_name(OperatorCode op) {
  switch (op) {
  case OperatorCode::Add:
    return "分数加法";
  case OperatorCode::Subtract:
    return "分数减法";
  case OperatorCode::Multiply:
    return "分数乘法";
  case OperatorCode::Divide:
    return "分数除法";
  }
  return "分数计算";
}

std::string_view operator_sign(OperatorCode op) {
  switch (op) {
  case OperatorCode::Add:
    return " + ";
  case OperatorCode::Subtract:
    return " − ";
  case OperatorCode::Multiply:
    return " × ";
  case OperatorCode::Divide:
    return " ÷ ";
  }
  return " ? ";
}

bool is_operator(std::int32_t op) { return op >= 1 && op <= 4; }

// The value of a op b in lowest terms, exactly; b is not 0 for a division.
Value exact_result(const Value &a, OperatorCode op, const Value &b) {
  switch (op) {
  case OperatorCode::Add:
    return lowest_terms(a.numerator * b.denominator +
                            b.numerator * a.denominator,
                        a.denominator * b.denominator);
  case OperatorCode::Subtract:
    return lowest_terms(a.numerator * b.denominator -
                            b.numerator * a.denominator,
                        a.denominator * b.denominator);
  case OperatorCode::Multiply:
    return lowest_terms(a.numerator * b.numerator,
                        a.denominator * b.denominator);
  case OperatorCode::Divide:
    return lowest_terms(a.numerator * b.denominator,
                        a.denominator * b.numerator);
  }
  return {0, 1};
}

// Sum or difference over the least common denominator.
void add_steps(Working &working, const Value &a, OperatorCode op,
               const Value &b) {
  const bool adding = op == OperatorCode::Add;
  const std::string_view verb = adding ? "相加" : "相减";
  const Wide multiple =
      a.denominator / gcd_of(a.denominator, b.denominator) * b.denominator;
  const Wide left = a.numerator * (multiple / a.denominator);
  const Wide right = b.numerator * (multiple / b.denominator);
  if (a.denominator == b.denominator) {
    working.body(Line() << "同分母分数" << verb << "，分母不变，分子" << verb
                        << "：");
  } else {
    working.body(Line() << "通分：" << a.denominator << " 和 " << b.denominator
                        << " 的最小公倍数是 " << multiple << "，以 " << multiple
                        << " 为公分母：");
    working.equals(Line() << fraction_span(left, multiple) << operator_sign(op)
                          << term_span(right, multiple));
    working.body(Line() << "分母不变，分子" << verb << "：");
  }
  const std::string sum =
      digits(left) + std::string(adding ? " + " : " − ") + factor(right);
  working.equals({doc::fraction({doc::text(sum)}, number(multiple))});
  const Wide total = adding ? left + right : left - right;
  working.equals(fraction_span(total, multiple));
  reduction_steps(working, total, multiple);
}

// a × b with the common factors cancelled first.
void multiply_steps(Working &working, const Value &a, const Value &b) {
  if (a.numerator == 0 || b.numerator == 0) {
    working.body(Line() << "有一个因数是 0，积是 0：");
    return;
  }
  const Wide across = gcd_of(a.numerator, b.denominator);
  const Wide back = gcd_of(b.numerator, a.denominator);
  const Value left{a.numerator / across, a.denominator / back};
  const Value right{b.numerator / back, b.denominator / across};
  if (across > 1 || back > 1) {
    Line line;
    line << "先约分：";
    if (across > 1)
      line << a.numerator << " 和 " << b.denominator << " 同除以 " << across;
    if (across > 1 && back > 1)
      line << "，";
    if (back > 1)
      line << b.numerator << " 和 " << a.denominator << " 同除以 " << back;
    working.body(line << "：");
    working.equals(Line() << span_of(left) << " × " << term_of(right));
  }
  working.body(Line() << "分子乘分子，分母乘分母：");
  const std::string top =
      factor(left.numerator) + " × " + factor(right.numerator);
  const std::string bottom =
      digits(left.denominator) + " × " + digits(right.denominator);
  working.equals({doc::fraction({doc::text(top)}, {doc::text(bottom)})});
}

// A value as a box writes it; only sign-normalized, so that an operand
// stands as typed and a result (already in lowest terms) as the box has it.
std::string shown_fraction(Fraction f) {
  return std::string(format_fraction(f, false).view());
}

// The working of a op b, the operands as the calculator holds them; `note`
// adds what reading the entries involved. The last line is the result the
// boxes show.
template <typename Note>
doc::Document arith_working(Fraction a, std::int32_t code, Fraction b,
                            Note &&note) {
  const Fraction result = fraction_arith(a, code, b);
  const std::string shown = shown_fraction(result);
  if (!is_operator(code))
    return invalid_working("分数计算",
                           "没有选择运算符号（＋、－、×、÷），无法计算", shown);
  const auto op = static_cast<OperatorCode>(code);
  const std::string_view name = operation_name(op);
  if (!is_valid(a) || !is_valid(b)) {
    const Fraction bad = is_valid(a) ? b : a;
    const std::string which(is_valid(a) ? kSecond : kFirst);
    return invalid_working(name, invalid_operand(which, bad) + "，无法计算",
                           shown);
  }
  if (op == OperatorCode::Divide && b.numerator == 0)
    return invalid_working(name,
                           "除数 " + shown_fraction(b) +
                               " 等于 0，0 不能作除数，商的分母为 0",
                           shown);
  const Value ra = lowest_terms(a.numerator, a.denominator);
  const Value rb = lowest_terms(b.numerator, b.denominator);
  const Value exact = exact_result(ra, op, rb);
  if (!is_valid(result)) {
    const std::string value = to_plain_text(span_of(exact));
    return invalid_working(name,
                           "结果 " + value +
                               " 的分子或分母超出 ±2147483647 的范围，无法写出",
                           shown);
  }

  Working working;
  working.heading(name);
  note(working);
  working.then(Line() << fraction_span(a.numerator, a.denominator)
                      << operator_sign(op)
                      << term_span(b.numerator, b.denominator));
  if (ra.numerator != a.numerator || ra.denominator != a.denominator ||
      rb.numerator != b.numerator || rb.denominator != b.denominator) {
    working.body(Line() << "先把分数化成最简分数：");
    working.equals(Line() << span_of(ra) << operator_sign(op) << term_of(rb));
  }
  switch (op) {
  case OperatorCode::Add:
  case OperatorCode::Subtract:
    add_steps(working, ra, op, rb);
    break;
  case OperatorCode::Multiply:
    multiply_steps(working, ra, rb);
    break;
  case OperatorCode::Divide: {
    const Value reciprocal = lowest_terms(rb.denominator, rb.numerator);
    working.body(Line() << "除以一个不为 0 的数，等于乘这个数的倒数：");
    working.equals(Line() << span_of(ra) << " × " << term_of(reciprocal));
    multiply_steps(working, ra, reciprocal);
    break;
  }
  }
  working.equals(fraction_span(result.numerator, result.denominator));
  if (result.numerator == 0 && result.denominator < 0)
    working.note(Line() << "结果框中的分母带负号，值仍是 0。");
  return working.finish();
}

} // namespace

doc::Document stacked_arith_working(Fraction a, std::int32_t op, Fraction b) {
  return arith_working(a, op, b, [](Working &) {});
}

doc::Document text_arith_working(const char *a_entry, Fraction a,
                                 std::int32_t op, const char *b_entry,
                                 Fraction b) {
  return arith_working(a, op, b, [&](Working &working) {
    if (is_valid(a))
      operand_note(working, kFirst, a_entry, a);
    if (is_valid(b))
      operand_note(working, kSecond, b_entry, b);
  });
}

doc::Document reduce_working(const char *entry) {
  constexpr std::string_view kName = "约分";
  if (has_mixed_form(entry)) {
    const Fraction improper =
        reduce_fraction(mixed_to_fraction(parse_mixed(entry)));
    const MixedNumber result = fraction_to_mixed(improper);
    const std::string shown = mixed_text(result);
    const std::optional<TypedMixed> typed = typed_mixed(entry);
    if (!typed)
      return invalid_working(kName, kUnusableMixed, shown);
    if (!is_valid(result))
      return invalid_working(
          kName, "化为假分数时分子超出 ±2147483647 的范围，无法约分", shown);
    Working working;
    working.heading(kName);
    sign_rule_note(working, entry, *typed);
    Wide whole = typed->whole;
    Wide numerator = typed->numerator;
    const Wide denominator = typed->denominator;
    working.then(
        Line() << mixed_text(typed->negative, whole, numerator, denominator));
    if (numerator >= denominator) {
      const Quotient carry = divide_magnitudes(numerator, denominator);
      working.body(
          Line() << "分数部分 " << fraction_span(numerator, denominator)
                 << " 是假分数，" << numerator << " ÷ " << denominator << " = "
                 << carry.quotient << " 余 " << carry.remainder
                 << "，整数部分加 " << carry.quotient << "：");
      whole += carry.quotient;
      numerator = carry.remainder;
      working.equals(
          Line() << mixed_text(typed->negative, whole, numerator, denominator));
    }
    const Wide divisor = gcd_of(numerator, denominator);
    if (numerator == 0) {
      if (denominator != 1)
        working.body(Line() << "分数部分是 0，写作 0/1：");
    } else if (divisor > 1) {
      working.body(Line() << "整数部分不变，分数部分的分子分母同除以最大公因数 "
                          << divisor << "：");
    } else {
      working.body(Line() << "分数部分 "
                          << fraction_span(numerator, denominator)
                          << " 的分子分母只有公因数 1，已是最简分数。");
    }
    working.equals(Line() << shown);
    return working.finish();
  }
  const std::string_view typed = entry ? std::string_view(entry) : "";
  if (typed.find('/') == std::string_view::npos)
    return sentence_working(
        kName, "输入中没有分数线“/”，没有可约分的分数，结果框留空。");
  const Fraction result = reduce_fraction(parse_fraction(entry));
  const std::string shown = shown_fraction(result);
  const std::string compact = base::remove_blanks(typed);
  const std::optional<Sides> sides = split_once(compact, '/');
  if (!sides) {
    if (!is_valid(result))
      return invalid_working(kName, "输入中的数超出 ±2147483647 的范围", shown);
    return invalid_working(
        kName, "输入中的“/”不止一个，不是一个分数，只读出开头的整数", shown);
  }
  const auto numerator = scan_whole_number(sides->before);
  const auto denominator = scan_whole_number(sides->after);
  if (!numerator || !denominator)
    return invalid_working(kName, "分子或分母超出 ±2147483647 的范围", shown);
  if (*denominator == 0)
    return invalid_working(kName, "分母为 0，分数没有意义，不能约分", shown);
  Working working;
  working.heading(kName);
  working.then(fraction_span(*numerator, *denominator));
  const Wide divisor = gcd_of(*numerator, *denominator);
  if (divisor == 1 && *denominator > 0) {
    working.body(Line() << "分子 " << Wide{*numerator} << " 和分母 "
                        << Wide{*denominator}
                        << " 的最大公因数是 1，已是最简分数。");
  } else {
    reduction_steps(working, *numerator, *denominator);
  }
  working.equals(box_fraction(result));
  return working.finish();
}

doc::Document mixed_to_fraction_working(const char *entry) {
  constexpr std::string_view kName = "带分数化为假分数";
  const Fraction result = mixed_to_fraction(parse_mixed(entry));
  const std::string shown = shown_fraction(result);
  const std::optional<TypedMixed> typed = typed_mixed(entry);
  if (!typed || !is_valid(parse_mixed(entry)))
    return invalid_working(kName, kUnusableMixed, shown);
  if (!is_valid(result))
    return invalid_working(
        kName, "假分数的分子超出 ±2147483647 的范围，无法写出", shown);
  Working working;
  working.heading(kName);
  sign_rule_note(working, entry, *typed);
  improper_steps(working, *typed);
  working.equals(box_fraction(result));
  return working.finish();
}

doc::Document common_denominator_working(const char *a_entry, Fraction a,
                                         const char *b_entry, Fraction b) {
  constexpr std::string_view kName = "通分";
  const auto [first, second] = common_denominator(a, b);
  const std::string shown =
      shown_fraction(first) + " 和 " + shown_fraction(second);
  if (!is_valid(a) || !is_valid(b)) {
    const Fraction bad = is_valid(a) ? b : a;
    return invalid_working(
        kName,
        invalid_operand(is_valid(a) ? kSecond : kFirst, bad) + "，无法通分",
        shown);
  }
  if (!is_valid(first))
    return invalid_working(kName, "公分母超出 ±2147483647 的范围，无法通分",
                           shown);
  Working working;
  working.heading(kName);
  operand_note(working, kFirst, a_entry, a);
  operand_note(working, kSecond, b_entry, b);
  const Value left = lowest_terms(a.numerator, a.denominator);
  const Value right = lowest_terms(b.numerator, b.denominator);
  const Wide multiple = first.denominator;
  if (left.denominator == right.denominator) {
    working.body(Line() << "两个分数的分母都是 " << multiple
                        << "，已是同分母分数。");
  } else {
    working.body(Line() << left.denominator << " 和 " << right.denominator
                        << " 的最小公倍数是 " << multiple << "，以 " << multiple
                        << " 为公分母，分子分母同乘一个数：");
  }
  for (const auto &[value, over] :
       {std::pair{left, first}, std::pair{right, second}}) {
    const Wide scale = multiple / value.denominator;
    if (scale == 1) {
      // Already over the common denominator: the fraction stands as it is.
      working.formula(Line() << box_fraction(over, false));
      continue;
    }
    const std::string top = factor(value.numerator) + " × " + digits(scale);
    const std::string bottom =
        digits(value.denominator) + " × " + digits(scale);
    working.formula(
        Line() << span_of(value) << " = "
               << doc::fraction({doc::text(top)}, {doc::text(bottom)}) << " = "
               << box_fraction(over, false));
  }
  return working.finish();
}

} // namespace qx::fraction::working
