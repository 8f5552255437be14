// Tests of the fraction pages' working: textbook exercises with the steps
// they must show, and the agreement of every working with the result boxes
// over random operands (the boxes' texts from the pages' own conversions).
#include "document/plain_text.h"
#include "fraction/exact.h"
#include "fraction/fraction.h"
#include "fraction/pages/conversions.h"
#include "fraction/working/pieces.h"
#include "fraction/working/working.h"
#include "runtime/sdk/sdk.h"
#include "tests/fraction/fraction_test_support.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace qx::fraction::working {
namespace {

using Big = boost::multiprecision::cpp_int;

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kAdd = 1, kSub = 2, kMul = 3, kDiv = 4;

// Decimal digits as a number; a leading 0 must not make them octal.
template <typename Number> Number number_of(const std::string &digits) {
  const std::size_t first = digits.find_first_not_of('0');
  return first == std::string::npos ? Number(0) : Number(digits.substr(first));
}

// True when the bytes are well-formed UTF-8.
bool is_utf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const auto lead = static_cast<unsigned char>(text[at]);
    const std::size_t length = lead < 0x80    ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC2 ? 2
                                              : 0;
    if (length == 0 || at + length > text.size())
      return false;
    for (std::size_t i = 1; i < length; ++i)
      if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80)
        return false;
    at += length;
  }
  return true;
}

std::string plain(const doc::Document &document) {
  return doc::to_plain_text(document);
}

// ---- Textbook exercises ----------------------------------------------------

struct Exercise {
  const char *name;
  std::function<doc::Document()> build;
  const char *expected;
};

