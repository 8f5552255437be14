// Page 分数运算2 in the real program: the eight conversion buttons.
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <string>

namespace qx::test {
namespace {

struct Conversion {
  const char *entry_box;
  const char *button;
  const char *result_box;
  const char *entry;
  const char *result;
};

TEST(ConversionPage, ConvertsEachBoxAsItsButtonSays) {
  const Conversion cases[] = {
      {"编辑框13", "数值到分数", "编辑框14", "0.75", "3/4"},
      {"编辑框13", "数值到分数", "编辑框14", "2", "2/1"},
      {"编辑框13", "数值到分数", "编辑框14", "-1.25", "-5/4"},
      {"编辑框13", "数值到分数", "编辑框14", "0.1", "1/10"},
      {"编辑框13", "数值到分数", "编辑框14", "", "0/1"},
      {"编辑框15", "数值到带分数", "编辑框16", "2.25", "2&1/4"},
      {"编辑框15", "数值到带分数", "编辑框16", "-2.5", "-2&1/2"},
      {"编辑框15", "数值到带分数", "编辑框16", "3", "3&0/1"},
      {"编辑框15", "数值到带分数", "编辑框16", "0.75", "0&3/4"},
      {"编辑框17", "分数到数值", "编辑框19", "3/4", "0.75"},
      {"编辑框17", "分数到数值", "编辑框19", "-7/2", "-3.5"},
      // Unusable input shows no number.
      {"编辑框17", "分数到数值", "编辑框19", "3/0", "0/0"},
      {"编辑框17", "分数到数值", "编辑框19", "99999999999/2", "0/0"},
      {"编辑框17", "分数到数值", "编辑框19", "1e10", "0/0"},
      // Mixed numbers and decimals read as everywhere else.
      {"编辑框17", "分数到数值", "编辑框19", "1&1/2", "1.5"},
      {"编辑框17", "分数到数值", "编辑框19", "-0&1/4", "-0.25"},
      {"编辑框17", "分数到数值", "编辑框19", "0.5", "0.5"},
      {"编辑框17", "分数到数值", "编辑框19", "abc", "0"},
      {"编辑框18", "带分数到数值", "编辑框20", "2&1/4", "2.25"},
      {"编辑框18", "带分数到数值", "编辑框20", "2&-1/4", "-2.25"},
      {"编辑框18", "带分数到数值", "编辑框20", "-0&1/4", "-0.25"},
      {"编辑框18", "带分数到数值", "编辑框20", "7/3", "0/0"},
      {"编辑框18", "带分数到数值", "编辑框20", "2&1/0", "0/0"},
      {"编辑框18", "带分数到数值", "编辑框20", "", "0/0"},
      {"编辑框18", "带分数到数值", "编辑框20", "0.5", "0/0"},
      {"编辑框21", "求分数平方", "编辑框22", "2/3", "4/9"},
      {"编辑框21", "求分数平方", "编辑框22", "-2/3", "4/9"},
      {"编辑框21", "求分数平方", "编辑框22", "1&1/2", "9/4"},
      {"编辑框21", "求分数平方", "编辑框22", "", "0/1"},
      {"编辑框21", "求分数平方", "编辑框22", "3/0", "3/0"},
      {"编辑框21", "求分数平方", "编辑框22", "65536", "0/0"},
      {"编辑框21", "求分数平方", "编辑框22", "0.5", "1/4"},
      {"编辑框21", "求分数平方", "编辑框22", "-0&1/2", "1/4"},
      {"编辑框21", "求分数平方", "编辑框22", "1.2", "36/25"},
      {"编辑框23", "约分到整数", "编辑框24", "7/3", "2"},
      {"编辑框23", "约分到整数", "编辑框24", "2&2/3", "3"},
      {"编辑框23", "约分到整数", "编辑框24", "3/0", "0/0"},
      {"编辑框23", "约分到整数", "编辑框24", "2&1/0", "0/0"},
      {"编辑框23", "约分到整数", "编辑框24", "2.7", "3"},
      {"编辑框23", "约分到整数", "编辑框24", "-0&1/2", "-1"},
      {"编辑框23", "约分到整数", "编辑框24", "abc", "0"},
      {"编辑框23", "约分到整数", "编辑框24", "5/2", "3"},
      {"编辑框23", "约分到整数", "编辑框24", "-5/2", "-3"},
      {"编辑框23", "约分到整数", "编辑框24", "12/4", "3"},
      {"编辑框25", "分数到带分数", "编辑框27", "7/3", "2&1/3"},
      {"编辑框25", "分数到带分数", "编辑框27", "3/4", "0&3/4"},
      {"编辑框25", "分数到带分数", "编辑框27", "-7/3", "-2&1/3"},
      {"编辑框25", "分数到带分数", "编辑框27", "6/3", "2&0/1"},
      {"编辑框25", "分数到带分数", "编辑框27", "-3/4", "-0&3/4"},
      {"编辑框25", "分数到带分数", "编辑框27", "2&1/3", "2&1/3"},
      {"编辑框25", "分数到带分数", "编辑框27", "-0&1/3", "-0&1/3"},
      {"编辑框25", "分数到带分数", "编辑框27", "1.5", "1&1/2"},
      {"编辑框25", "分数到带分数", "编辑框27", "-0.75", "-0&3/4"},
      {"编辑框25", "分数到带分数", "编辑框27", "3/0", "0&0/0"},
      {"编辑框26", "带分数到分数", "编辑框28", "2&1/3", "7/3"},
      {"编辑框26", "带分数到分数", "编辑框28", "7/3", "0/0"},
      {"编辑框26", "带分数到分数", "编辑框28", "2&4/3", "10/3"},
      {"编辑框26", "带分数到分数", "编辑框28", "", "0/0"},
      {"编辑框26", "带分数到分数", "编辑框28", "-0&1/3", "-1/3"},
      {"编辑框26", "带分数到分数", "编辑框28", "-0&-1/3", "1/3"},
      {"编辑框26", "带分数到分数", "编辑框28", "1.5", "0/0"},
  };
  run_program([&](Player &p) {
    p.page(4);
    for (const Conversion &c : cases) {
      SCOPED_TRACE(testing::Message() << c.button << " on '" << c.entry << "'");
      p.type(c.entry_box, c.entry);
      p.click(c.button);
      EXPECT_EQ(p.text(c.result_box), c.result);
    }
    EXPECT_TRUE(p.take_messages().empty());
  });
}

// Every answer of the page, typed into a box of its own kind, reads as the
// value it came from.
TEST(ConversionPage, AnswersReadBackAsThemselves) {
  const struct {
    const char *fraction;
    const char *mixed;
    const char *decimal; // empty where the decimal does not terminate
  } cases[] = {
      {"-1/3", "-0&1/3", ""},
      {"-3/4", "-0&3/4", "-0.75"},
      {"3/4", "0&3/4", "0.75"},
      {"7/3", "2&1/3", ""},
      {"-7/3", "-2&1/3", ""},
      {"-5/1", "-5&0/1", "-5"},
      {"0/1", "0&0/1", "0"},
      {"-1/8", "-0&1/8", "-0.125"},
      {"2147483647/2", "1073741823&1/2", "1073741823.5"},
      {"-1/2147483647", "-0&1/2147483647", ""},
  };
  run_program([&](Player &p) {
    p.page(4);
    const auto convert = [&](const char *entry_box, const char *button,
                             const char *result_box, const std::string &entry) {
      p.type(entry_box, entry);
      p.click(button);
      return p.text(result_box);
    };
    for (const auto &c : cases) {
      SCOPED_TRACE(c.fraction);
      const std::string mixed =
          convert("编辑框25", "分数到带分数", "编辑框27", c.fraction);
      EXPECT_EQ(mixed, c.mixed);
      EXPECT_EQ(convert("编辑框26", "带分数到分数", "编辑框28", mixed),
                c.fraction);
      EXPECT_EQ(convert("编辑框25", "分数到带分数", "编辑框27", mixed), mixed);
      const std::string decimal =
          convert("编辑框17", "分数到数值", "编辑框19", c.fraction);
      EXPECT_EQ(convert("编辑框18", "带分数到数值", "编辑框20", mixed),
                decimal);
      EXPECT_EQ(convert("编辑框17", "分数到数值", "编辑框19", mixed), decimal);
      EXPECT_EQ(convert("编辑框21", "求分数平方", "编辑框22", mixed),
                convert("编辑框21", "求分数平方", "编辑框22", c.fraction));
      EXPECT_EQ(convert("编辑框23", "约分到整数", "编辑框24", mixed),
                convert("编辑框23", "约分到整数", "编辑框24", c.fraction));
      if (*c.decimal == '\0')
        continue;
      EXPECT_EQ(decimal, c.decimal);
      EXPECT_EQ(convert("编辑框13", "数值到分数", "编辑框14", decimal),
                c.fraction);
      EXPECT_EQ(convert("编辑框15", "数值到带分数", "编辑框16", decimal),
                c.mixed);
      EXPECT_EQ(convert("编辑框17", "分数到数值", "编辑框19", decimal),
                decimal);
    }
  });
}

TEST(ConversionPage, DecimalBoxesRefuseOtherText) {
  run_program([](Player &p) {
    p.page(4);
    for (const char *box : {"编辑框13", "编辑框15"}) {
      EXPECT_FALSE(p.session().type_text(box, "3/4")) << box;
      EXPECT_FALSE(p.session().type_text(box, "abc")) << box;
    }
  });
}

} // namespace
} // namespace qx::test
