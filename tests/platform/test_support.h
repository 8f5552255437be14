// Helpers for tests that work with real files and processes: a temporary
// directory that removes itself, and whole-file reads and writes.
#ifndef QUADRIX_TESTS_PLATFORM_TEST_SUPPORT_H
#define QUADRIX_TESTS_PLATFORM_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qx::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes out of scope.
class TempDir {
public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "quadrix-test-XXXXXX")
            .string();
    if (mkdtemp(pattern.data()) == nullptr)
      throw std::runtime_error("cannot create a temporary directory");
    m_path = pattern;
  }
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }

  const std::filesystem::path &path() const { return m_path; }

private:
  std::filesystem::path m_path;
};

inline void write_file(const std::filesystem::path &path,
                       std::string_view contents) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream stream(path, std::ios::binary | std::ios::trunc);
  stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!stream)
    throw std::runtime_error("cannot write " + path.string());
}

inline std::string read_file(const std::filesystem::path &path) {
  std::ifstream stream(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream),
          std::istreambuf_iterator<char>()};
}

// The value of a variable the test's registration sets; fails the test
// when it is missing.
inline std::string required_environment(const char *name) {
  const char *value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    ADD_FAILURE() << name << " is not set; run this test through ctest";
    return {};
  }
  return value;
}

} // namespace qx::test

#endif // QUADRIX_TESTS_PLATFORM_TEST_SUPPORT_H