const Exercise kExercises[] = {
    {"unlike denominators",
     [] {
       return stacked_arith_working({1, 6}, kAdd, {3, 4});
     },
     "分数加法\n"
     "1/6 + 3/4\n"
     "通分：6 和 4 的最小公倍数是 12，以 12 为公分母：\n"
     "= 2/12 + 9/12\n"
     "分母不变，分子相加：\n"
     "= (2 + 9)/12\n"
     "= 11/12\n"
     "返回使用指南\n"},
    {"like denominators, then reduced",
     [] {
       return stacked_arith_working({5, 12}, kAdd, {1, 12});
     },
     "分数加法\n"
     "5/12 + 1/12\n"
     "同分母分数相加，分母不变，分子相加：\n"
     "= (5 + 1)/12\n"
     "= 6/12\n"
     "分子分母同除以最大公因数 6：\n"
     "= 1/2\n"
     "返回使用指南\n"},
    {"difference of negatives typed with negative denominators",
     [] {
       return stacked_arith_working({6, -8}, kSub, {1, -3});
     },
     "分数减法\n"
     "6/-8 − (1/-3)\n"
     "先把分数化成最简分数：\n"
     "= -3/4 − (-1/3)\n"
     "通分：4 和 3 的最小公倍数是 12，以 12 为公分母：\n"
     "= -9/12 − (-4/12)\n"
     "分母不变，分子相减：\n"
     "= (-9 − (-4))/12\n"
     "= -5/12\n"
     "返回使用指南\n"},
    {"product cancelled before multiplying",
     [] {
       return stacked_arith_working({4, 9}, kMul, {3, 8});
     },
     "分数乘法\n"
     "4/9 × 3/8\n"
     "先约分：4 和 8 同除以 4，3 和 9 同除以 3：\n"
     "= 1/3 × 1/2\n"
     "分子乘分子，分母乘分母：\n"
     "= (1 × 1)/(3 × 2)\n"
     "= 1/6\n"
     "返回使用指南\n"},
    {"product with zero, kept sign of the box",
     [] {
       return stacked_arith_working({0, -5}, kMul, {1, 2});
     },
     "分数乘法\n"
     "0/-5 × 1/2\n"
     "先把分数化成最简分数：\n"
     "= 0/1 × 1/2\n"
     "有一个因数是 0，积是 0：\n"
     "= 0/-1\n"
     "结果框中的分母带负号，值仍是 0。\n"
     "返回使用指南\n"},
    {"quotient by the reciprocal",
     [] {
       return stacked_arith_working({5, 6}, kDiv, {-10, 9});
     },
     "分数除法\n"
     "5/6 ÷ (-10/9)\n"
     "除以一个不为 0 的数，等于乘这个数的倒数：\n"
     "= 5/6 × (-9/10)\n"
     "先约分：5 和 10 同除以 5，-9 和 6 同除以 3：\n"
     "= 1/2 × (-3/2)\n"
     "分子乘分子，分母乘分母：\n"
     "= (1 × (-3))/(2 × 2)\n"
     "= -3/4\n"
     "返回使用指南\n"},
    {"division by a zero fraction",
     [] {
       return stacked_arith_working({3, 4}, kDiv, {0, 5});
     },
     "分数除法\n"
     "除数 0/5 等于 0，0 不能作除数，商的分母为 0，结果显示为 15/0。\n"
     "返回使用指南\n"},
    {"zero denominator",
     [] {
       return stacked_arith_working({1, 2}, kAdd, {1, 0});
     },
     "分数加法\n"
     "第二个数 1/0 的分母为 0，分数没有意义，无法计算，结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"no operator",
     [] {
       return stacked_arith_working({1, 2}, 0, {1, 3});
     },
     "分数计算\n"
     "没有选择运算符号（＋、－、×、÷），无法计算，结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"sum beyond the field range",
     [] {
       return stacked_arith_working({1, kMax}, kAdd, {1, kMax - 1});
     },
     "分数加法\n"
     "结果 4294967293/4611686011984936962 的分子或分母超出 ±2147483647 "
     "的范围，无法写出，结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"mixed and decimal operands as read",
     [] {
       return text_arith_working("1&1/2", {3, 2}, kSub, "0.25", {1, 4});
     },
     "分数减法\n"
     "第一个数是带分数，先化为假分数：\n"
     "1&1/2 = (1 × 2 + 1)/2\n"
     "整数部分乘分母再加分子作分子，分母不变：\n"
     "= 3/2\n"
     "第二个数 0.25 读作 1/4。\n"
     "3/2 − 1/4\n"
     "通分：2 和 4 的最小公倍数是 4，以 4 为公分母：\n"
     "= 6/4 − 1/4\n"
     "分母不变，分子相减：\n"
     "= (6 − 1)/4\n"
     "= 5/4\n"
     "返回使用指南\n"},
    {"reduction by the greatest common divisor",
     [] { return reduce_working("12/-18"); },
     "约分\n"
     "12/-18\n"
     "分母是负数，分子分母同乘 -1：\n"
     "= -12/18\n"
     "分子分母同除以最大公因数 6：\n"
     "= -2/3\n"
     "返回使用指南\n"},
    {"already in lowest terms", [] { return reduce_working("7/6"); },
     "约分\n"
     "7/6\n"
     "分子 7 和分母 6 的最大公因数是 1，已是最简分数。\n"
     "返回使用指南\n"},
    {"mixed reduction with a carry", [] { return reduce_working("2&14/8"); },
     "约分\n"
     "2&14/8\n"
     "分数部分 14/8 是假分数，14 ÷ 8 = 1 余 6，整数部分加 1：\n"
     "= 3&6/8\n"
     "整数部分不变，分数部分的分子分母同除以最大公因数 2：\n"
     "= 3&3/4\n"
     "返回使用指南\n"},
    {"mixed reduction under the sign rule",
     [] { return reduce_working("2&1/-3"); },
     "约分\n"
     "按带分数的符号规则，2&1/-3 读作 -2&1/3：\n"
     "-2&1/3\n"
     "分数部分 1/3 的分子分母只有公因数 1，已是最简分数。\n"
     "返回使用指南\n"},
    {"mixed number whose improper fraction does not fit",
     [] { return reduce_working("100000&1/100000"); },
     "约分\n"
     "化为假分数时分子超出 ±2147483647 的范围，无法约分，结果显示为 0&0/0。\n"
     "返回使用指南\n"},
    {"nothing to reduce", [] { return reduce_working("5"); },
     "约分\n"
     "输入中没有分数线“/”，没有可约分的分数，结果框留空。\n"
     "返回使用指南\n"},
    {"mixed to improper", [] { return mixed_to_fraction_working("2&1/3"); },
     "带分数化为假分数\n"
     "2&1/3 = (2 × 3 + 1)/3\n"
     "整数部分乘分母再加分子作分子，分母不变：\n"
     "= 7/3\n"
     "返回使用指南\n"},
    {"negative mixed to improper, reduced",
     [] { return mixed_to_fraction_working("-2&2/4"); },
     "带分数化为假分数\n"
     "-2&2/4 = -(2 × 4 + 2)/4\n"
     "整数部分乘分母再加分子作分子，分母不变：\n"
     "= -10/4\n"
     "分子分母同除以最大公因数 2：\n"
     "= -5/2\n"
     "返回使用指南\n"},
    {"not a mixed number", [] { return mixed_to_fraction_working("7/3"); },
     "带分数化为假分数\n"
     "输入不是有效的带分数（应写成“整数&分子/分母”，分母不为 0，数不超出 "
     "±2147483647），结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"common denominator",
     [] {
       return common_denominator_working("1/6", {1, 6}, "3/4", {3, 4});
     },
     "通分\n"
     "6 和 4 的最小公倍数是 12，以 12 为公分母，分子分母同乘一个数：\n"
     "1/6 = (1 × 2)/(6 × 2) = 2/12\n"
     "3/4 = (3 × 3)/(4 × 3) = 9/12\n"
     "返回使用指南\n"},
    {"decimal to fraction",
     [] {
       return decimal_to_fraction_working("0.75", {3, 4});
     },
     "小数化为分数\n"
     "小数点后有 2 位数字，就写成分母是 100 的分数：\n"
     "0.75 = 75/100\n"
     "分子分母同除以最大公因数 25：\n"
     "= 3/4\n"
     "返回使用指南\n"},
    {"whole number to fraction",
     [] {
       return decimal_to_fraction_working("-2", {-2, 1});
     },
     "小数化为分数\n"
     "整数可以看作分母是 1 的分数：\n"
     "-2 = -2/1\n"
     "返回使用指南\n"},
    {"decimal too long for a power of ten",
     [] {
       return decimal_to_fraction_working("0.333333333333333", {1, 3});
     },
     "小数化为分数\n"
     "0.333333333333333 写成分母是 10 的幂的分数时，分母超出 ±2147483647 "
     "的范围；取分母在范围内、与它最接近的分数：\n"
     "0.333333333333333 ≈ 1/3\n"
     "返回使用指南\n"},
    {"decimal to mixed",
     [] {
       return decimal_to_mixed_working("-2.5", {-5, 2});
     },
     "小数化为带分数\n"
     "小数点后有 1 位数字，就写成分母是 10 的分数：\n"
     "-2.5 = -25/10\n"
     "分子分母同除以最大公因数 5：\n"
     "= -5/2\n"
     "5 ÷ 2 = 2 余 1，商作整数部分，余数作分子，分母不变：\n"
     "= -2&1/2\n"
     "检验：-(2 × 2 + 1)/2 = -5/2。\n"
     "返回使用指南\n"},
    {"terminating decimal",
     [] {
       return fraction_to_decimal_working("3/8", {3, 8}, "0.375");
     },
     "分数化为小数\n"
     "3/8\n"
     "分数的分子除以分母：\n"
     "= 3 ÷ 8\n"
     "分母 8 只含质因数 2 和 5，能化成有限小数：\n"
     "= 0.375\n"
     "返回使用指南\n"},
    {"repeating decimal",
     [] {
       return fraction_to_decimal_working("2/3", {2, 3}, "0.666666666666667");
     },
     "分数化为小数\n"
     "2/3\n"
     "分数的分子除以分母：\n"
     "= 2 ÷ 3\n"
     "分母 3 含有 2 和 5 以外的质因数，不能化成有限小数，是无限循环小数，"
     "循环节是 6；结果框保留 15 位有效数字：\n"
     "≈ 0.666666666666667\n"
     "返回使用指南\n"},
    {"repeating decimal after a digit that does not repeat",
     [] {
       return fraction_to_decimal_working("-1/6", {-1, 6},
                                          "-0.166666666666667");
     },
     "分数化为小数\n"
     "-1/6\n"
     "分数的分子除以分母：\n"
     "= (-1) ÷ 6\n"
     "分母 6 含有 2 和 5 以外的质因数，不能化成有限小数，是无限循环小数，"
     "循环节是 6；结果框保留 15 位有效数字：\n"
     "≈ -0.166666666666667\n"
     "返回使用指南\n"},
    {"repetend of six digits",
     [] {
       return fraction_to_decimal_working("22/7", {22, 7}, "3.14285714285714");
     },
     "分数化为小数\n"
     "22/7\n"
     "分数的分子除以分母：\n"
     "= 22 ÷ 7\n"
     "分母 7 含有 2 和 5 以外的质因数，不能化成有限小数，是无限循环小数，"
     "循环节是 142857；结果框保留 15 位有效数字：\n"
     "≈ 3.14285714285714\n"
     "返回使用指南\n"},
    {"repetend too long to name",
     [] {
       return fraction_to_decimal_working("1/23", {1, 23},
                                          "0.0434782608695652");
     },
     "分数化为小数\n"
     "1/23\n"
     "分数的分子除以分母：\n"
     "= 1 ÷ 23\n"
     "分母 23 含有 2 和 5 以外的质因数，不能化成有限小数，是无限循环小数；"
     "结果框保留 15 位有效数字：\n"
     "≈ 0.0434782608695652\n"
     "返回使用指南\n"},
    {"unusable fraction",
     [] {
       return fraction_to_decimal_working("3/0", {3, 0}, "0/0");
     },
     "分数化为小数\n"
     "输入的数 3/0 的分母为 0，分数没有意义，不能化成小数，结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"mixed to decimal",
     [] { return mixed_to_decimal_working("2&1/4", "2.25"); },
     "带分数化为小数\n"
     "先把带分数化为假分数：\n"
     "2&1/4 = (2 × 4 + 1)/4\n"
     "整数部分乘分母再加分子作分子，分母不变：\n"
     "= 9/4\n"
     "再用分子除以分母：\n"
     "= 9 ÷ 4\n"
     "分母 4 只含质因数 2 和 5，能化成有限小数：\n"
     "= 2.25\n"
     "返回使用指南\n"},
    {"square of a negative fraction",
     [] {
       return square_working("-6/8", {-3, 4});
     },
     "分数的平方\n"
     "输入的数先化成最简分数：\n"
     "-6/8\n"
     "分子分母同除以最大公因数 2：\n"
     "= -3/4\n"
     "(-3/4)²\n"
     "负数的平方是正数，分子、分母分别平方：\n"
     "= 3²/4²\n"
     "= 9/16\n"
     "返回使用指南\n"},
    {"square beyond the field range",
     [] {
       return square_working("65536", {65536, 1});
     },
     "分数的平方\n"
     "平方 4294967296/1 的分子或分母超出 ±2147483647 的范围，无法写出，"
     "结果显示为 0/0。\n"
     "返回使用指南\n"},
    {"square of an empty box",
     [] {
       return square_working("", {0, 1});
     },
     "分数的平方\n"
     "没有输入，按 0/1 计算。\n"
     "(0/1)²\n"
     "分子、分母分别平方：\n"
     "= 0²/1²\n"
     "= 0/1\n"
     "返回使用指南\n"},
    {"nearest whole number, rounded down",
     [] {
       return nearest_integer_working("7/3", {7, 3});
     },
     "最接近的整数\n"
     "7/3 = 2&1/3\n"
     "分数部分 1/3 小于 1/2，四舍五入，舍去分数部分，最接近的整数是 2：\n"
     "7/3 ≈ 2\n"
     "返回使用指南\n"},
    {"nearest whole number of a negative half",
     [] {
       return nearest_integer_working("-5/2", {-5, 2});
     },
     "最接近的整数\n"
     "-5/2 = -2&1/2\n"
     "分数部分 1/2 不小于 1/2，四舍五入，整数部分进 1，最接近的整数是 -3：\n"
     "-5/2 ≈ -3\n"
     "返回使用指南\n"},
    {"improper to mixed",
     [] {
       return fraction_to_mixed_working("7/3", {7, 3});
     },
     "假分数化为带分数\n"
     "7/3\n"
     "7 ÷ 3 = 2 余 1，商作整数部分，余数作分子，分母不变：\n"
     "= 2&1/3\n"
     "检验：(2 × 3 + 1)/3 = 7/3。\n"
     "返回使用指南\n"},
    {"proper fraction to mixed",
     [] {
       return fraction_to_mixed_working("-3/4", {-3, 4});
     },
     "假分数化为带分数\n"
     "-3/4\n"
     "分子的绝对值小于分母，是真分数，整数部分是 0：\n"
     "= -0&3/4\n"
     "返回使用指南\n"},
};

