// Tests of command-line splitting and of starting programs without waiting.
#include "platform/process.h"
#include "tests/platform/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace {

namespace fs = std::filesystem;
using qx::platform::run_program;
using qx::platform::split_command_line;
using qx::test::read_file;
using qx::test::TempDir;
using qx::test::write_file;

struct SplitCase {
  const char *name;
  const char *line;
  std::vector<std::string> words;
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const SplitCase &test, std::ostream *out) { *out << test.name; }

const SplitCase kSplitCases[] = {
    {"Empty", "", {}},
    {"OnlyBlanks", " \t ", {}},
    {"OneWord", "calc.exe", {"calc.exe"}},
    {"BackslashesAreSlashes",
     "C:\\WINDOWS\\system32\\notepad.exe",
     {"C:/WINDOWS/system32/notepad.exe"}},
    {"BlanksAndTabsSeparate", "  a \t b  c ", {"a", "b", "c"}},
    {"QuotesKeepBlanks", "\"my prog\" \"a b\" c", {"my prog", "a b", "c"}},
    {"QuotesInsideAWord", "a\"b c\"d", {"ab cd"}},
    {"EmptyQuotedWord", "a \"\" b", {"a", "", "b"}},
    {"UnterminatedQuote", "a \"b c", {"a", "b c"}},
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, Splits) {
  EXPECT_EQ(split_command_line(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(Cases, SplitCommandLineTest,
                         ::testing::ValuesIn(kSplitCases),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

// True when this process has no child at all, running or zombie.
bool has_no_children() {
  return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

std::string with_backslashes(const fs::path &path) {
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// Waits (up to a generous limit) for `path` to appear; a stand-in script
// writes it last, by renaming.
bool wait_for_file(const fs::path &path) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (fs::exists(path))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// A stand-in program in `directory` that waits for a "release" file, then
// records its arguments and its parent's process id.
fs::path write_recorder(const fs::path &directory) {
  fs::path script = directory / "recorder";
  std::string quoted = "'" + directory.string() + "'";
  write_file(script,
             "#!/bin/sh\n"
             "while [ ! -e " +
                 quoted +
                 "/release ]; do sleep 0.02; done\n"
                 "{ printf '%s\\n' \"$@\"; echo \"parent=$PPID\"; } > " +
                 quoted +
                 "/record.tmp\n"
                 "mv " +
                 quoted + "/record.tmp " + quoted + "/record\n");
  fs::permissions(script, fs::perms::owner_all);
  return script;
}

class RunProgramTest : public ::testing::Test {
protected:
  void start_and_check(const std::string &command_line,
                       const std::string &expected_arguments) {
    ASSERT_TRUE(run_program(command_line));
    // It returned while the program still waits for its release, and left
    // no child behind.
    EXPECT_TRUE(has_no_children());
    EXPECT_FALSE(fs::exists(m_work.path() / "record"));
    write_file(m_work.path() / "release", "");
    ASSERT_TRUE(wait_for_file(m_work.path() / "record"));
    std::string record = read_file(m_work.path() / "record");
    EXPECT_EQ(record.substr(0, expected_arguments.size()), expected_arguments);
    // The program was handed over, not kept as a child of this process.
    EXPECT_EQ(record.find("parent=" + std::to_string(getpid())),
              std::string::npos);
    EXPECT_TRUE(has_no_children());
  }

  TempDir m_work;
};

TEST_F(RunProgramTest, StartsWithoutWaitingAndLeavesNoChild) {
  fs::path recorder = write_recorder(m_work.path());
  start_and_check(with_backslashes(recorder) + " \"a b\" c\\d",
                  "a b\nc/d\nparent=");
}

TEST_F(RunProgramTest, FindsAnUnquotedProgramPathWithBlanks) {
  fs::path directory = m_work.path() / "with blank";
  fs::create_directories(directory);
  fs::path recorder = write_recorder(directory);
  ASSERT_TRUE(run_program(recorder.string() + " x"));
  EXPECT_TRUE(has_no_children());
  write_file(directory / "release", "");
  ASSERT_TRUE(wait_for_file(directory / "record"));
  EXPECT_EQ(read_file(directory / "record").substr(0, 2), "x\n");
}

TEST_F(RunProgramTest, FailuresAreReportedAndLeaveNoChild) {
  fs::path text_file = m_work.path() / "not-a-program";
  write_file(text_file, "\x01\x02 not a script\n");
  fs::permissions(text_file, fs::perms::owner_all);
  fs::path not_executable = m_work.path() / "not-executable";
  write_file(not_executable, "#!/bin/sh\n");

  const std::vector<std::string> lines = {"",
                                          "   ",
                                          (m_work.path() / "missing").string(),
                                          "quadrix-no-such-program-anywhere",
                                          text_file.string(),
                                          not_executable.string(),
                                          "\"" + m_work.path().string() + "\""};
  for (const std::string &line : lines) {
    EXPECT_FALSE(run_program(line)) << line;
    EXPECT_TRUE(has_no_children()) << line;
  }
}

} // namespace
