// The platform layer on the real Windows API, run under Wine by
// `make windows-test`: code page 936, library loading by full path only,
// own-function lookup, the registry read, environment and process start.
//
// Exit status 0 when every check holds; each failure prints one line.
#include "platform/environment.h"
#include "platform/gbk.h"
#include "platform/library.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "tests/platform/gbk_cases.h"

#include <windows.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Exports of this executable for the lookups below.
extern "C" __attribute__((used)) int qx_checks_function(void) { return 7; }
extern "C" __attribute__((used)) const int qx_checks_data = 7;

namespace {

namespace fs = std::filesystem;
namespace platform = qx::platform;

class Checks {
public:
  void expect(bool holds, std::string_view what) {
    ++m_run;
    if (holds)
      return;
    ++m_failed;
    std::printf("FAILED: %.*s\n", static_cast<int>(what.size()), what.data());
  }
  int finish() const {
    std::printf("platform checks: %d run, %d failed\n", m_run, m_failed);
    return m_failed == 0 ? 0 : 1;
  }

private:
  int m_run = 0;
  int m_failed = 0;
};

void check_gbk(Checks &checks) {
  for (const qx::test::RoundTripCase &test : qx::test::kRoundTrips) {
    const std::string name = std::string("gbk round trip ") + test.name;
    const platform::TextConversion to_utf8 =
        platform::convert_gbk_to_utf8(test.gbk);
    checks.expect(to_utf8.text == test.utf8 && to_utf8.replacements == 0,
                  name + " (to UTF-8)");
    const platform::TextConversion to_gbk =
        platform::convert_utf8_to_gbk(test.utf8);
    checks.expect(to_gbk.text == test.gbk && to_gbk.replacements == 0,
                  name + " (to GBK)");
  }
  const auto expect_bad = [&](const qx::test::BadInputCase &test,
                              const platform::TextConversion &result,
                              const char *direction) {
    checks.expect(result.text == test.output &&
                      result.replacements == test.replacements &&
                      result.first_bad_offset == test.first_bad_offset,
                  std::string("bad ") + direction + " " + test.name);
  };
  for (const qx::test::BadInputCase &test : qx::test::kBadGbk)
    expect_bad(test, platform::convert_gbk_to_utf8(test.input), "GBK");
  for (const qx::test::BadInputCase &test : qx::test::kBadUtf8)
    expect_bad(test, platform::convert_utf8_to_gbk(test.input), "UTF-8");

  // A long text with a bad byte in every character: the slow path.
  std::string gbk;
  std::string utf8;
  for (int i = 0; i < 3000; ++i) {
    gbk += "\xD6\xD0\xFF";
    utf8 += "中\xEF\xBF\xBD";
  }
  const platform::TextConversion long_result =
      platform::convert_gbk_to_utf8(gbk);
  checks.expect(long_result.text == utf8 && long_result.replacements == 3000 &&
                    long_result.first_bad_offset == 2,
                "long GBK text with 3000 bad bytes");
}

void write_file(const fs::path &path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void check_libraries(Checks &checks, const fs::path &work) {
  const std::optional<fs::path> self = platform::executable_path();
  checks.expect(self && self->is_absolute() &&
                    self->filename() == "platform_checks.exe",
                "executable_path names this program by its full path");
  if (!self)
    return;
  const std::optional<fs::path> own_directory = platform::module_directory(
      reinterpret_cast<const void *>(&qx_checks_function));
  checks.expect(own_directory && *own_directory == self->parent_path(),
                "module_directory of an own function is the program's");
  const fs::path bin = self->parent_path().parent_path() / "bin";
  const fs::path runtime = bin / "basert.rtp";

  checks.expect(!platform::library_file_problem(runtime),
                "basert.rtp is a library of this machine");
  checks.expect(!platform::library_file_problem(bin / "WebPane.rtp"),
                "WebPane.rtp is a library of this machine");

  // Files that are no loadable library, each refused before the system
  // loader sees it.
  const std::string whole = read_file(runtime);
  write_file(work / "text.rtp", "not a library\r\n");
  write_file(work / "truncated.rtp", std::string_view(whole).substr(0, 4096));
  write_file(work / "empty.rtp", "");
  fs::create_directory(work / "directory.rtp");
  const struct {
    fs::path path;
    const char *what;
  } refused[] = {
      {work / "text.rtp", "a text file"},
      {work / "truncated.rtp", "the first 4096 bytes of basert.rtp"},
      {work / "empty.rtp", "an empty file"},
      {work / "directory.rtp", "a directory"},
      {work / "missing.rtp", "a missing file"},
      {*self, "an executable, not a library"},
  };
  for (const auto &file : refused) {
    checks.expect(platform::library_file_problem(file.path).has_value(),
                  std::string("library_file_problem refuses ") + file.what);
    checks.expect(platform::load_library(file.path) == nullptr,
                  std::string("load_library refuses ") + file.what);
  }

  // By full path only: a bare system library name is a file in the
  // working directory, where there is none.
  const fs::path previous = fs::current_path();
  fs::current_path(work);
  checks.expect(platform::load_library("kernel32.dll") == nullptr,
                "a bare name is never looked up on the system's path");
  fs::copy_file(runtime, work / "copy.rtp");
  platform::Library relative = platform::Library::load("copy.rtp");
  checks.expect(relative.loaded(),
                "a relative path is taken from the working directory");
  relative.release();
  fs::current_path(previous);

  platform::Library library = platform::Library::load(runtime);
  checks.expect(library.loaded(), "basert.rtp loads by its full path");
  checks.expect(platform::find_own_function(library.handle(), "GetNewSock") !=
                    nullptr,
                "GetNewSock is a function of basert.rtp");
  checks.expect(platform::find_symbol(library.handle(), "NoSuchExport") ==
                    nullptr,
                "a missing export is null");
  checks.expect(platform::share_exception_frames(library.handle()),
                "the unwind tables of basert.rtp are shared");
  checks.expect(platform::share_exception_frames(library.handle()),
                "sharing them again is harmless");
  // Shared tables are read until the process ends.
  static_cast<void>(library.detach());

  platform::LibraryHandle program = platform::program_library();
  checks.expect(platform::find_own_function(program, "qx_checks_function") ==
                    reinterpret_cast<void *>(&qx_checks_function),
                "an exported function of the executable is found");
  checks.expect(platform::find_symbol(program, "qx_checks_data") ==
                    static_cast<const void *>(&qx_checks_data),
                "an exported object of the executable is found as a symbol");
  checks.expect(platform::find_own_function(program, "qx_checks_data") ==
                    nullptr,
                "an exported object is no function");
  checks.expect(platform::find_own_function(nullptr, "GetNewSock") == nullptr,
                "no library, no function");
}

// Writes value `name` of `type` with exactly `bytes`, no terminator added.
void set_value(HKEY key, const wchar_t *name, DWORD type,
               std::string_view bytes) {
  RegSetValueExW(key, name, 0, type,
                 reinterpret_cast<const BYTE *>(bytes.data()),
                 static_cast<DWORD>(bytes.size()));
}

std::string wide_bytes(std::wstring_view text) {
  return std::string(reinterpret_cast<const char *>(text.data()),
                     text.size() * sizeof(wchar_t));
}

void check_registry(Checks &checks) {
  const std::string subkey =
      "Software\\QuadrixChecks\\" + std::to_string(GetCurrentProcessId());
  const std::wstring wide_subkey(subkey.begin(), subkey.end());
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, wide_subkey.c_str(), 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    checks.expect(false, "the checks' own registry key can be created");
    return;
  }
  const std::wstring long_text(1000, L'x');
  set_value(key, L"Path", REG_SZ, wide_bytes(std::wstring(L"C:\\q\\") + L'\0'));
  set_value(key, L"NoTerminator", REG_SZ, wide_bytes(L"C:\\quadrix"));
  set_value(key, L"Long", REG_SZ, wide_bytes(long_text + L'\0'));
  set_value(key, L"Chinese", REG_SZ,
            wide_bytes(std::wstring(L"D:\\\x4E2D\x6587") + L'\0'));
  set_value(key, L"Binary", REG_BINARY, std::string("\x01\x00\x02", 3));
  set_value(key, L"Empty", REG_SZ, "");
  RegCloseKey(key);

  const std::optional<platform::RegistryKey> opened =
      platform::RegistryKey::open(platform::RegistryHive::CurrentUser, subkey);
  checks.expect(opened.has_value(), "an existing key opens");
  if (opened) {
    const struct {
      const char *name;
      std::optional<std::string> bytes;
    } values[] = {
        {"Path", "C:\\q\\"},
        {"PATH", "C:\\q\\"},
        {"NoTerminator", "C:\\quadrix"},
        {"Long", std::string(1000, 'x')},
        {"Chinese", "D:\\中文"},
        {"Binary", std::string("\x01\x00\x02", 3)},
        {"Empty", ""},
        {"Missing", std::nullopt},
    };
    for (const auto &value : values)
      checks.expect(opened->query_value(value.name) == value.bytes,
                    std::string("registry value ") + value.name);
  }
  checks.expect(!platform::RegistryKey::open(
                    platform::RegistryHive::CurrentUser, subkey + "\\Missing"),
                "a missing key does not open");
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\QuadrixChecks");
  checks.expect(
      !platform::RegistryKey::open(platform::RegistryHive::CurrentUser, subkey),
      "a deleted key does not open");
}

void check_environment(Checks &checks) {
  const std::string root = platform::environment_variable("SystemRoot");
  checks.expect(!root.empty() && fs::is_directory(fs::path(root) / "system32"),
                "SystemRoot names the directory that holds system32");
  checks.expect(platform::environment_variable("QX_CHECKS_UNSET").empty(),
                "an unset variable is empty");
  SetEnvironmentVariableW(L"QX_CHECKS_TEXT", L"\x4E2D=1");
  checks.expect(platform::environment_variable("QX_CHECKS_TEXT") ==
                    "\xD6\xD0=1",
                "a value comes back in GBK");

  checks.expect(
      !platform::run_program(root + "\\system32\\no-such-program.exe"),
      "a missing program is not started");
  checks.expect(!platform::run_program(""), "an empty line starts nothing");
  checks.expect(platform::run_program(root + "\\system32\\cmd.exe /c exit 0"),
                "a program is started without waiting");
}

} // namespace

// An exit handler that runs after the destructors of every static object
// made later (exit handlers run in the reverse order of their making): it
// takes memory of the size and alignment of the unwinder's records and
// fills it, so that a record freed before the unwinder lets go of it (when
// this executable's own table is taken off its lists, last of all) ends the
// process abnormally instead of passing by chance.
void reuse_freed_memory() {
  struct alignas(16) Record {
    std::array<unsigned char, 128> bytes;
  };
  std::vector<std::unique_ptr<Record>> records;
  for (int i = 0; i < 64; ++i) {
    records.push_back(std::make_unique<Record>());
    records.back()->bytes.fill(0xA5);
  }
}

int main() {
  // Before anything shares unwind tables: see reuse_freed_memory.
  std::atexit(reuse_freed_memory);
  Checks checks;
  const fs::path work =
      fs::temp_directory_path() /
      ("quadrix-checks-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(work);
  check_gbk(checks);
  check_libraries(checks, work);
  check_registry(checks);
  check_environment(checks);
  std::error_code ignored;
  fs::remove_all(work, ignored);
  return checks.finish();
}