TEST(FractionWorking, TextbookExercises) {
  for (const Exercise &exercise : kExercises) {
    SCOPED_TRACE(exercise.name);
    EXPECT_EQ(plain(exercise.build()), exercise.expected);
  }
}

TEST(FractionWorking, EveryWorkingEndsWithTheOneReturnLink) {
  for (const Exercise &exercise : kExercises) {
    SCOPED_TRACE(exercise.name);
    const doc::Document document = exercise.build();
    ASSERT_FALSE(document.empty());
    const doc::Paragraph &last = document.paragraphs.back();
    EXPECT_EQ(last.style, doc::ParagraphStyle::ReturnLink);
    EXPECT_EQ(doc::to_plain_text(last.content), "返回使用指南");
    for (std::size_t i = 0; i + 1 < document.paragraphs.size(); ++i)
      EXPECT_NE(document.paragraphs[i].style, doc::ParagraphStyle::ReturnLink);
  }
}

TEST(FractionWorking, FractionsAreStackedNodes) {
  // The views stack what the plain text writes as "75/100": the working's
  // fractions are fraction nodes, not slashes in text.
  const doc::Document document = decimal_to_fraction_working("0.75", {3, 4});
  int fractions = 0;
  for (const doc::Paragraph &paragraph : document.paragraphs)
    for (const doc::Node &node : paragraph.content) {
      if (node.kind == doc::NodeKind::Fraction)
        ++fractions;
      if (node.kind == doc::NodeKind::Text) {
        EXPECT_EQ(node.text.find('/'), std::string::npos) << node.text;
      }
    }
  EXPECT_EQ(fractions, 2);
}

