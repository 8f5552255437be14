// Runs the real quadrix executable in scratch directories against stand-in
// runtimes beside it and in a directory named by the registry stand-in.
#include "tests/platform/test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using qx::test::read_file;
using qx::test::required_environment;
using qx::test::TempDir;
using qx::test::write_file;

constexpr std::string_view kErrorLine =
    "Error: Not found the kernel library or the kernel library is invalid!\n";
constexpr std::string_view kUnloaded = "fixture unloaded\n";
constexpr int kFailureStatus = 255;

enum class RuntimeKind {
  None,
  Good,
  Refusing,
  NoExport,
  NotALibrary,
  DataSymbol, // GetNewSock is a data object
  Truncated,  // the good runtime cut short: its segments lie past the end
  Fifo,
  Directory,
};

fs::path fixture_path(RuntimeKind kind) {
  switch (kind) {
  case RuntimeKind::Good:
    return required_environment("QX_FIXTURE_GOOD");
  case RuntimeKind::Refusing:
    return required_environment("QX_FIXTURE_REFUSING");
  case RuntimeKind::NoExport:
    return required_environment("QX_FIXTURE_NO_EXPORT");
  case RuntimeKind::DataSymbol:
    return required_environment("QX_FIXTURE_DATA_SYMBOL");
  case RuntimeKind::Truncated:
    return required_environment("QX_FIXTURE_GOOD");
  case RuntimeKind::None:
  case RuntimeKind::NotALibrary:
  case RuntimeKind::Fifo:
  case RuntimeKind::Directory:
    break;
  }
  return {};
}

void place_runtime(RuntimeKind kind, const fs::path &target) {
  if (kind == RuntimeKind::None)
    return;
  fs::create_directories(target.parent_path());
  if (kind == RuntimeKind::NotALibrary) {
    write_file(target, "this is a text file, not a library\n");
    return;
  }
  if (kind == RuntimeKind::Fifo) {
    // Opening it for reading would wait for a writer that never comes.
    ASSERT_EQ(mkfifo(target.c_str(), 0600), 0) << target;
    return;
  }
  if (kind == RuntimeKind::Directory) {
    fs::create_directories(target);
    return;
  }
  fs::copy_file(fixture_path(kind), target,
                fs::copy_options::overwrite_existing);
  if (kind == RuntimeKind::Truncated) {
    // The headers stay whole; the code segment (at 0x1000) does not.
    fs::resize_file(target, 0x1100);
  }
}

struct RunResult {
  int status = -1; // exit status, or -1 when the process did not exit
  std::string out;
  std::string err;
  std::string record;
};

// One scratch installation: the executable in bin/, a home directory and a
// configuration directory with the registry file.
class Sandbox {
public:
  explicit Sandbox(const fs::path &bin_directory = {})
      : m_bin(bin_directory.empty() ? m_root.path() / "bin" : bin_directory) {
    fs::create_directories(m_bin);
    fs::create_directories(home());
    fs::copy_file(required_environment("QX_QUADRIX"), executable());
    fs::permissions(executable(), fs::perms::owner_all);
  }

  fs::path root() const { return m_root.path(); }
  fs::path bin() const { return m_bin; }
  fs::path executable() const { return m_bin / "quadrix"; }
  fs::path home() const { return root() / "home"; }
  fs::path config() const { return root() / "config"; }
  fs::path registry_file() const {
    return config() / "quadrix" / "registry.reg";
  }
  fs::path record_file() const { return root() / "record.txt"; }

  void write_registry(std::string_view text) const {
    write_file(registry_file(), text);
  }

