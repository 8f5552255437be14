// The tools menu and the window-created handler in the real program.
#include "program/tool_routines.h"
#include "runtime/sdk/sdk.h"
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qx::test {
namespace {

namespace fs = std::filesystem;

// A stand-in system directory whose system32/notepad.exe and calc.exe are
// scripts that append their name to a record file; SystemRoot names it
// while the object lives.
class StandInSystemRoot {
public:
  StandInSystemRoot() {
    std::string pattern =
        (fs::temp_directory_path() / "quadrix-systemroot-XXXXXX").string();
    EXPECT_NE(mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    fs::create_directories(m_root / "system32");
    add_program("notepad.exe", "notepad");
    add_program("calc.exe", "calc");
    setenv("SystemRoot", m_root.c_str(), 1);
  }
  ~StandInSystemRoot() {
    unsetenv("SystemRoot");
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }
  StandInSystemRoot(const StandInSystemRoot &) = delete;
  StandInSystemRoot &operator=(const StandInSystemRoot &) = delete;

  void remove_programs() { fs::remove_all(m_root / "system32"); }

  // The names recorded once `count` programs have started, or what was
  // recorded when ten seconds have passed.
  std::vector<std::string> wait_for_starts(std::size_t count) const {
    std::vector<std::string> names;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      names = recorded();
      if (names.size() >= count)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return names;
  }

  std::vector<std::string> recorded() const {
    std::vector<std::string> names;
    std::ifstream record(m_root / "record");
    for (std::string line; std::getline(record, line);)
      names.push_back(line);
    return names;
  }

private:
  void add_program(const char *file, const char *name) {
    const fs::path path = m_root / "system32" / file;
    std::ofstream script(path);
    script << "#!/bin/sh\necho " << name << " >> '"
           << (m_root / "record").string() << "'\n";
    script.close();
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read |
                              fs::perms::group_exec);
  }

  fs::path m_root;
};

TEST(ToolsMenu, StartsTheTextEditorAndTheCalculator) {
  StandInSystemRoot root;
  const int status = run_program([](Player &p) {
    p.menu("记事本");
    p.menu("计算器");
    p.menu("计算器");
    EXPECT_TRUE(p.take_messages().empty());
    EXPECT_FALSE(p.session().ended());
  });
  EXPECT_EQ(status, 0);
  std::vector<std::string> started = root.wait_for_starts(3);
  std::sort(started.begin(), started.end());
  EXPECT_EQ(started, (std::vector<std::string>{"calc", "calc", "notepad"}));
}

TEST(ToolsMenu, PassesSilentlyWhenTheProgramIsMissing) {
  StandInSystemRoot root;
  root.remove_programs();
  run_program([](Player &p) {
    p.menu("记事本");
    p.menu("计算器");
    EXPECT_TRUE(p.take_messages().empty());
    EXPECT_FALSE(p.session().ended());
    // The program goes on.
    p.type("编辑框1", "2");
    p.type("编辑框2", "-3");
    p.click("求解");
    EXPECT_EQ(p.text("编辑框3"), "1.5");
  });
}

TEST(ToolsMenu, ExitEndsTheProgramAtOnce) {
  const int status = run_program([](Player &p) {
    p.menu("退出(X)");
    EXPECT_TRUE(p.session().ended());
    EXPECT_FALSE(p.session().click("求解"));
  });
  EXPECT_EQ(status, 0);
}

// The texts the random link writes on page 分数运算1.
std::vector<std::string> random_page(std::optional<std::uint64_t> seed) {
  std::vector<std::string> texts;
  run_program(
      [&](Player &p) {
        p.page(3);
        p.click("随机1");
        for (const char *box : {"分子1", "分母1", "分子2", "分母2", "编辑框4",
                                "编辑框5", "编辑框6", "编辑框8", "编辑框9"})
          texts.push_back(p.text(box));
      },
      seed);
  return texts;
}

TEST(WindowCreated, ReseedsTheRandomSource) {
  // With a fixed seed, reseeding starts the draws over: the numbers drawn
  // after the handler repeat those drawn before it.
  run_program(
      [](Player &) {
        std::vector<std::int32_t> before;
        for (int i = 0; i < 8; ++i)
          before.push_back(sdk::random_integer(1, 1000000));
        OnWindowCreated();
        std::vector<std::int32_t> after;
        for (int i = 0; i < 8; ++i)
          after.push_back(sdk::random_integer(1, 1000000));
        EXPECT_EQ(before, after);
      },
      99);
}

TEST(WindowCreated, RunsDifferWithoutAFixedSeed) {
  EXPECT_NE(random_page(std::nullopt), random_page(std::nullopt));
  EXPECT_EQ(random_page(99), random_page(99));
}

} // namespace
} // namespace qx::test