TEST(FractionWorking, NonAsciiEntriesAreNotEchoed) {
  // GBK bytes must never reach the UTF-8 document.
  const char gbk[] = "\xB0\xEB 1/2";
  const std::string text = plain(square_working(gbk, {1, 2}));
  EXPECT_TRUE(is_utf8(text));
  EXPECT_NE(text.find("输入的数读作 1/2。"), std::string::npos) << text;
}

// ---- Typed mixed numbers ---------------------------------------------------

TEST(FractionWorking, TypedMixedHasTheValueParseMixedReads) {
  const char *const texts[] = {"2&1/3", "-2&1/3", "2&-1/3", "2&1/-3", "-0&1/3",
                               "0&-1/3", "-2&0/5", "2&0/-5", "2&14/8",
                               " 1 & 2 / 4 ", "3&5", "-0&0/7",
                               "2147483647&2147483646/2147483647",
                               // Read as the runtime reads them: the part
                               // after "&" as the whole number 1, "a" as 0.
                               "2&1/3/4", "a&b"};
  for (const char *text : texts) {
    SCOPED_TRACE(text);
    const MixedNumber read = parse_mixed(text);
    const std::optional<TypedMixed> typed = typed_mixed(text);
    ASSERT_TRUE(typed);
    ASSERT_TRUE(is_valid(read));
    // ±(W + N/D) against the improper fraction of what parse_mixed read.
    const exact::WideFraction value = exact::improper_of(exact::widen(read));
    const Wide typed_numerator =
        (typed->whole * typed->denominator + typed->numerator) *
        (typed->negative ? -1 : 1);
    EXPECT_EQ(typed_numerator * value.denominator,
              value.numerator * typed->denominator);
  }
  for (const char *text :
       {"7/3", "2&1/0", "2&&1/3", "3000000000&1/2", "2&1/3000000000"}) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(typed_mixed(text) && is_valid(parse_mixed(text)));
  }
}

