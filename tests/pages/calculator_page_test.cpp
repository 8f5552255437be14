// Page 分数运算1 in the real program: the two calculators, reduction with
// its link-label switch, and the common denominator.
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qx::test {
namespace {

// Item indexes of the operator lists: "＋", "－", "×", "÷".
constexpr std::int32_t kAdd = 0;
constexpr std::int32_t kSubtract = 1;
constexpr std::int32_t kMultiply = 2;
constexpr std::int32_t kDivide = 3;

constexpr const char *kRandomLink = "随机1";
constexpr const char *kConvertLink = "转换到假分数";

void expect_random_link_shown(Player &p) {
  EXPECT_TRUE(p.visible(kRandomLink));
  EXPECT_FALSE(p.disabled(kRandomLink));
  EXPECT_FALSE(p.visible(kConvertLink));
  EXPECT_TRUE(p.disabled(kConvertLink));
}

void expect_convert_link_shown(Player &p) {
  EXPECT_FALSE(p.visible(kRandomLink));
  EXPECT_TRUE(p.visible(kConvertLink));
  EXPECT_FALSE(p.disabled(kConvertLink));
}

TEST(StackedCalculator, TakesOperandsAsTyped) {
  const struct {
    const char *n1, *d1;
    std::int32_t op;
    const char *n2, *d2;
    const char *numerator, *denominator;
  } cases[] = {
      {"1", "2", kAdd, "1", "3", "5", "6"},
      {"1", "2", kSubtract, "1", "3", "1", "6"},
      {"2", "4", kMultiply, "2", "4", "1", "4"},
      {"1", "2", kDivide, "1", "4", "2", "1"},
      {"6", "-8", kAdd, "0", "1", "-3", "4"},
      // Not reduced first: 3/4 ÷ 0/5 is {15, 0}.
      {"3", "4", kDivide, "0", "5", "15", "0"},
      {"2147483647", "1", kSubtract, "0", "1", "2147483647", "1"},
      // An invalid result replaces the previous answer with 0 over 0.
      {"1", "0", kAdd, "1", "2", "0", "0"},
      {"", "", kAdd, "", "", "0", "0"},
      {"99999999999", "1", kAdd, "1", "1", "0", "0"},
      {"1", "2", kAdd, "-2147483648", "1", "0", "0"},
      {"2147483647", "1", kAdd, "1", "1", "0", "0"},
      {"1", "2", kDivide, "0", "1", "1", "0"},
  };
  run_program([&](Player &p) {
    p.page(3);
    for (const auto &c : cases) {
      SCOPED_TRACE(testing::Message() << c.n1 << "/" << c.d1 << " op " << c.op
                                      << " " << c.n2 << "/" << c.d2);
      for (auto [box, text] : {std::pair{"分子1", "1"},
                               {"分母1", "2"},
                               {"分子2", "1"},
                               {"分母2", "3"}})
        p.type(box, text);
      p.choose("组合框1", kAdd);
      p.click("计算");
      ASSERT_EQ(p.text("分子3"), "5");

      p.type("分子1", c.n1);
      p.type("分母1", c.d1);
      p.type("分子2", c.n2);
      p.type("分母2", c.d2);
      p.choose("组合框1", c.op);
      p.click("计算");
      EXPECT_EQ(p.text("分子3"), c.numerator);
      EXPECT_EQ(p.text("分母3"), c.denominator);
    }
    EXPECT_TRUE(p.take_messages().empty());
  });
}

TEST(TextCalculator, ReadsFractionsAndMixedNumbers) {
  const struct {
    const char *a;
    std::int32_t op;
    const char *b;
    const char *result;
  } cases[] = {
      {"1&1/2", kAdd, "1/2", "2/1"},
      {"1/2", kMultiply, "2/3", "1/3"},
      {"1/3", kSubtract, "1/2", "-1/6"},
      {"3/4", kDivide, "0/5", "3/0"},
      {"a/b", kAdd, "1/2", "0/0"},
      {"2", kMultiply, "3", "6/1"},
      {"-2&1/3", kAdd, "1/3", "-2/1"},
      {"2147483647/2", kAdd, "1/2", "1073741824/1"},
      {"2147483647", kAdd, "1", "0/0"},
      // The page's own way of writing minus one third.
      {"2", kAdd, "-0&1/3", "5/3"},
      {"-0&1/3", kMultiply, "-0&1/3", "1/9"},
      // Decimals are numbers, not their whole parts.
      {"0.5", kAdd, "1/2", "1/1"},
      {"2.7", kSubtract, "0.2", "5/2"},
      {"1e5", kDivide, "1e3", "100/1"},
      {"-0.25", kMultiply, "4", "-1/1"},
      {"1e10", kAdd, "1", "0/0"},
  };
  run_program([&](Player &p) {
    p.page(3);
    for (const auto &c : cases) {
      SCOPED_TRACE(testing::Message() << c.a << " op " << c.op << " " << c.b);
      p.type("编辑框4", c.a);
      p.type("编辑框5", c.b);
      p.choose("组合框2", c.op);
      p.click("计算2");
      EXPECT_EQ(p.text("编辑框12"), c.result);
    }
  });
}

TEST(Reduction, SwitchesTheLinkLabels) {
  run_program([](Player &p) {
    p.page(3);
    expect_random_link_shown(p);
    EXPECT_FALSE(p.try_click(kConvertLink));

    p.type("编辑框6", "6/8");
    p.click("约分");
    EXPECT_EQ(p.text("编辑框7"), "3/4");
    expect_random_link_shown(p);

    p.type("编辑框6", "2&6/8");
    p.click("约分");
    EXPECT_EQ(p.text("编辑框7"), "2&3/4");
    expect_convert_link_shown(p);
    EXPECT_FALSE(p.try_click(kRandomLink));

    // The switch survives a change of page.
    p.page(4);
    p.page(3);
    expect_convert_link_shown(p);

    // A plain fraction leaves the switch as it is.
    p.type("编辑框6", "6/4");
    p.click("约分");
    EXPECT_EQ(p.text("编辑框7"), "3/2");
    expect_convert_link_shown(p);

    // The link converts whatever the box holds now.
    p.type("编辑框6", "3&6/4");
    p.click(kConvertLink);
    EXPECT_EQ(p.text("编辑框7"), "9/2");
    expect_random_link_shown(p);

    p.type("编辑框6", "2&6/8");
    p.click("约分");
    p.type("编辑框6", "7/3");
    p.click(kConvertLink);
    EXPECT_EQ(p.text("编辑框7"), "0/0");
    expect_random_link_shown(p);
  });
}

TEST(Reduction, EmptiesTheResultWithoutASlash) {
  const struct {
    const char *entry;
    const char *result;
  } cases[] = {
      {"6/8", "3/4"},
      {"-6/-8", "3/4"},
      {"0/5", "0/1"},
      {"3/0", "3/0"},
      {"2&6/8", "2&3/4"},
      {"2&4/3", "3&1/3"},
      {"-0&2/6", "-0&1/3"},
      {"1/2/3", "1/1"},
      {"2&1/0", "0&0/0"},
      // Nothing to reduce: no earlier answer stays beside the new text.
      {"5", ""},
      {"2&3", ""},
      {"", ""},
      {"&&", ""},
      {"0.5", ""},
  };
  run_program([&](Player &p) {
    p.page(3);
    for (const auto &c : cases) {
      SCOPED_TRACE(c.entry);
      p.type("编辑框6", "1/2");
      p.click("约分");
      ASSERT_EQ(p.text("编辑框7"), "1/2");
      p.type("编辑框6", c.entry);
      p.click("约分");
      EXPECT_EQ(p.text("编辑框7"), c.result);
    }
  });
}

TEST(Reduction, LeavesTheLinkLabelsWhenThereIsNothingToReduce) {
  run_program([](Player &p) {
    p.page(3);
    p.type("编辑框6", "5");
    p.click("约分");
    expect_random_link_shown(p);
    p.type("编辑框6", "2&6/8");
    p.click("约分");
    expect_convert_link_shown(p);
    p.type("编辑框6", "2&3");
    p.click("约分");
    EXPECT_EQ(p.text("编辑框7"), "");
    expect_convert_link_shown(p);
  });
}

// Answers of page 分数运算1 typed back in read as the same value.
TEST(TextCalculator, ReadsItsOwnAnswersBack) {
  const char *entries[] = {"-1/3", "-3/4", "7/3",
                           "-7/3", "5/1",  "2147483647/2"};
  run_program([&](Player &p) {
    p.page(3);
    for (const char *entry : entries) {
      SCOPED_TRACE(entry);
      p.type("编辑框6", entry);
      p.click("约分");
      const std::string fraction = p.text("编辑框7");
      p.page(4);
      p.type("编辑框25", fraction);
      p.click("分数到带分数");
      const std::string mixed = p.text("编辑框27");
      p.page(3);
      for (const std::string &operand : {fraction, mixed}) {
        SCOPED_TRACE(operand);
        p.type("编辑框4", operand);
        p.type("编辑框5", "1/1");
        p.choose("组合框2", kMultiply);
        p.click("计算2");
        EXPECT_EQ(p.text("编辑框12"), fraction);
        p.type("编辑框6", operand);
        p.click("约分");
        EXPECT_EQ(p.text("编辑框7"), operand == mixed ? mixed : fraction);
        p.type("编辑框8", operand);
        p.type("编辑框9", "1/1");
        p.click("通分");
        EXPECT_EQ(p.text("编辑框10"), fraction);
      }
    }
  });
}

TEST(CommonDenominator, KeepsBothOverTheCommonDenominator) {
  const struct {
    const char *a, *b, *first, *second;
  } cases[] = {
      {"1/6", "3/4", "2/12", "9/12"}, {"1&1/2", "1/3", "9/6", "2/6"},
      {"2/4", "1/3", "3/6", "2/6"},   {"-1/2", "1/3", "-3/6", "2/6"},
      {"3", "1/4", "12/4", "1/4"},    {"1/0", "6/-8", "1/0", "-3/4"},
      {"0.5", "1/3", "3/6", "2/6"},   {"-0&1/2", "0.25", "-2/4", "1/4"},
  };
  run_program([&](Player &p) {
    p.page(3);
    for (const auto &c : cases) {
      SCOPED_TRACE(testing::Message() << c.a << " and " << c.b);
      p.type("编辑框8", c.a);
      p.type("编辑框9", c.b);
      p.click("通分");
      EXPECT_EQ(p.text("编辑框10"), c.first);
      EXPECT_EQ(p.text("编辑框11"), c.second);
    }
  });
}

} // namespace
} // namespace qx::test
