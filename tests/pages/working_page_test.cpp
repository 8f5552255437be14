// The working of the fraction pages in the real program: every button
// shows its steps in the hypertext view, ending in the result its box
// shows, and the guide comes back by the return link and by the random
// fill of page 分数运算1.
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qx::test {
namespace {

constexpr const char *kView = "超文本浏览框1";
constexpr std::int32_t kCalculatorPage = 3;
constexpr std::int32_t kConversionPage = 4;
// Item index of "×" in the operator lists.
constexpr std::int32_t kMultiply = 2;

// The last line of the working before its return link.
std::string result_line(const std::string &working) {
  const std::string link = "\n返回使用指南";
  if (working.size() < link.size() ||
      working.compare(working.size() - link.size(), link.size(), link) != 0)
    return "<no return link>";
  const std::string body = working.substr(0, working.size() - link.size());
  return body.substr(body.rfind('\n') + 1);
}

struct Click {
  const char *name;
  std::int32_t page;
  std::vector<std::pair<const char *, const char *>> typed;
  const char *button;
  const char *box;
  // The box's text and the working's last line.
  const char *shown;
  const char *last_line;
};

TEST(FractionWorkingView, EveryButtonShowsItsWorkingEndingInTheBox) {
  const Click clicks[] = {
      {"stacked calculator",
       kCalculatorPage,
       {{"分子1", "4"}, {"分母1", "9"}, {"分子2", "3"}, {"分母2", "8"}},
       "计算",
       "分子3",
       "1",
       "= 1/6"},
      {"text calculator",
       kCalculatorPage,
       {{"编辑框4", "1&1/2"}, {"编辑框5", "2/3"}},
       "计算2",
       "编辑框12",
       "1/1",
       "= 1/1"},
      {"reduction",
       kCalculatorPage,
       {{"编辑框6", "12/18"}},
       "约分",
       "编辑框7",
       "2/3",
       "= 2/3"},
      {"mixed reduction",
       kCalculatorPage,
       {{"编辑框6", "2&6/8"}},
       "约分",
       "编辑框7",
       "2&3/4",
       "= 2&3/4"},
      {"common denominator",
       kCalculatorPage,
       {{"编辑框8", "1/6"}, {"编辑框9", "3/4"}},
       "通分",
       "编辑框11",
       "9/12",
       "3/4 = (3 × 3)/(4 × 3) = 9/12"},
      {"decimal to fraction",
       kConversionPage,
       {{"编辑框13", "0.75"}},
       "数值到分数",
       "编辑框14",
       "3/4",
       "= 3/4"},
      {"decimal to mixed number",
       kConversionPage,
       {{"编辑框15", "2.25"}},
       "数值到带分数",
       "编辑框16",
       "2&1/4",
       "检验：(2 × 4 + 1)/4 = 9/4。"},
      {"fraction to decimal",
       kConversionPage,
       {{"编辑框17", "1/8"}},
       "分数到数值",
       "编辑框19",
       "0.125",
       "= 0.125"},
      {"mixed number to decimal",
       kConversionPage,
       {{"编辑框18", "2&1/4"}},
       "带分数到数值",
       "编辑框20",
       "2.25",
       "= 2.25"},
      {"square",
       kConversionPage,
       {{"编辑框21", "-2/3"}},
       "求分数平方",
       "编辑框22",
       "4/9",
       "= 4/9"},
      {"nearest whole number",
       kConversionPage,
       {{"编辑框23", "2&2/3"}},
       "约分到整数",
       "编辑框24",
       "3",
       "8/3 ≈ 3"},
      {"fraction to mixed number",
       kConversionPage,
       {{"编辑框25", "7/3"}},
       "分数到带分数",
       "编辑框27",
       "2&1/3",
       "检验：(2 × 3 + 1)/3 = 7/3。"},
      {"mixed number to fraction",
       kConversionPage,
       {{"编辑框26", "2&1/3"}},
       "带分数到分数",
       "编辑框28",
       "7/3",
       "= 7/3"},
      {"unusable input",
       kConversionPage,
       {{"编辑框26", "7/3"}},
       "带分数到分数",
       "编辑框28",
       "0/0",
       "输入不是有效的带分数（应写成“整数&分子/分母”，分母不为 0，数不超出 "
       "±2147483647），结果显示为 0/0。"},
  };
  run_program([&](Player &p) {
    for (const Click &c : clicks) {
      SCOPED_TRACE(c.name);
      p.page(c.page);
      for (const auto &[box, text] : c.typed)
        p.type(box, text);
      if (c.page == kCalculatorPage) {
        p.choose("组合框1", kMultiply);
        p.choose("组合框2", kMultiply);
      }
      p.click(c.button);
      EXPECT_EQ(p.text(c.box), c.shown);
      const std::string working = p.text(kView);
      EXPECT_EQ(result_line(working), c.last_line) << working;
      EXPECT_TRUE(p.take_messages().empty());
    }
  });
}

TEST(FractionWorkingView, TheCalculatorShowsTheTextbookSteps) {
  run_program([](Player &p) {
    p.page(kCalculatorPage);
    p.type("编辑框4", "1/6");
    p.type("编辑框5", "3/4");
    p.choose("组合框2", 0);
    p.click("计算2");
    EXPECT_EQ(p.text("编辑框12"), "11/12");
    EXPECT_EQ(p.text(kView),
              "分数加法\n"
              "1/6 + 3/4\n"
              "通分：6 和 4 的最小公倍数是 12，以 12 为公分母：\n"
              "= 2/12 + 9/12\n"
              "分母不变，分子相加：\n"
              "= (2 + 9)/12\n"
              "= 11/12\n"
              "返回使用指南");
    EXPECT_TRUE(p.session().follow_return_link(kView));
    EXPECT_EQ(p.text(kView), "");
  });
}

TEST(FractionWorkingView, TheConversionLinkShowsTheImproperFraction) {
  run_program([](Player &p) {
    p.page(kCalculatorPage);
    p.type("编辑框6", "2&6/8");
    p.click("约分");
    p.click("转换到假分数");
    EXPECT_EQ(p.text("编辑框7"), "11/4");
    EXPECT_EQ(result_line(p.text(kView)), "= 11/4");
  });
}

TEST(FractionWorkingView, RandomOperandsBringTheGuideBack) {
  // The random fill replaces every text the working was built from.
  run_program([](Player &p) {
    p.page(kCalculatorPage);
    p.type("编辑框6", "6/8");
    p.click("约分");
    ASSERT_NE(p.text(kView), "");
    p.click("随机1");
    EXPECT_EQ(p.text(kView), "");
    EXPECT_EQ(p.text("编辑框7"), "");
  });
}

} // namespace
} // namespace qx::test