// ---- Agreement with the boxes ---------------------------------------------

// The text of the value the last formula line ends in ("= 3/4", "≈ 2"; the
// whole line when it is a value alone), or
// for a working without formulas its "结果显示为 …。" sentence's value.
std::string shown_result(const doc::Document &document) {
  std::string result;
  for (const doc::Paragraph &paragraph : document.paragraphs) {
    const std::string line = doc::to_plain_text(paragraph.content);
    if (paragraph.style == doc::ParagraphStyle::Formula) {
      result = line;
      for (const std::string_view mark : {"= ", "≈ "}) {
        const std::size_t at = line.rfind(mark);
        if (at != std::string::npos) {
          result = line.substr(at + mark.size());
          break;
        }
      }
    }
  }
  if (!result.empty())
    return result;
  for (const doc::Paragraph &paragraph : document.paragraphs) {
    const std::string line = doc::to_plain_text(paragraph.content);
    const std::string mark = "结果显示为 ";
    const std::size_t at = line.find(mark);
    if (at != std::string::npos)
      return line.substr(at + mark.size(), line.size() - at - mark.size() -
                                               std::string("。").size());
  }
  return result;
}

// Every "= X" line of the last chain (the formula lines after the last one
// that does not start with "=") whose X is a single fraction, mixed number
// or whole number has the value numerator/denominator: the chain that leads
// to the result never changes the value it shows.
void expect_chain_value(const doc::Document &document, const Wide &numerator,
                        const Wide &denominator) {
  static const std::regex kSingle(R"(= (-?)(?:(\d+)&)?(\d+)(?:/(-?\d+))?)");
  std::vector<std::string> chain;
  for (const doc::Paragraph &paragraph : document.paragraphs) {
    if (paragraph.style != doc::ParagraphStyle::Formula)
      continue;
    std::string line = doc::to_plain_text(paragraph.content);
    if (line.rfind("= ", 0) != 0)
      chain.clear();
    chain.push_back(std::move(line));
  }
  ASSERT_FALSE(chain.empty()) << doc::to_plain_text(document);
  for (const std::string &line : chain) {
    std::smatch match;
    if (!std::regex_match(line, match, kSingle))
      continue;
    const Wide whole = number_of<Wide>(match[2].str());
    const Wide top = number_of<Wide>(match[3].str());
    Wide bottom = 1;
    if (match[4].matched) {
      const std::string text = match[4].str();
      bottom = text.front() == '-' ? -number_of<Wide>(text.substr(1))
                                   : number_of<Wide>(text);
    }
    ASSERT_NE(bottom, 0) << line;
    Wide n = whole * exact::magnitude(bottom) + top;
    if (match[1].length() > 0)
      n = -n;
    if (bottom < 0 && whole == 0)
      n = -n;
    EXPECT_EQ(n * denominator, numerator * exact::magnitude(bottom))
        << line << " in\n"
        << doc::to_plain_text(document);
  }
}

