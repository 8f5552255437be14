// Tests of library loading, module directories and environment variables.
#include "base/qx_abi.h"
#include "platform/environment.h"
#include "platform/library.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using qx::platform::Library;
using qx::test::required_environment;
using qx::test::TempDir;
using qx::test::write_file;

const char kMarker = 0;

TEST(ExecutablePath, NamesThisTestProgram) {
  auto path = qx::platform::executable_path();
  ASSERT_TRUE(path);
  EXPECT_TRUE(path->is_absolute());
  EXPECT_EQ(path->filename(), "platform_test");
}

TEST(ModuleDirectory, OfAnAddressInThisProgram) {
  auto directory = qx::platform::module_directory(&kMarker);
  ASSERT_TRUE(directory);
  EXPECT_EQ(*directory, qx::platform::executable_path()->parent_path());
}

TEST(ModuleDirectory, OfAnAddressInALoadedLibrary) {
  fs::path fixture = required_environment("QX_FIXTURE_GOOD");
  Library library = Library::load(fixture);
  ASSERT_TRUE(library);
  void *export_address = library.symbol<void *>(QX_GET_NEW_SOCK_NAME);
  ASSERT_NE(export_address, nullptr);
  EXPECT_EQ(qx::platform::module_directory(export_address),
            fs::absolute(fixture).parent_path());
}

TEST(ModuleDirectory, OfAnAddressInNoModule) {
  EXPECT_EQ(qx::platform::module_directory(nullptr), std::nullopt);
}

TEST(Library, LoadsFindsAndReleases) {
  Library library = Library::load(required_environment("QX_FIXTURE_GOOD"));
  ASSERT_TRUE(library.loaded());
  auto get_new_sock = library.symbol<QxGetNewSockFn>(QX_GET_NEW_SOCK_NAME);
  ASSERT_NE(get_new_sock, nullptr);
  EXPECT_EQ(get_new_sock(QX_GET_NEW_SOCK_START + 1), nullptr);
  EXPECT_NE(get_new_sock(QX_GET_NEW_SOCK_START), nullptr);
  EXPECT_EQ(library.symbol<void *>("NoSuchExport"), nullptr);

  Library moved = std::move(library);
  EXPECT_FALSE(library.loaded());
  EXPECT_TRUE(moved.loaded());
  moved.release();
  EXPECT_FALSE(moved.loaded());
  EXPECT_EQ(moved.symbol<void *>(QX_GET_NEW_SOCK_NAME), nullptr);
}

TEST(Library, RefusesWhatIsNotALoadableLibrary) {
  TempDir directory;
  write_file(directory.path() / "text.rtp", "not a library\n");
  EXPECT_FALSE(Library::load(directory.path() / "text.rtp"));
  EXPECT_FALSE(Library::load(directory.path() / "missing.rtp"));
  EXPECT_FALSE(Library::load(directory.path()));
  EXPECT_FALSE(Library::load(""));
}

// A bare file name means the working directory, never the library path.
TEST(Library, BareNameIsNotSearchedForInTheLibraryPath) {
  EXPECT_FALSE(Library::load("libc.so.6"));
}

class EnvironmentTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (const char *old = std::getenv("SystemRoot"))
      m_old = old;
    unsetenv("SystemRoot");
    unsetenv("QX_TEST_VARIABLE");
  }
  void TearDown() override {
    if (m_old)
      setenv("SystemRoot", m_old->c_str(), 1);
    else
      unsetenv("SystemRoot");
    unsetenv("QX_TEST_VARIABLE");
  }

  std::optional<std::string> m_old;
};

TEST_F(EnvironmentTest, PlainVariables) {
  EXPECT_EQ(qx::platform::environment_variable("QX_TEST_VARIABLE"), "");
  setenv("QX_TEST_VARIABLE", "value with 中文", 1);
  EXPECT_EQ(qx::platform::environment_variable("QX_TEST_VARIABLE"),
            "value with 中文");
  EXPECT_EQ(qx::platform::environment_variable("QX_TEST_VARIABLE", "/x"),
            "value with 中文");
}

TEST_F(EnvironmentTest, SystemRootFallsBackWhenUnset) {
  EXPECT_EQ(qx::platform::environment_variable("SystemRoot", "/given/root"),
            "/given/root");
  EXPECT_EQ(
      qx::platform::environment_variable("SystemRoot"),
      (qx::platform::executable_path()->parent_path() / "systemroot").string());
  setenv("SystemRoot", "C:\\WINDOWS", 1);
  EXPECT_EQ(qx::platform::environment_variable("SystemRoot", "/given/root"),
            "C:\\WINDOWS");
  EXPECT_EQ(qx::platform::environment_variable("SystemRoot"), "C:\\WINDOWS");
}

// The shipped stand-ins start the first editor or calculator they find and
// do nothing when there is none.
TEST(SystemRootScripts, StartTheFirstProgramFoundOrNothing) {
  fs::path system32 =
      fs::path(required_environment("QX_SYSTEMROOT")) / "system32";
  struct Script {
    const char *file;
    const char *program;
  };
  for (Script script :
       {Script{"notepad.exe", "mousepad"}, Script{"calc.exe", "galculator"}}) {
    fs::path path = system32 / script.file;
    ASSERT_TRUE(fs::exists(path)) << path;
    EXPECT_NE(fs::status(path).permissions() & fs::perms::owner_exec,
              fs::perms::none);

    TempDir bin;
    std::string empty_path =
        "env -i PATH=" + bin.path().string() + " '" + path.string() + "'";
    EXPECT_EQ(std::system(empty_path.c_str()), 0) << script.file;

    fs::path record = bin.path() / "record";
    write_file(bin.path() / script.program,
               "#!/bin/sh\necho \"started $*\" > '" + record.string() + "'\n");
    fs::permissions(bin.path() / script.program, fs::perms::owner_all);
    std::string with_program = "env -i PATH=" + bin.path().string() +
                               ":/usr/bin:/bin '" + path.string() + "' f.txt";
    EXPECT_EQ(std::system(with_program.c_str()), 0) << script.file;
    EXPECT_EQ(qx::test::read_file(record), "started f.txt\n") << script.file;
  }
}

} // namespace