  // Runs the executable with only this sandbox's home and configuration.
  // Without a display unless `extra` names one (a message box would wait
  // for a click).
  RunResult run(const std::vector<std::string> &extra = {}) const {
    std::vector<std::string> variables;
    for (char **entry = environ; *entry != nullptr; ++entry) {
      std::string_view variable(*entry);
      if (variable.starts_with("HOME=") ||
          variable.starts_with("XDG_CONFIG_HOME=") ||
          variable.starts_with("QX_FIXTURE_RECORD=") ||
          variable.starts_with("DISPLAY=") ||
          variable.starts_with("WAYLAND_DISPLAY=") ||
          (!extra.empty() && variable.starts_with("PATH=")))
        continue;
      variables.emplace_back(variable);
    }
    variables.insert(variables.end(), extra.begin(), extra.end());
    variables.push_back("HOME=" + home().string());
    variables.push_back("XDG_CONFIG_HOME=" + config().string());
    variables.push_back("QX_FIXTURE_RECORD=" + record_file().string());
    std::vector<char *> environment;
    for (std::string &variable : variables)
      environment.push_back(variable.data());
    environment.push_back(nullptr);

    fs::path out_file = root() / "stdout.txt";
    fs::path err_file = root() / "stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null",
                                     O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_file.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_file.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::string program = executable().string();
    std::vector<char *> arguments{program.data(), nullptr};
    pid_t child = -1;
    int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr,
                              arguments.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);

    RunResult result;
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << program;
      return result;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
      result.status = WEXITSTATUS(status);
    result.out = read_file(out_file);
    result.err = read_file(err_file);
    result.record = read_file(record_file());
    return result;
  }

private:
  TempDir m_root;
  fs::path m_bin;
};

std::string registry_text(std::string_view path_value,
                          std::string_view line_end = "\n") {
  std::string text = "Windows Registry Editor Version 5.00";
  text.append(line_end).append(line_end);
  text.append("[HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install]");
  text.append(line_end).append("\"Path\"=\"");
  for (char c : path_value) {
    if (c == '\\' || c == '"')
      text += '\\';
    text += c;
  }
  text.append("\"").append(line_end);
  return text;
}

// How the installed directory is written into the registry value.
enum class PathForm { Plain, TrailingSlash, TrailingBackslash };

std::string install_value(const fs::path &directory, PathForm form) {
  std::string text = directory.string();
  if (form == PathForm::TrailingSlash)
    text += '/';
  if (form == PathForm::TrailingBackslash)
    text += '\\';
  return text;
}

enum class Loaded { None, Beside, Installed };

struct LauncherCase {
  const char *name;
  RuntimeKind beside;
  RuntimeKind installed;
  // The registry file: nullopt for no file; "{install}" stands for the
  // installed directory's value.
  std::optional<std::string> registry;
  PathForm form;
  int status;
  Loaded loaded;
  bool unloaded; // the fixture reports its release before the message
};

const std::string kInstallRegistry = "{install}";
const std::string kBrokenRegistry =
    "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\n";
const std::string kOtherKeyRegistry =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Tenvale\\Other]\n\"Path\"=\"/nowhere/\"\n";
const std::string kNoValueRegistry =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install]\n"
    "\"Version\"=\"5.9\"\n";