// The decimal text agrees with n/d to the 15 significant digits it holds:
// within half a unit of the 15th digit, plus the rounding of n/d to a double
// in between (at most 2^-53 of the value, 0.111 of that unit); `exact` when
// it must be n/d itself.
void expect_decimal_agrees(std::string_view text, const Wide &numerator,
                           const Wide &denominator, bool exact) {
  static const std::regex kDecimal(R"((-?)(\d+)(?:\.(\d+))?(?:e([-+]\d+))?)");
  const std::string copy(text);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(copy, match, kDecimal)) << text;
  const std::string digits_text = match[2].str() + match[3].str();
  Big mantissa = number_of<Big>(digits_text);
  if (match[1].length() > 0)
    mantissa = -mantissa;
  int places = static_cast<int>(match[3].length());
  if (match[4].matched)
    places -= std::stoi(match[4].str());
  // text = M·B/A with A, B powers of ten; its gap to n/d is
  // |M·B·d − n·A| / (A·d).
  Big a = 1;
  Big b = 1;
  for (int i = 0; i < places; ++i)
    a *= 10;
  for (int i = 0; i < -places; ++i)
    b *= 10;
  const Big n(numerator.str());
  const Big d(denominator.str());
  Big gap = mantissa * b * d - n * a;
  if (gap < 0)
    gap = -gap;
  if (exact) {
    EXPECT_EQ(gap, 0) << text << " for " << numerator << "/" << denominator;
    return;
  }
  // The last of 15 significant digits weighs B/A·10^(S−15), S the
  // significant digits of M; allow 0.62 of it:
  // 100·|M·B·d − n·A| <= 62·B·d·10^(S−15).
  const std::size_t first = digits_text.find_first_not_of('0');
  const int significant = first == std::string::npos
                              ? 0
                              : static_cast<int>(digits_text.size() - first);
  Big left = 100 * gap;
  Big right = 62 * b * d;
  for (int i = significant; i < 15; ++i)
    left *= 10;
  for (int i = 15; i < significant; ++i)
    right *= 10;
  EXPECT_LE(left, right) << text << " for " << numerator << "/" << denominator;
}

// Operands for the agreement runs: small ones, ones anywhere in the field
// range, and denominators near 2^31.
class OperandSource {
public:
  explicit OperandSource(std::uint32_t seed) : m_random(seed) {}
  Fraction next() {
    switch (pick(0, 3)) {
    case 0:
      return {pick(-40, 40), pick(-12, 12)};
    case 1:
      return {pick(-kMax, kMax), pick(1, kMax)};
    case 2:
      return {pick(-kMax, kMax), pick(kMax - 1000, kMax)};
    default:
      return {pick(-1000, 1000), pick(1, 1000)};
    }
  }
  std::int32_t pick(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(m_random);
  }

private:
  std::mt19937 m_random;
};

