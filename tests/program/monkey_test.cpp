// A long run of random user actions through the real program: pages,
// hostile texts, choices and clicks. Nothing may crash, hang, end the
// program or leave a block behind.
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#ifndef QUADRIX_MONKEY_ACTIONS
#define QUADRIX_MONKEY_ACTIONS 100000
#endif

namespace qx::test {
namespace {

// QUADRIX_MONKEY_ACTIONS in the environment overrides the built-in count.
long action_count() {
  if (const char *value = std::getenv("QUADRIX_MONKEY_ACTIONS"))
    return std::strtol(value, nullptr, 10);
  return QUADRIX_MONKEY_ACTIONS;
}

const std::vector<std::string> kEditBoxes = {
    "编辑框1",    "编辑框2",  "编辑框3",  "xya1",     "xya2",     "xyb1",
    "xyb2",       "xyc1",     "xyc2",     "xyx",      "xyy",      "二次项系数",
    "一次项系数", "常数项",   "x1",       "x2",       "分子1",    "分母1",
    "分子2",      "分母2",    "分子3",    "分母3",    "编辑框4",  "编辑框5",
    "编辑框6",    "编辑框7",  "编辑框8",  "编辑框9",  "编辑框10", "编辑框11",
    "编辑框12",   "编辑框13", "编辑框14", "编辑框15", "编辑框16", "编辑框17",
    "编辑框18",   "编辑框19", "编辑框20", "编辑框21", "编辑框22", "编辑框23",
    "编辑框24",   "编辑框25", "编辑框26", "编辑框27", "编辑框28"};

// Buttons and the clickable labels and links.
const std::vector<std::string> kClickables = {
    "求解",         "求方程组",     "求根",         "计算",
    "计算2",        "约分",         "通分",         "数值到分数",
    "数值到带分数", "分数到数值",   "带分数到数值", "求分数平方",
    "约分到整数",   "分数到带分数", "带分数到分数", "清空",
    "随机1",        "转换到假分数", "随机2",        "标签31",
    "超级链接框1",  "自动消块1"};

const std::vector<std::string> kHostileTexts = {
    "",
    " ",
    "　",
    "0",
    "-0",
    "1",
    "-1",
    "0.5",
    "2147483647",
    "-2147483647",
    "-2147483648",
    "2147483648",
    "4294967297",
    "99999999999999999999",
    "1e400",
    "-1e400",
    "1e-400",
    "1.5e300",
    "nan",
    "inf",
    "0x10",
    "3/4",
    "-3/4",
    "3/-4",
    "3/0",
    "0/0",
    "0/-5",
    "a/b",
    "3//4",
    "--3",
    "&&",
    "2&",
    "&1/2",
    "2&1/3",
    "-2&1/3",
    "2&-1/3",
    "2&4/3",
    "2&1/0",
    "1/2/3",
    "2&3&4/5",
    "1/2147483647",
    "2147483647/2147483646",
    "-2147483647/2147483647",
    "1&2147483646/2147483647",
    "65536",
    "0.000000001",
    "0.3333333333333333",
    "123456789.123456789",
    "１２３",
    "３/４",
    "½",
    "解方程",
    "3 / 4",
    " 2 & 1 / 3 ",
    std::string(4096, '9'),
    std::string(2000, '/'),
    std::string(1000, '&') + "/",
};

class Monkey {
public:
  explicit Monkey(std::uint64_t seed) : m_random(seed) {}

  std::size_t pick(std::size_t count) {
    return std::uniform_int_distribution<std::size_t>(0, count - 1)(m_random);
  }
  int percent() { return static_cast<int>(pick(100)); }

  // A hostile text from the list, or a short random one from the
  // characters the pages read.
  std::string text() {
    if (pick(2) == 0)
      return kHostileTexts[pick(kHostileTexts.size())];
    static const std::string alphabet = "0123456789-/&. e+";
    std::string text(pick(13), ' ');
    for (char &c : text)
      c = alphabet[pick(alphabet.size())];
    return text;
  }

private:
  std::mt19937_64 m_random;
};

TEST(Monkey, RandomActionsLeaveNoBlocksAndNeverEndTheProgram) {
  // The tools start nothing: SystemRoot names a directory without them.
  const std::filesystem::path empty_root =
      std::filesystem::temp_directory_path() / "quadrix-monkey-no-system";
  std::filesystem::create_directories(empty_root);
  setenv("SystemRoot", empty_root.c_str(), 1);

  const long actions = action_count();
  int failures = 0;
  const int status = run_program(
      [&](Player &p) {
        Monkey monkey(20240611);
        rt::HeadlessSession &s = p.session();
        for (long i = 0; i < actions && failures < 10; ++i) {
          std::string action;
          const int roll = monkey.percent();
          if (roll < 10) {
            const auto page = static_cast<std::int32_t>(monkey.pick(5));
            action = "page " + std::to_string(page);
            s.select_page("选择夹1", page);
          } else if (roll < 55) {
            const std::string &box = kEditBoxes[monkey.pick(kEditBoxes.size())];
            const std::string text = monkey.text();
            action = "type " + box + " '" + text.substr(0, 40) + "'";
            s.type_text(box, text);
          } else if (roll < 61) {
            const char *combo = monkey.pick(2) ? "组合框1" : "组合框2";
            const auto item = static_cast<std::int32_t>(monkey.pick(6)) - 1;
            action =
                std::string("choose ") + combo + " " + std::to_string(item);
            s.choose_item(combo, item);
          } else if (roll < 99 || monkey.pick(10) != 0) {
            const std::string &control =
                kClickables[monkey.pick(kClickables.size())];
            action = "click " + control;
            s.click(control);
          } else {
            const char *item = monkey.pick(2) ? "记事本" : "计算器";
            action = std::string("menu ") + item;
            s.choose_menu_item(item);
          }
          p.take_messages();
          if (s.outstanding_blocks() != 0 || s.ended()) {
            ADD_FAILURE() << "action " << i << " (" << action
                          << "): " << s.outstanding_blocks() << " blocks left"
                          << (s.ended() ? ", program ended" : "");
            ++failures;
          }
        }
        // The program still answers.
        s.select_page("选择夹1", 0);
        s.type_text("编辑框1", "2");
        s.type_text("编辑框2", "-3");
        s.click("求解");
        EXPECT_EQ(p.text("编辑框3"), "1.5");
        p.menu("退出(X)");
      },
      20240611);
  EXPECT_EQ(status, 0);
  unsetenv("SystemRoot");
  std::filesystem::remove(empty_root);
}

} // namespace
} // namespace qx::test
