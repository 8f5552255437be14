// Runs the real quadrix-cli binary (QX_TEST_CLI) on a script given as text,
// written to a .qxs file of the test's own name and fed on standard input.
#pragma once

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace qx::test {

struct Result {
  std::string out;
  std::string err;
  int status = -1;
};

inline std::string readFile(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

inline std::string quoted(const std::string &text) {
  std::string result = "'";
  for (char c : text)
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

// Runs quadrix-cli with `arguments` (already quoted) and `script` on its
// standard input.
inline Result runCli(const std::string &script,
                     const std::string &arguments = "") {
  std::string name =
      std::string(::testing::UnitTest::GetInstance()
                      ->current_test_info()
                      ->test_suite_name()) +
      "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
  std::replace(name.begin(), name.end(), '/', '_');
  const std::string base = ::testing::TempDir() + "quadrix_cli_" + name;
  const std::string in = base + ".qxs", out = base + ".out",
                    err = base + ".err";
  std::ofstream(in, std::ios::binary) << script;
  const std::string command = quoted(QX_TEST_CLI) + " " + arguments + " < " +
                              quoted(in) + " > " + quoted(out) + " 2> " +
                              quoted(err);
  const int raw = std::system(command.c_str());
  Result result;
  result.out = readFile(out);
  result.err = readFile(err);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  for (const std::string &file : {in, out, err})
    std::remove(file.c_str());
  return result;
}

} // namespace qx::test