std::string fraction_entry(Fraction f) {
  return std::to_string(f.numerator) + "/" + std::to_string(f.denominator);
}

std::string mixed_entry(MixedNumber m, bool negative) {
  return std::string(negative ? "-" : "") + std::to_string(m.whole) + "&" +
         std::to_string(m.numerator) + "/" + std::to_string(m.denominator);
}

class FractionWorkingAgreement : public testing::BoundRuntimeTest {};

constexpr int kRounds = 400;

TEST_F(FractionWorkingAgreement, CalculatorsShowTheirBoxes) {
  OperandSource source(11);
  for (int round = 0; round < kRounds; ++round) {
    const Fraction a = source.next();
    const Fraction b = source.next();
    const std::int32_t op = source.pick(0, 5);
    SCOPED_TRACE(fraction_entry(a) + " op " + std::to_string(op) + " " +
                 fraction_entry(b));
    // The stacked calculator's two boxes, as its handler writes them.
    const Fraction r = fraction_arith(a, op, b);
    const std::string boxes = std::string(sdk::to_text(r.numerator).view()) +
                              "/" +
                              std::string(sdk::to_text(r.denominator).view());
    const doc::Document stacked = stacked_arith_working(a, op, b);
    EXPECT_EQ(shown_result(stacked), boxes) << plain(stacked);
    if (is_valid(r))
      expect_chain_value(stacked, r.numerator, r.denominator);

    // The text calculator on the same operands as typed, the second one
    // every other round as a mixed number.
    const std::string a_text = fraction_entry(a);
    const MixedNumber mixed = fraction_to_mixed(b);
    const std::string b_text =
        round % 2 == 0 || !is_valid(mixed)
            ? fraction_entry(b)
            : mixed_entry(
                  {mixed.whole,
                   mixed.numerator < 0 ? -mixed.numerator : mixed.numerator,
                   mixed.denominator},
                  mixed.numerator < 0);
    const Fraction ta = text_to_fraction(a_text.c_str());
    const Fraction tb = text_to_fraction(b_text.c_str());
    const Fraction tr = fraction_arith(ta, op, tb);
    const doc::Document text =
        text_arith_working(a_text.c_str(), ta, op, b_text.c_str(), tb);
    EXPECT_EQ(shown_result(text), format_fraction(tr).view()) << plain(text);
  }
}

TEST_F(FractionWorkingAgreement, ReductionAndCommonDenominatorShowTheirBoxes) {
  OperandSource source(12);
  for (int round = 0; round < kRounds; ++round) {
    const Fraction a = source.next();
    const Fraction b = source.next();
    const std::string a_text = fraction_entry(a);
    SCOPED_TRACE(a_text);
    const Fraction reduced = reduce_fraction(parse_fraction(a_text.c_str()));
    const doc::Document reduction = reduce_working(a_text.c_str());
    EXPECT_EQ(shown_result(reduction), format_fraction(reduced).view())
        << plain(reduction);
    if (is_valid(reduced))
      expect_chain_value(reduction, reduced.numerator, reduced.denominator);

    const bool negative = source.pick(0, 1) == 1;
    const MixedNumber m{source.pick(0, 1000), source.pick(0, 5000),
                        source.pick(0, 99)};
    const std::string m_text = mixed_entry(m, negative);
    SCOPED_TRACE(m_text);
    const MixedNumber mixed_box = fraction_to_mixed(
        reduce_fraction(mixed_to_fraction(parse_mixed(m_text.c_str()))));
    const doc::Document mixed = reduce_working(m_text.c_str());
    EXPECT_EQ(shown_result(mixed), format_mixed(mixed_box).view())
        << plain(mixed);
    const Fraction improper = mixed_to_fraction(parse_mixed(m_text.c_str()));
    const doc::Document to_improper = mixed_to_fraction_working(m_text.c_str());
    EXPECT_EQ(shown_result(to_improper),
              fraction_pages::mixed_to_fraction_text(m_text.c_str()).view());
    if (is_valid(improper)) {
      expect_chain_value(mixed, improper.numerator, improper.denominator);
      expect_chain_value(to_improper, improper.numerator, improper.denominator);
    }

    const std::string b_text = fraction_entry(b);
    const Fraction ta = text_to_fraction(a_text.c_str());
    const Fraction tb = text_to_fraction(b_text.c_str());
    const auto [first, second] = common_denominator(ta, tb);
    const std::string common = plain(
        common_denominator_working(a_text.c_str(), ta, b_text.c_str(), tb));
    const std::string first_box(format_fraction(first, false).view());
    const std::string second_box(format_fraction(second, false).view());
    if (is_valid(first) && is_valid(ta) && is_valid(tb)) {
      EXPECT_NE(common.find("= " + first_box + "\n"), std::string::npos)
          << common;
      EXPECT_NE(common.find("= " + second_box + "\n"), std::string::npos)
          << common;
    } else {
      EXPECT_NE(common.find("结果显示为 " + first_box + " 和 " + second_box),
                std::string::npos)
          << common;
    }
  }
}

