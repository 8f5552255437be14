// The equation pages and the clear link, clicked in the real program.
#include "tests/base/exact_rounding.h"
#include "tests/program/program_run.h"
#include "tests/solvers/exact_roots.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace qx::test {
namespace {

constexpr const char *kQuadraticIncomplete =
    "请完整输入系数和常数项，没有一次项系数或常数项的方程请填0。";
constexpr const char *kQuadraticZero =
    "二次项系数不能为0，请勿输入其它非数字字符，否则将转换为0";
constexpr const char *kLinearIncomplete =
    "请完整输入系数和常数项，没有常数项的方程请填0。";
constexpr const char *kLinearZero =
    "未知数系数不能为0，请勿输入其它非数字字符，否则将转换为0";
constexpr const char *kSystemIncomplete = "请完整输入系数和常数项。";
constexpr const char *kOutOfRange =
    "系数超出范围，请输入 -2147483648 到 2147483647 之间的数。";
constexpr const char *kNoRealRoots = "方程无实数根";
constexpr const char *kInfinite = "方程组有无数解";
constexpr const char *kNoSolution = "方程组无解";

// What one click should give: the texts of the result boxes, or a message
// that leaves them as they were.
struct Expected {
  std::vector<std::string> results;
  const char *message = nullptr;
};

struct PageCase {
  std::vector<std::string> inputs;
  Expected expected;
};

// Types the inputs, clicks the button, and checks the outcome. Before each
// case the result boxes hold the texts of a solved equation, so that a
// message case shows that nothing was written.
void check_page(std::int32_t page, const std::vector<const char *> &inputs,
                const std::vector<const char *> &results, const char *button,
                const std::vector<std::string> &solvable,
                const std::vector<PageCase> &cases) {
  run_program([&](Player &p) {
    p.page(page);
    for (const PageCase &c : cases) {
      SCOPED_TRACE(testing::PrintToString(c.inputs));
      for (std::size_t i = 0; i < inputs.size(); ++i)
        p.type(inputs[i], solvable[i]);
      p.click(button);
      std::vector<std::string> before;
      for (const char *box : results)
        before.push_back(p.text(box));
      ASSERT_TRUE(p.take_messages().empty());

      for (std::size_t i = 0; i < inputs.size(); ++i)
        p.type(inputs[i], c.inputs[i]);
      p.click(button);

      const std::vector<Message> messages = p.take_messages();
      std::vector<std::string> after;
      for (const char *box : results)
        after.push_back(p.text(box));
      if (c.expected.message) {
        EXPECT_EQ(messages,
                  std::vector<Message>({{c.expected.message, kInformation}}));
        EXPECT_EQ(after, before);
        continue;
      }
      EXPECT_TRUE(messages.empty()) << messages.front().text;
      EXPECT_EQ(after, c.expected.results);
    }
  });
}

TEST(QuadraticPage, SolvesAndReports) {
  const std::vector<PageCase> cases = {
      {{"1", "-3", "2"}, {{"2", "1"}}},
      {{"-1", "3", "-2"}, {{"1", "2"}}},
      {{"1", "2", "1"}, {{"-1", "-1"}}},
      {{"1", "0", "1"}, {{kNoRealRoots, kNoRealRoots}}},
      {{"2.7", "1.9", "-3.2"}, {{"1", "-1.5"}}},
      {{"1", "0", "0"}, {{"0", "0"}}},
      {{"1", "0", "-4"}, {{"2", "-2"}}},
      {{"-1", "0", "4"}, {{"-2", "2"}}},
      {{" 1", "-5", "6 "}, {{"3", "2"}}},
      {{"1", "abc", "-9"}, {{"3", "-3"}}},
      // The discriminant 2.5e9 is not wrapped to a negative number.
      {{"1", "50000", "0"}, {{"0", "-50000"}}},
      {{"1", "-50000", "0"}, {{"50000", "0"}}},
      // The small root keeps its digits (not -7.45e-9).
      {{"1", "100000000", "1"}, {{"-0.00000001", "-100000000"}}},
      {{"1", "-100000000", "1"}, {{"100000000", "0.00000001"}}},
      // Discriminants of 0, 1, 4, -3 and -4 from coefficients near 2^30
      // and 1e8, decided exactly.
      {{"1073741657", "2147483314", "1073741657"}, {{"-1", "-1"}}},
      {{"1073741282", "2147482563", "1073741281"},
       {{"-0.999999999068677", "-1"}}},
      {{"1073740580", "2147481158", "1073740578"},
       {{"-0.999999998137353", "-1"}}},
      {{"1073741719", "2111704925", "1038261253"},
       {{kNoRealRoots, kNoRealRoots}}},
      {{"1073741789", "1866107890", "810799834"},
       {{kNoRealRoots, kNoRealRoots}}},
      {{"99999989", "199999980", "99999991"}, {{"-1", "-1.00000002"}}},
      {{"44999953", "82505504", "37817585"}, {{kNoRealRoots, kNoRealRoots}}},
      // The ends of the range are coefficients.
      {{"-2147483648", "0", "0"}, {{"0", "0"}}},
      {{"2147483647.9", "0", "-2147483647"}, {{"1", "-1"}}},
      // Messages, in the order of the checks.
      {{"", "1", "1"}, {{}, kQuadraticIncomplete}},
      {{"1", "", "1"}, {{}, kQuadraticIncomplete}},
      {{"1", "1", ""}, {{}, kQuadraticIncomplete}},
      {{"abc", "1", "1"}, {{}, kQuadraticZero}},
      {{"0.5", "1", "1"}, {{}, kQuadraticZero}},
      {{"-0.9", "1", "1"}, {{}, kQuadraticZero}},
      {{"1e400", "1", "1"}, {{}, kOutOfRange}},
      {{"1", "2147483648", "1"}, {{}, kOutOfRange}},
      {{"1", "1", "-2147483649"}, {{}, kOutOfRange}},
      {{"4294967297", "1", "1"}, {{}, kOutOfRange}},
      // The range check comes before the zero check.
      {{"0", "1e400", "1"}, {{}, kOutOfRange}},
      {{"", "1e400", "1"}, {{}, kQuadraticIncomplete}},
  };
  check_page(2, {"二次项系数", "一次项系数", "常数项"}, {"x1", "x2"}, "求根",
             {"1", "-7", "12"}, cases);
}

TEST(LinearPage, SolvesAndReports) {
  const std::vector<PageCase> cases = {
      {{"2", "-3"}, {{"1.5"}}},
      {{"-4", "8"}, {{"2"}}},
      {{"2.9", "1.5"}, {{"-0.5"}}},
      {{"3", "0"}, {{"0"}}},
      {{"3", "1"}, {{"-0.333333333333333"}}},
      {{"1", "x"}, {{"0"}}},
      {{"-2147483648", "-2147483648"}, {{"-1"}}},
      {{"1", ""}, {{}, kLinearIncomplete}},
      {{"", "1"}, {{}, kLinearIncomplete}},
      {{"0.5", "1"}, {{}, kLinearZero}},
      {{"abc", "1"}, {{}, kLinearZero}},
      {{"1", "-1e10"}, {{}, kOutOfRange}},
      {{"2147483648", "1"}, {{}, kOutOfRange}},
      {{"0", "1e400"}, {{}, kOutOfRange}},
  };
  check_page(0, {"编辑框1", "编辑框2"}, {"编辑框3"}, "求解", {"7", "7"}, cases);
}

TEST(SystemPage, SolvesClassifiesAndReports) {
  // Inputs in the order a1, b1, c1, a2, b2, c2.
  const std::vector<PageCase> cases = {
      {{"1", "1", "2", "1", "-1", "0"}, {{"1", "1"}}},
      {{"2", "3", "8", "1", "-1", "-1"}, {{"1", "2"}}},
      {{"1", "2", "3", "2", "4", "6"}, {{kInfinite, kInfinite}}},
      {{"1", "1", "2", "1", "1", "3"}, {{kNoSolution, kNoSolution}}},
      {{"1", "1", "3", "0", "1", "1"}, {{"2", "1"}}},
      {{"0", "0", "0", "0", "0", "0"}, {{kInfinite, kInfinite}}},
      {{"1", "1", "1", "0", "0", "5"}, {{kNoSolution, kNoSolution}}},
      {{"1.9", "-1.9", "0", "1", "1", "2"}, {{"1", "1"}}},
      {{"1", "1", "3", "1", "-1", "0"}, {{"1.5", "1.5"}}},
      {{"1", "0", "1", "0", "1", "2"}, {{"1", "2"}}},
      {{"3", "2", "0", "1", "-1", "0"}, {{"0", "0"}}},
      // Degenerate systems, decided exactly.
      {{"1", "0", "1", "1", "0", "2"}, {{kNoSolution, kNoSolution}}},
      {{"1", "0", "1", "2", "0", "2"}, {{kInfinite, kInfinite}}},
      {{"0", "0", "1", "0", "0", "2"}, {{kNoSolution, kNoSolution}}},
      {{"0", "0", "0", "1", "1", "2"}, {{kInfinite, kInfinite}}},
      {{"0", "0", "1", "1", "1", "2"}, {{kNoSolution, kNoSolution}}},
      {{"0", "3", "6", "0", "5", "10"}, {{kInfinite, kInfinite}}},
      // Determinants of 1 and -2 between large coefficients.
      {{"4000", "4001", "1", "3999", "4000", "1"}, {{"-1", "1"}}},
      {{"40000000", "40000001", "1", "39999999", "40000000", "1"},
       {{"-1", "1"}}},
      {{"2147483647", "2147483646", "1", "2147483646", "2147483645", "1"},
       {{"1", "-1"}}},
      {{"10001", "9999", "1", "10000", "9998", "0"}, {{"-4999", "5000"}}},
      {{"10000001", "9999999", "1", "10000000", "9999998", "0"},
       {{"-4999999", "5000000"}}},
      {{"2147483647", "2147483645", "1", "2147483646", "2147483644", "0"},
       {{"-1073741822", "1073741823"}}},
      {{"100000000", "1", "1", "100000001", "1", "2"}, {{"1", "-99999999"}}},
      {{"1", "1", "2", "1", "-1", ""}, {{}, kSystemIncomplete}},
      {{"", "1", "2", "1", "-1", "0"}, {{}, kSystemIncomplete}},
      {{"1", "1", "2", "1", "-1", "1e400"}, {{}, kOutOfRange}},
      {{"-2147483649", "1", "2", "1", "-1", "0"}, {{}, kOutOfRange}},
  };
  check_page(1, {"xya1", "xyb1", "xyc1", "xya2", "xyb2", "xyc2"},
             {"xyx", "xyy"}, "求方程组", {"1", "2", "5", "1", "-1", "-1"},
             cases);
}

// Random coefficients of mixed sizes, from one digit to the full 32 bits.
std::int32_t draw_coefficient(std::mt19937_64 &random) {
  static constexpr int kBits[] = {2, 5, 14, 27, 31, 32};
  const int bits = kBits[random() % std::size(kBits)];
  const auto limit = std::int64_t{1} << (bits - 1);
  const auto value = static_cast<std::int64_t>(
                         random() % static_cast<std::uint64_t>(2 * limit)) -
                     limit;
  return static_cast<std::int32_t>(value);
}

// A printed number within its 15 digits of q: 2^-46 is 1.4e-14 relative.
bool prints_near(const std::string &text, const ExactRational &q) {
  const double shown = std::strtod(text.c_str(), nullptr);
  const ExactRational error = abs(test::exact_value(shown) - q);
  return error * (ExactInteger(1) << 46) <= abs(q);
}

TEST(EquationPages, AgreeWithExactArithmeticForRandomCoefficients) {
  std::mt19937_64 random(21);
  run_program([&](Player &p) {
    p.page(1);
    for (int round = 0; round < 300; ++round) {
      std::int32_t k[6];
      for (std::int32_t &value : k)
        value = draw_coefficient(random);
      if (round % 4 == 0) {
        // Proportional coefficient rows.
        k[3] = k[0] % 1000 * 3;
        k[4] = k[1] % 1000 * 3;
        k[0] %= 1000;
        k[1] %= 1000;
      }
      SCOPED_TRACE(testing::Message()
                   << k[0] << " " << k[1] << " " << k[2] << " / " << k[3] << " "
                   << k[4] << " " << k[5]);
      const char *boxes[] = {"xya1", "xyb1", "xyc1", "xya2", "xyb2", "xyc2"};
      for (int i = 0; i < 6; ++i)
        p.type(boxes[i], std::to_string(k[i]));
      p.click("求方程组");
      const ExactInteger d =
          ExactInteger(k[0]) * k[4] - ExactInteger(k[3]) * k[1];
      const ExactInteger dx =
          ExactInteger(k[2]) * k[4] - ExactInteger(k[1]) * k[5];
      const ExactInteger dy =
          ExactInteger(k[0]) * k[5] - ExactInteger(k[3]) * k[2];
      if (d == 0) {
        const bool consistent = dx == 0 && dy == 0 &&
                                (k[0] != 0 || k[1] != 0 || k[3] != 0 ||
                                 k[4] != 0 || (k[2] == 0 && k[5] == 0));
        const char *verdict = consistent ? kInfinite : kNoSolution;
        EXPECT_EQ(p.text("xyx"), verdict);
        EXPECT_EQ(p.text("xyy"), verdict);
        continue;
      }
      EXPECT_TRUE(prints_near(p.text("xyx"), test::ratio(dx, d)))
          << p.text("xyx");
      EXPECT_TRUE(prints_near(p.text("xyy"), test::ratio(dy, d)))
          << p.text("xyy");
    }

    p.page(2);
    for (int round = 0; round < 300; ++round) {
      const std::int32_t a = draw_coefficient(random);
      const std::int32_t b = draw_coefficient(random);
      const std::int32_t c = draw_coefficient(random);
      if (a == 0)
        continue;
      SCOPED_TRACE(testing::Message() << a << " " << b << " " << c);
      p.type("二次项系数", std::to_string(a));
      p.type("一次项系数", std::to_string(b));
      p.type("常数项", std::to_string(c));
      p.click("求根");
      const ExactInteger d = ExactInteger(b) * b - 4 * ExactInteger(a) * c;
      if (d < 0) {
        EXPECT_EQ(p.text("x1"), kNoRealRoots);
        EXPECT_EQ(p.text("x2"), kNoRealRoots);
        continue;
      }
      const double x1 = std::strtod(p.text("x1").c_str(), nullptr);
      const double x2 = std::strtod(p.text("x2").c_str(), nullptr);
      EXPECT_TRUE(test::near_root(x1, a, b, d, +1, 46)) << p.text("x1");
      EXPECT_TRUE(test::near_root(x2, a, b, d, -1, 46)) << p.text("x2");
    }
  });
}

// The edit boxes of each page, in page order.
const std::array<std::vector<const char *>, 5> kPageBoxes = {{
    {"编辑框1", "编辑框2", "编辑框3"},
    {"xya1", "xya2", "xyb1", "xyb2", "xyc1", "xyc2", "xyx", "xyy"},
    {"二次项系数", "一次项系数", "常数项", "x1", "x2"},
    {"分子1", "分母1", "分子2", "分母2", "分子3", "分母3", "编辑框4", "编辑框5",
     "编辑框6", "编辑框7", "编辑框8", "编辑框9", "编辑框10", "编辑框11",
     "编辑框12"},
    {"编辑框13", "编辑框15", "编辑框16", "编辑框17", "编辑框18", "编辑框14",
     "编辑框19", "编辑框20", "编辑框21", "编辑框22", "编辑框23", "编辑框24",
     "编辑框25", "编辑框26", "编辑框27", "编辑框28"},
}};

// Fills every box of every page: entries by typing, results by the pages'
// own buttons (result boxes reject typing).
void fill_all_pages(Player &p) {
  p.page(0);
  p.type("编辑框1", "2");
  p.type("编辑框2", "-3");
  p.click("求解");
  p.page(1);
  for (const char *box : {"xya1", "xyb1", "xyc1", "xya2", "xyb2", "xyc2"})
    p.type(box, "1");
  p.click("求方程组");
  p.page(2);
  p.type("二次项系数", "1");
  p.type("一次项系数", "-3");
  p.type("常数项", "2");
  p.click("求根");
  p.page(3);
  p.click("随机1");
  p.click("计算");
  p.click("计算2");
  p.click("约分");
  p.click("通分");
  p.page(4);
  p.click("随机2");
  for (const char *button :
       {"数值到分数", "数值到带分数", "分数到数值", "带分数到数值",
        "求分数平方", "约分到整数", "分数到带分数", "带分数到分数"})
    p.click(button);
}

std::map<std::string, std::string> all_texts(Player &p) {
  std::map<std::string, std::string> texts;
  for (const auto &boxes : kPageBoxes)
    for (const char *box : boxes)
      texts[box] = p.text(box);
  return texts;
}

TEST(ClearPage, EmptiesThePageOnShowAndNoOther) {
  for (std::int32_t page = 0; page < 5; ++page) {
    SCOPED_TRACE(testing::Message() << "page " << page);
    run_program([&](Player &p) {
      fill_all_pages(p);
      p.page(3);
      p.choose("组合框1", 3);
      p.choose("组合框2", 2);
      std::map<std::string, std::string> expected = all_texts(p);
      for (const auto &[box, text] : expected)
        EXPECT_FALSE(text.empty()) << box << " was not filled";
      for (const char *box : kPageBoxes[page])
        expected[box].clear();

      p.page(page);
      p.click("清空");
      EXPECT_EQ(all_texts(p), expected);
      EXPECT_EQ(p.selection("组合框1"), 3);
      EXPECT_EQ(p.selection("组合框2"), 2);
      EXPECT_TRUE(p.take_messages().empty());
    });
  }
}

TEST(ClearPage, LeavesTheEquationPagesIncomplete) {
  const struct {
    std::int32_t page;
    const char *button;
    const char *message;
  } pages[] = {{0, "求解", kLinearIncomplete},
               {1, "求方程组", kSystemIncomplete},
               {2, "求根", kQuadraticIncomplete}};
  run_program([&](Player &p) {
    fill_all_pages(p);
    for (const auto &page : pages) {
      p.page(page.page);
      p.click("清空");
      p.take_messages();
      p.click(page.button);
      EXPECT_EQ(p.take_messages(),
                std::vector<Message>({{page.message, kInformation}}));
    }
  });
}

} // namespace
} // namespace qx::test
