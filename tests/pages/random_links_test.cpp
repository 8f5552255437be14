// The random test links of both fraction pages in the real program: the
// shapes and ranges of every box over many runs, the order of the draws,
// and the boxes and labels they leave.
#include "program/fraction_routines.h"
#include "runtime/sdk/sdk.h"
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace qx::test {
namespace {

const std::array<const char *, 4> kWholeNumberBoxes = {"分子1", "分母1",
                                                       "分子2", "分母2"};
const std::array<const char *, 5> kOperandBoxes = {
    "编辑框4", "编辑框5", "编辑框6", "编辑框8", "编辑框9"};
const std::array<const char *, 6> kPage3Results = {
    "编辑框12", "编辑框7", "编辑框10", "编辑框11", "分子3", "分母3"};
const std::array<const char *, 8> kPage4Results = {
    "编辑框14", "编辑框16", "编辑框19", "编辑框20",
    "编辑框22", "编辑框24", "编辑框27", "编辑框28"};
const std::array<const char *, 8> kPage4Buttons = {
    "数值到分数", "数值到带分数", "分数到数值",   "带分数到数值",
    "求分数平方", "约分到整数",   "分数到带分数", "带分数到分数"};

bool in_range(const std::string &digits, int low, int high) {
  if (digits.empty() || digits.size() > 3)
    return false;
  const int value = std::atoi(digits.c_str());
  return value >= low && value <= high;
}

bool is_small_number(const std::string &text) {
  static const std::regex digits("[1-9][0-9]?");
  return std::regex_match(text, digits) && in_range(text, 1, 20);
}

enum class ShapeKind { Fraction, Mixed, Other };

// A fraction n/d or a mixed number w&n/d with every number from 1 to 20.
ShapeKind shape_of(const std::string &text) {
  static const std::regex fraction("([0-9]+)/([0-9]+)");
  static const std::regex mixed("([0-9]+)&([0-9]+)/([0-9]+)");
  std::smatch m;
  if (std::regex_match(text, m, fraction))
    return is_small_number(m[1]) && is_small_number(m[2]) ? ShapeKind::Fraction
                                                          : ShapeKind::Other;
  if (std::regex_match(text, m, mixed))
    return is_small_number(m[1]) && is_small_number(m[2]) &&
                   is_small_number(m[3])
               ? ShapeKind::Mixed
               : ShapeKind::Other;
  return ShapeKind::Other;
}

// p / 10, p / 100 or p / 1000 for p from 1 to 100, written plainly.
bool is_random_decimal(const std::string &text) {
  static const std::regex plain("(10|[0-9])(\\.[0-9]{0,2}[1-9])?");
  if (!std::regex_match(text, plain))
    return false;
  const double value = std::strtod(text.c_str(), nullptr);
  for (double divisor : {10.0, 100.0, 1000.0}) {
    const double p = std::round(value * divisor);
    if (p >= 1 && p <= 100 && p / divisor == value)
      return true;
  }
  return false;
}

enum class ReducibleKind { Fraction, WholeFraction, Mixed, WholeMixed, Other };

// The shapes of 编辑框23.
ReducibleKind reducible_shape_of(const std::string &text) {
  static const std::regex fraction("([0-9]+)/([0-9]+)");
  static const std::regex whole_mixed("([1-4])&0/1");
  std::smatch m;
  if (std::regex_match(text, whole_mixed))
    return ReducibleKind::WholeMixed;
  if (shape_of(text) == ShapeKind::Mixed)
    return ReducibleKind::Mixed;
  if (!std::regex_match(text, m, fraction) || !is_small_number(m[2]))
    return ReducibleKind::Other;
  if (is_small_number(m[1]))
    return ReducibleKind::Fraction;
  // Above 20 only k × d, k from 1 to 4.
  const int n = std::atoi(m[1].str().c_str());
  const int d = std::atoi(m[2].str().c_str());
  return in_range(m[1], 1, 80) && n % d == 0 && n / d <= 4
             ? ReducibleKind::WholeFraction
             : ReducibleKind::Other;
}

void expect_random_link_shown(Player &p) {
  EXPECT_TRUE(p.visible("随机1"));
  EXPECT_FALSE(p.visible("转换到假分数"));
  EXPECT_TRUE(p.disabled("转换到假分数"));
}

TEST(RandomTest1, FillsEntriesWithSmallNumbersAndOperands) {
  constexpr int kClicks = 200;
  int fractions = 0;
  int operands = 0;
  for (std::uint64_t seed : {1u, 2u, 3u}) {
    run_program(
        [&](Player &p) {
          p.page(3);
          p.choose("组合框1", 2);
          p.choose("组合框2", 3);
          for (int click = 0; click < kClicks; ++click) {
            // Results from the previous values, so that emptying shows.
            for (const char *button : {"计算", "计算2", "通分"})
              p.click(button);
            p.click("随机1");
            for (const char *box : kWholeNumberBoxes)
              EXPECT_TRUE(is_small_number(p.text(box))) << p.text(box);
            for (const char *box : kOperandBoxes) {
              const std::string text = p.text(box);
              const ShapeKind shape = shape_of(text);
              EXPECT_NE(shape, ShapeKind::Other) << box << " " << text;
              fractions += shape == ShapeKind::Fraction;
              ++operands;
            }
            for (const char *box : kPage3Results)
              EXPECT_EQ(p.text(box), "") << box;
            expect_random_link_shown(p);
          }
          EXPECT_EQ(p.selection("组合框1"), 2);
          EXPECT_EQ(p.selection("组合框2"), 3);
        },
        seed);
  }
  // 125 in 200 operands are fractions; five standard deviations either way.
  const double expected = operands * 125.0 / 200.0;
  const double deviation = std::sqrt(operands * (125.0 / 200) * (75.0 / 200));
  EXPECT_NEAR(fractions, expected, 5 * deviation);
}

TEST(RandomTest1, BringsTheRandomLinkBackAfterAMixedReduction) {
  run_program([](Player &p) {
    p.page(3);
    p.type("编辑框6", "3&6/4");
    p.click("约分");
    ASSERT_FALSE(p.visible("随机1"));
    // The hidden link cannot be clicked; the handler is called directly as
    // the program calls it.
    OnRandomTest1(0, 0, 0);
    EXPECT_EQ(p.outstanding_blocks(), 0u);
    expect_random_link_shown(p);
    for (const char *box : kPage3Results)
      EXPECT_EQ(p.text(box), "") << box;
  });
}

TEST(RandomTest2, FillsEveryEntryWithItsShape) {
  constexpr int kClicks = 200;
  std::map<ReducibleKind, int> reducible;
  for (std::uint64_t seed : {4u, 5u, 6u}) {
    run_program(
        [&](Player &p) {
          p.page(4);
          for (int click = 0; click < kClicks; ++click) {
            for (const char *button : kPage4Buttons)
              p.click(button);
            p.click("随机2");
            for (const char *box : {"编辑框13", "编辑框15"})
              EXPECT_TRUE(is_random_decimal(p.text(box)))
                  << box << " " << p.text(box);
            for (const char *box : {"编辑框17", "编辑框25"})
              EXPECT_EQ(shape_of(p.text(box)), ShapeKind::Fraction)
                  << box << " " << p.text(box);
            for (const char *box : {"编辑框18", "编辑框26"})
              EXPECT_EQ(shape_of(p.text(box)), ShapeKind::Mixed)
                  << box << " " << p.text(box);
            EXPECT_NE(shape_of(p.text("编辑框21")), ShapeKind::Other)
                << p.text("编辑框21");
            const ReducibleKind kind = reducible_shape_of(p.text("编辑框23"));
            EXPECT_NE(kind, ReducibleKind::Other) << p.text("编辑框23");
            ++reducible[kind];
            for (const char *box : kPage4Results)
              EXPECT_EQ(p.text(box), "") << box;
          }
        },
        seed);
  }
  // Each of the four shapes turns up (the rarest, k × d over d above 20,
  // in roughly one click of six).
  for (ReducibleKind kind :
       {ReducibleKind::Fraction, ReducibleKind::WholeFraction,
        ReducibleKind::Mixed, ReducibleKind::WholeMixed})
    EXPECT_GT(reducible[kind], 20) << static_cast<int>(kind);
}

// The same draws, made here in the order the links make them.
std::string draw_small() { return std::to_string(sdk::random_integer(1, 20)); }

std::string draw_fraction() {
  const std::string numerator = draw_small();
  return numerator + "/" + draw_small();
}

std::string draw_mixed() {
  const std::string whole = draw_small();
  const std::string numerator = draw_small();
  return whole + "&" + numerator + "/" + draw_small();
}

std::string draw_operand() {
  return sdk::random_integer(1, 200) > 75 ? draw_fraction() : draw_mixed();
}

std::string draw_decimal() {
  const double p = sdk::random_integer(1, 100);
  const double divisors[] = {10, 100, 1000};
  const std::int32_t i = sdk::random_integer(1, 3);
  return sdk::to_text(p / divisors[i - 1]).c_str();
}

std::string draw_reducible() {
  const std::int32_t r = sdk::random_integer(1, 200);
  const std::int32_t d = sdk::random_integer(1, 20);
  const std::int32_t s = sdk::random_integer(1, 200);
  if (r > 75 && s < 75)
    return draw_small() + "/" + std::to_string(d);
  if (r <= 75 && s < 75)
    return draw_mixed();
  const std::int32_t k = sdk::random_integer(1, 4);
  if (r > 75)
    return std::to_string(k * d) + "/" + std::to_string(d);
  return std::to_string(k) + "&0/1";
}

TEST(RandomLinks, DrawInTheOrderTheValuesAreWritten) {
  for (std::uint64_t seed : {7u, 8u, 9u, 10u, 11u, 12u, 13u, 14u}) {
    SCOPED_TRACE(seed);
    run_program(
        [](Player &p) {
          p.page(3);
          p.click("随机1");
          // With a fixed seed, reseeding starts the draws over.
          sdk::set_random_seed();
          for (const char *box : kWholeNumberBoxes)
            EXPECT_EQ(p.text(box), draw_small()) << box;
          for (const char *box : {"编辑框4", "编辑框5", "编辑框6", "编辑框8"})
            EXPECT_EQ(p.text(box), draw_operand()) << box;
          EXPECT_EQ(p.text("编辑框9"), draw_operand());

          p.page(4);
          sdk::set_random_seed();
          p.click("随机2");
          sdk::set_random_seed();
          const std::pair<const char *, std::string (*)()> boxes[] = {
              {"编辑框13", draw_decimal},  {"编辑框15", draw_decimal},
              {"编辑框17", draw_fraction}, {"编辑框18", draw_mixed},
              {"编辑框21", draw_operand},  {"编辑框23", draw_reducible},
              {"编辑框25", draw_fraction}, {"编辑框26", draw_mixed}};
          for (const auto &[box, draw] : boxes)
            EXPECT_EQ(p.text(box), draw()) << box;
          EXPECT_EQ(p.outstanding_blocks(), 0u);
        },
        seed);
  }
}

} // namespace
} // namespace qx::test