TEST_F(FractionWorkingAgreement, ConversionsShowTheirBoxes) {
  OperandSource source(13);
  for (int round = 0; round < kRounds; ++round) {
    const Fraction f = source.next();
    const std::string entry = fraction_entry(f);
    SCOPED_TRACE(entry);
    const Fraction read = text_to_fraction(entry.c_str());
    const Fraction value = reduce_fraction(read);

    const std::string decimal(
        fraction_pages::fraction_to_decimal_text(entry.c_str()).view());
    const doc::Document to_decimal =
        fraction_to_decimal_working(entry.c_str(), read, decimal);
    EXPECT_EQ(shown_result(to_decimal), decimal) << plain(to_decimal);
    if (is_valid(read)) {
      const bool claimed_exact =
          plain(to_decimal).find("\n= " + decimal + "\n") != std::string::npos;
      expect_decimal_agrees(decimal, value.numerator, value.denominator,
                            claimed_exact);
    }

    const doc::Document square = square_working(entry.c_str(), read);
    const Fraction squared = fraction_power(read, 2);
    EXPECT_EQ(shown_result(square),
              fraction_pages::square_fraction_text(entry.c_str()).view())
        << plain(square);
    if (is_valid(squared))
      expect_chain_value(square, squared.numerator, squared.denominator);

    const doc::Document nearest = nearest_integer_working(entry.c_str(), read);
    EXPECT_EQ(shown_result(nearest),
              fraction_pages::reduce_to_integer_text(entry.c_str()).view())
        << plain(nearest);

    const doc::Document to_mixed =
        fraction_to_mixed_working(entry.c_str(), read);
    EXPECT_EQ(shown_result(to_mixed),
              fraction_pages::fraction_to_mixed_text(entry.c_str()).view())
        << plain(to_mixed);
    if (is_valid(read))
      expect_chain_value(to_mixed, value.numerator, value.denominator);

    // The decimal direction on the number the fraction's box shows.
    if (is_valid(read)) {
      const double x = sdk::text_to_number(decimal.c_str());
      const std::string number(sdk::to_text(x).view());
      const Fraction back = decimal_to_fraction(x);
      const doc::Document to_fraction =
          decimal_to_fraction_working(number, back);
      EXPECT_EQ(
          shown_result(to_fraction),
          fraction_pages::decimal_to_fraction_text(decimal.c_str()).view())
          << plain(to_fraction);
      const doc::Document to_mixed_number =
          decimal_to_mixed_working(number, back);
      EXPECT_EQ(shown_result(to_mixed_number),
                fraction_pages::decimal_to_mixed_text(decimal.c_str()).view())
          << plain(to_mixed_number);
      if (is_valid(back))
        expect_chain_value(to_fraction, back.numerator, back.denominator);
    }

    const MixedNumber m = fraction_to_mixed(read);
    const std::string m_text = mixed_entry(
        {m.whole, m.numerator < 0 ? -m.numerator : m.numerator, m.denominator},
        m.numerator < 0);
    const std::string mixed_decimal(
        fraction_pages::mixed_to_decimal_text(m_text.c_str()).view());
    const doc::Document mixed_to_decimal =
        mixed_to_decimal_working(m_text.c_str(), mixed_decimal);
    EXPECT_EQ(shown_result(mixed_to_decimal), mixed_decimal)
        << plain(mixed_to_decimal);
  }
}

} // namespace
} // namespace qx::fraction::working
