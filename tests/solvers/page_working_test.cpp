// The equation pages' workings in the real program: what the hypertext view
// shows after a click, its agreement with the result boxes over random
// typed coefficients, and the clicks that end in a message box.
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qx::test {
namespace {

constexpr const char *kView = "超文本浏览框1";

struct Page {
  std::int32_t index;
  std::vector<const char *> inputs;
  const char *button;
  std::vector<const char *> results;
};

const Page kLinear = {0, {"编辑框1", "编辑框2"}, "求解", {"编辑框3"}};
const Page kSystem = {1,
                      {"xya1", "xyb1", "xyc1", "xya2", "xyb2", "xyc2"},
                      "求方程组",
                      {"xyx", "xyy"}};
const Page kQuadratic = {
    2, {"二次项系数", "一次项系数", "常数项"}, "求根", {"x1", "x2"}};

void solve(Player &p, const Page &page, const std::vector<std::string> &typed) {
  p.page(page.index);
  for (std::size_t i = 0; i < page.inputs.size(); ++i)
    p.type(page.inputs[i], typed[i]);
  p.click(page.button);
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

TEST(PageWorking, EachPageShowsItsWorkingAfterAClick) {
  const struct {
    const Page *page;
    std::vector<std::string> typed;
    std::vector<std::string> lines; // in this order, among the view's lines
  } cases[] = {
      {&kLinear,
       {"2.9", "1.5"},
       {"2x + 1 = 0", "系数取整数：2.9 按 2 计算，1.5 按 1 计算。",
        "x = −1/2 = -0.5", "返回使用指南"}},
      {&kLinear, {"2", "-3"}, {"2x − 3 = 0", "2x = 3", "x = 3/2 = 1.5"}},
      {&kQuadratic,
       {"2.7", "1.9", "-3.2"},
       {"2x² + x − 3 = 0",
        "系数取整数：2.7 按 2 计算，1.9 按 1 计算，-3.2 按 -3 计算。",
        "Δ = b² − 4ac = 1² − 4 × 2 × (−3) = 25", "x₁ = (−1 + 5)/4 = 1",
        "x₂ = (−1 − 5)/4 = −3/2 = -1.5", "2(x − 1)(x + 3/2) = 0"}},
      {&kQuadratic,
       {"1", "-2", "-1"},
       {"√8 = 2√2", "x₁ = 1 + √2 ≈ 2.41421356237309",
        "x₂ = 1 − √2 ≈ -0.414213562373095"}},
      {&kQuadratic,
       {"1", "0", "1"},
       {"因为 Δ = −4 < 0，所以方程没有实数根。",
        "即 x₁ = i，x₂ = −i，这两个根不是实数。", "返回使用指南"}},
      {&kSystem,
       {"2", "3", "8", "1", "-1", "-1"},
       {"x = D_x/D = −5/−5 = 1", "y = D_y/D = −10/−5 = 2"}},
      {&kSystem,
       {"1", "2", "3", "2", "4", "6"},
       {"D = a₁b₂ − a₂b₁ = 1 × 4 − 2 × 2 = 0",
        "第二个方程的右边是 6，第一个方程右边的 2 倍是 "
        "6，右边也成同一比例，两个方程是同一个方程，所以方程组有无数解。"}},
      {&kSystem,
       {"1", "1", "2", "1", "1", "3"},
       {"第二个方程的右边是 3，第一个方程右边的 1 倍是 "
        "2，右边不成同一比例，两个方程互相矛盾，所以方程组无解。"}},
  };
  run_program([&](Player &p) {
    for (const auto &c : cases) {
      SCOPED_TRACE(testing::PrintToString(c.typed));
      solve(p, *c.page, c.typed);
      EXPECT_TRUE(p.take_messages().empty());
      const std::vector<std::string> shown = lines_of(p.text(kView));
      auto at = shown.begin();
      for (const std::string &line : c.lines) {
        at = std::find(at, shown.end(), line);
        EXPECT_NE(at, shown.end())
            << "missing or out of order: " << line << "\nin:\n"
            << p.text(kView);
      }
      EXPECT_EQ(shown.back(), "返回使用指南");
    }
  });
}

// The line of the view that starts with `name = ` and carries a number
// ends with the box's text exactly.
void expect_box_in_working(const std::string &working, const std::string &name,
                           const std::string &box) {
  for (const std::string &line : lines_of(working)) {
    if (!line.starts_with(name + " = ") ||
        line.find("\u00b1") != std::string::npos)
      continue;
    EXPECT_TRUE(line.ends_with(" = " + box) ||
                line.ends_with(" \u2248 " + box) || line == name + " = " + box)
        << line << " / box " << box;
    return;
  }
  ADD_FAILURE() << "no line for " << name << " in\n" << working;
}

TEST(PageWorking, TheWorkingWritesTheBoxesNumbersAsTheBoxesDo) {
  std::mt19937_64 random(99);
  const auto coefficient = [&](int i) {
    switch (i % 3) {
    case 0:
      return std::to_string(static_cast<int>(random() % 41) - 20);
    case 1:
      return std::to_string(static_cast<std::int32_t>(random()));
    default: // a decimal that is cut
      return std::to_string(static_cast<int>(random() % 2001) - 1000) + "." +
             std::to_string(1 + random() % 9);
    }
  };
  run_program([&](Player &p) {
    for (int i = 0; i < 60; ++i) {
      const Page &page = i % 3 == 0   ? kLinear
                         : i % 3 == 1 ? kSystem
                                      : kQuadratic;
      std::vector<std::string> typed;
      for (std::size_t k = 0; k < page.inputs.size(); ++k)
        typed.push_back(coefficient(i + static_cast<int>(k)));
      // A first coefficient that is never 0 nor out of range.
      typed[0] = (random() % 2 ? "-" : "") + std::to_string(1 + random() % 9);
      SCOPED_TRACE(testing::PrintToString(typed));
      solve(p, page, typed);
      ASSERT_TRUE(p.take_messages().empty());
      const std::string working = p.text(kView);
      const std::string first = p.text(page.results[0]);
      if (first.find_first_of("0123456789") == std::string::npos)
        continue; // a verdict
      if (&page == &kLinear) {
        expect_box_in_working(working, "x", first);
      } else if (&page == &kSystem) {
        expect_box_in_working(working, "x", first);
        expect_box_in_working(working, "y", p.text(page.results[1]));
      } else {
        expect_box_in_working(working, "x₁", first);
        // A double root has one line, x₁ = x₂ = ...
        if (p.text(page.results[1]) != first)
          expect_box_in_working(working, "x₂", p.text(page.results[1]));
      }
    }
  });
}

TEST(PageWorking, AClickEndingInAMessageLeavesTheWorkingShown) {
  const struct {
    const Page *page;
    std::vector<std::string> typed;
  } messages[] = {
      {&kLinear, {"0.5", "1"}},
      {&kLinear, {"1", ""}},
      {&kLinear, {"1e10", "1"}},
      {&kQuadratic, {"0", "1", "1"}},
      {&kQuadratic, {"1", "", "1"}},
      {&kSystem, {"1", "1", "1", "1", "1", ""}},
      {&kSystem, {"1", "1", "1", "1", "1", "-3e9"}},
  };
  run_program([&](Player &p) {
    solve(p, kQuadratic, {"1", "-3", "2"});
    const std::string shown = p.text(kView);
    ASSERT_NE(shown.find("(x − 2)(x − 1) = 0"), std::string::npos);
    for (const auto &m : messages) {
      SCOPED_TRACE(testing::PrintToString(m.typed));
      solve(p, *m.page, m.typed);
      EXPECT_EQ(p.take_messages().size(), 1u);
      EXPECT_EQ(p.text(kView), shown);
    }
    p.click("清空");
    EXPECT_EQ(p.text(kView), "");
  });
}

} // namespace
} // namespace qx::test