const LauncherCase kLauncherCases[] = {
    // The runtime beside the executable wins, whatever the registry says.
    {"BesideWithoutRegistry", RuntimeKind::Good, RuntimeKind::None,
     std::nullopt, PathForm::Plain, 0, Loaded::Beside, false},
    {"BesideWithBrokenRegistry", RuntimeKind::Good, RuntimeKind::None,
     kBrokenRegistry, PathForm::Plain, 0, Loaded::Beside, false},
    {"BesideOverInstalled", RuntimeKind::Good, RuntimeKind::Refusing,
     kInstallRegistry, PathForm::TrailingSlash, 0, Loaded::Beside, false},
    // The registry's directory, with or without a separator at the end.
    {"InstalledWithSlash", RuntimeKind::None, RuntimeKind::Good,
     kInstallRegistry, PathForm::TrailingSlash, 0, Loaded::Installed, false},
    {"InstalledWithoutSeparator", RuntimeKind::None, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, 0, Loaded::Installed, false},
    {"InstalledWithBackslash", RuntimeKind::None, RuntimeKind::Good,
     kInstallRegistry, PathForm::TrailingBackslash, 0, Loaded::Installed,
     false},
    {"BesideNotALibraryFallsBack", RuntimeKind::NotALibrary, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, 0, Loaded::Installed, false},
    // Nothing to load: the message and status 255.
    {"NoRuntimeNoRegistry", RuntimeKind::None, RuntimeKind::None, std::nullopt,
     PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"BrokenRegistry", RuntimeKind::None, RuntimeKind::Good, kBrokenRegistry,
     PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"MissingKey", RuntimeKind::None, RuntimeKind::Good, kOtherKeyRegistry,
     PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"MissingValue", RuntimeKind::None, RuntimeKind::Good, kNoValueRegistry,
     PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"MissingInstalledFile", RuntimeKind::None, RuntimeKind::None,
     kInstallRegistry, PathForm::TrailingSlash, kFailureStatus, Loaded::None,
     false},
    {"InstalledNotALibrary", RuntimeKind::None, RuntimeKind::NotALibrary,
     kInstallRegistry, PathForm::TrailingSlash, kFailureStatus, Loaded::None,
     false},
    // A library that cannot start the program is released first.
    {"BesideWithoutExport", RuntimeKind::NoExport, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
    {"BesideRefuses", RuntimeKind::Refusing, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
    {"InstalledWithoutExport", RuntimeKind::None, RuntimeKind::NoExport,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
    {"InstalledRefuses", RuntimeKind::None, RuntimeKind::Refusing,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
    // Files that are no whole library are refused before they are loaded;
    // a data object named GetNewSock is never called.
    {"BesideFifoFallsBack", RuntimeKind::Fifo, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, 0, Loaded::Installed, false},
    {"BesideDirectoryFallsBack", RuntimeKind::Directory, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, 0, Loaded::Installed, false},
    {"BesideTruncatedFallsBack", RuntimeKind::Truncated, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, 0, Loaded::Installed, false},
    {"InstalledFifo", RuntimeKind::None, RuntimeKind::Fifo, kInstallRegistry,
     PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"InstalledDirectory", RuntimeKind::None, RuntimeKind::Directory,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"InstalledTruncated", RuntimeKind::None, RuntimeKind::Truncated,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, false},
    {"BesideDataSymbol", RuntimeKind::DataSymbol, RuntimeKind::Good,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
    {"InstalledDataSymbol", RuntimeKind::None, RuntimeKind::DataSymbol,
     kInstallRegistry, PathForm::Plain, kFailureStatus, Loaded::None, true},
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const LauncherCase &test, std::ostream *out) { *out << test.name; }

class LauncherTest : public ::testing::TestWithParam<LauncherCase> {};

std::string replace_all(std::string text, std::string_view from,
                        std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void expect_started(const RunResult &result, const fs::path &runtime) {
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.record, "GetNewSock selector=1000 from=" + runtime.string() +
                               "\nstart image=exported signature=WJ\n");
}

TEST_P(LauncherTest, FindsStartsOrReports) {
  const LauncherCase &test = GetParam();
  Sandbox sandbox;
  fs::path install = sandbox.root() / "install";
  fs::create_directories(install);
  place_runtime(test.beside, sandbox.bin() / "basert.rtp");
  place_runtime(test.installed, install / "basert.rtl");
  if (test.registry)
    sandbox.write_registry(
        replace_all(*test.registry, kInstallRegistry,
                    registry_text(install_value(install, test.form))));

  RunResult result = sandbox.run();

  switch (test.loaded) {
  case Loaded::Beside:
    expect_started(result, sandbox.bin() / "basert.rtp");
    return;
  case Loaded::Installed:
    expect_started(result, install / "basert.rtl");
    return;
  case Loaded::None:
    break;
  }
  EXPECT_EQ(result.status, kFailureStatus);
  EXPECT_EQ(result.out, "");
  std::string expected_err(kErrorLine);
  if (test.unloaded)
    expected_err.insert(0, kUnloaded);
  EXPECT_EQ(result.err, expected_err);
  // Only a runtime that was asked and refused leaves a record.
  bool refused = test.unloaded && (test.beside == RuntimeKind::Refusing ||
                                   (test.beside == RuntimeKind::None &&
                                    test.installed == RuntimeKind::Refusing));
  EXPECT_EQ(result.record, refused ? "GetNewSock selector=1000 refused\n" : "");
}

INSTANTIATE_TEST_SUITE_P(Cases, LauncherTest,
                         ::testing::ValuesIn(kLauncherCases),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

// A path well past the 127 characters the original buffer allowed.
fs::path long_directory(const fs::path &base) {
  fs::path directory = base;
  for (int level = 0; level < 12; ++level)
    directory /= "a-rather-long-directory-name-" + std::to_string(level);
  return directory;
}

TEST(LauncherLongPaths, InstalledDirectoryOver300Characters) {
  Sandbox sandbox;
  fs::path install = long_directory(sandbox.root() / "install");
  ASSERT_GT(install.string().size(), 300u);
  place_runtime(RuntimeKind::Good, install / "basert.rtl");
  sandbox.write_registry(registry_text(install.string(), "\r\n"));

  expect_started(sandbox.run(), install / "basert.rtl");
}

TEST(LauncherLongPaths, ExecutableDirectoryOver300Characters) {
  TempDir base;
  Sandbox sandbox(long_directory(base.path()));
  ASSERT_GT(sandbox.executable().string().size(), 300u);
  place_runtime(RuntimeKind::Good, sandbox.bin() / "basert.rtp");

  expect_started(sandbox.run(), sandbox.bin() / "basert.rtp");
}

// The value is read as text: bytes after a zero byte do not belong to it.
TEST(LauncherRegistry, ValueEndsAtItsFirstZeroByte) {
  Sandbox sandbox;
  fs::path install = sandbox.root() / "install";
  place_runtime(RuntimeKind::Good, install / "basert.rtl");
  std::string hex;
  for (unsigned char c : install.string() + "/" + std::string(1, '\0') + "zz")
    hex += (hex.empty() ? "" : ",") +
           std::string(1, "0123456789abcdef"[c >> 4]) +
           "0123456789abcdef"[c & 15];
  sandbox.write_registry(
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install]\n"
      "\"Path\"=hex(2):" +
      hex + "\n");

  expect_started(sandbox.run(), install / "basert.rtl");
}

// With a display the message also appears in a box; a stand-in for the box
// program records how it was asked, and the launcher waits for it.
TEST(LauncherMessage, ShownInABoxWhenADisplayIsPresent) {
  Sandbox sandbox;
  const fs::path tools = sandbox.root() / "tools";
  const fs::path asked = sandbox.root() / "box.txt";
  fs::create_directories(tools);
  write_file(tools / "xmessage",
             "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                 asked.string() + "'\n");
  fs::permissions(tools / "xmessage", fs::perms::owner_all);
  for (const char *display : {"DISPLAY=:99", "WAYLAND_DISPLAY=wayland-9"}) {
    fs::remove(asked);
    RunResult result =
        sandbox.run({display, "PATH=" + tools.string() + ":/usr/bin:/bin"});
    EXPECT_EQ(result.status, kFailureStatus) << display;
    EXPECT_EQ(result.err, kErrorLine) << display;
    EXPECT_EQ(read_file(asked),
              "-center\n-title\nError\n-buttons\nOK:0\n"
              "Not found the kernel library or the kernel library is "
              "invalid!\n")
        << display;
  }
}

// Past the system's path limit the runtime cannot be opened: the launcher
// reports it like any missing runtime (the README states the limit).
TEST(LauncherLongPaths, InstalledPathPastTheSystemLimitIsReported) {
  Sandbox sandbox;
  std::string value = sandbox.root().string();
  while (value.size() < 5000)
    value += "/a-directory-name-of-some-length";
  sandbox.write_registry(registry_text(value));

  RunResult result = sandbox.run();
  EXPECT_EQ(result.status, kFailureStatus);
  EXPECT_EQ(result.err, kErrorLine);
}

} // namespace
