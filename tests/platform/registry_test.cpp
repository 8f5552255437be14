// Tests of the registry stand-in's file parser and read-only keys.
#include "platform/registry.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using qx::platform::RegistryError;
using qx::platform::RegistryFile;
using qx::platform::RegistryHive;
using qx::platform::RegistryKey;

constexpr const char *kInstallKey =
    "HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install";

struct ValueCase {
  const char *name;
  std::string text;
  const char *key;
  const char *value;
  std::optional<std::string> expected; // nullopt: no such key or value
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const ValueCase &test, std::ostream *out) { *out << test.name; }

std::string header(std::string_view line_end = "\n") {
  return "Windows Registry Editor Version 5.00" + std::string(line_end) +
         std::string(line_end);
}

const ValueCase kValueCases[] = {
    {"Plain", header() + "[" + kInstallKey + "]\n\"Path\"=\"/opt/quadrix/\"\n",
     kInstallKey, "Path", "/opt/quadrix/"},
    {"CrlfLineEnds",
     header("\r\n") + "[" + kInstallKey + "]\r\n\"Path\"=\"/opt/q\"\r\n",
     kInstallKey, "Path", "/opt/q"},
    {"ByteOrderMark",
     "\xEF\xBB\xBF" + header() + "[" + kInstallKey + "]\n\"Path\"=\"/x\"\n",
     kInstallKey, "Path", "/x"},
    {"Escapes",
     header() + "[" + kInstallKey +
         "]\n\"Path\"=\"C:\\\\Program Files\\\\\\\"Q\\\"\\\\\"\n",
     kInstallKey, "Path", "C:\\Program Files\\\"Q\"\\"},
    {"EscapedValueName", header() + "[" + kInstallKey + "]\n\"a\\\"b\"=\"v\"\n",
     kInstallKey, "a\"b", "v"},
    {"NamesIgnoreCase",
     header() + "[hkey_current_user\\SOFTWARE\\tenvale\\Quill\\install]\n"
                "\"PATH\"=\"/p\"\n",
     kInstallKey, "path", "/p"},
    {"BlanksCommentsAndSpacing",
     header() + "; a comment\n\n  [" + kInstallKey +
         "]  \n\t\"Path\" = \"/sp ace/\"  \n",
     kInstallKey, "Path", "/sp ace/"},
    {"Utf8Text", header() + "[" + kInstallKey + "]\n\"Path\"=\"/opt/计算\"\n",
     kInstallKey, "Path", "/opt/计算"},
    {"EmptyText", header() + "[" + kInstallKey + "]\n\"Path\"=\"\"\n",
     kInstallKey, "Path", ""},
    {"LaterValueWins",
     header() + "[" + kInstallKey + "]\n\"Path\"=\"/a\"\n[" + kInstallKey +
         "]\n\"Path\"=\"/b\"\n",
     kInstallKey, "Path", "/b"},
    {"Dword", header() + "[" + kInstallKey + "]\n\"N\"=dword:0000abcd\n",
     kInstallKey, "N", std::string("\xCD\xAB\0\0", 4)},
    {"HexContinued",
     header() + "[" + kInstallKey + "]\n\"H\"=hex(2):2f,6f,\\\n  70,00\n",
     kInstallKey, "H", std::string("/op\0", 4)},
    {"DefaultValue", header() + "[" + kInstallKey + "]\n@=\"d\"\n", kInstallKey,
     "", "d"},
    {"DeletedValue",
     header() + "[" + kInstallKey + "]\n\"Path\"=\"/a\"\n\"Path\"=-\n",
     kInstallKey, "Path", std::nullopt},
    {"DeletedKeyAndSubkeys",
     header() + "[" + kInstallKey + "]\n\"Path\"=\"/a\"\n" +
         "[-HKEY_CURRENT_USER\\Software\\Tenvale]\n",
     kInstallKey, "Path", std::nullopt},
    // A deletion takes the key and the keys below it, nothing beside it:
    // not a key whose name merely starts with the same letters.
    {"DeletionSparesSiblingWithLongerName",
     header() + "[" + kInstallKey + "2]\n\"Path\"=\"/s\"\n[-" + kInstallKey +
         "]\n",
     "HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install2", "Path", "/s"},
    {"DeletionSparesSiblingSortedBetween",
     header() + "[" + kInstallKey + "!]\n\"Path\"=\"/s\"\n[" + kInstallKey +
         "\\Sub]\n\"P\"=\"1\"\n[-" + kInstallKey + "]\n",
     "HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install!", "Path", "/s"},
    {"DeletionTakesDeepSubkeys",
     header() + "[" + kInstallKey + "\\A\\B]\n\"Path\"=\"/d\"\n" +
         "[-HKEY_CURRENT_USER\\Software\\Tenvale\\Quill]\n",
     "HKEY_CURRENT_USER\\Software\\Tenvale\\Quill\\Install\\A\\B", "Path",
     std::nullopt},
    {"DeletionIgnoresCase",
     header() + "[" + kInstallKey + "]\n\"Path\"=\"/a\"\n" +
         "[-hkey_current_user\\software\\TENVALE]\n",
     kInstallKey, "Path", std::nullopt},
    {"KeyAgainAfterDeletion",
     header() + "[" + kInstallKey + "]\n\"Path\"=\"/a\"\n[-" + kInstallKey +
         "]\n[" + kInstallKey + "]\n\"Other\"=\"/b\"\n",
     kInstallKey, "Path", std::nullopt},
    {"MissingValue", header() + "[" + kInstallKey + "]\n\"Other\"=\"/a\"\n",
     kInstallKey, "Path", std::nullopt},
    {"OtherHive",
     header() + "[HKEY_LOCAL_MACHINE\\Software\\Tenvale\\Quill\\Install]\n"
                "\"Path\"=\"/a\"\n",
     kInstallKey, "Path", std::nullopt},
    {"EmptyFile", "", kInstallKey, "Path", std::nullopt},
};

class RegistryValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegistryValueTest, ReadsValue) {
  const ValueCase &test = GetParam();
  auto parsed = RegistryFile::parse(test.text, "test.reg");
  const auto *file = std::get_if<RegistryFile>(&parsed);
  ASSERT_NE(file, nullptr) << std::get<RegistryError>(parsed).message;
  EXPECT_EQ(file->find_value(test.key, test.value), test.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryValueTest,
                         ::testing::ValuesIn(kValueCases),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

struct ErrorCase {
  const char *name;
  std::string text;
  const char *message; // the error names the file and the line
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const ErrorCase &test, std::ostream *out) { *out << test.name; }

const ErrorCase kErrorCases[] = {
    {"NoHeader", "[HKEY_CURRENT_USER\\X]\n", "test.reg line 1: first line"},
    {"WrongHeader", "Windows Registry Editor Version 4.00\n",
     "test.reg line 1:"},
    {"UnclosedKey", header() + "[HKEY_CURRENT_USER\\X\n",
     "test.reg line 3: key line does not end"},
    {"EmptyKey", header() + "[]\n", "test.reg line 3: empty key name"},
    {"ValueBeforeKey", header() + "\"Path\"=\"/a\"\n",
     "test.reg line 3: value before the first key"},
    {"UnterminatedText", header() + "[HKEY_CURRENT_USER\\X]\n\"Path\"=\"/a\n",
     "test.reg line 4: text has no closing"},
    {"EscapedClosingQuote",
     header() + "[HKEY_CURRENT_USER\\X]\n\"Path\"=\"/a\\\"\n",
     "test.reg line 4: text has no closing"},
    {"UnknownEscape", header() + "[HKEY_CURRENT_USER\\X]\n\"Path\"=\"a\\n\"\n",
     "test.reg line 4: unknown escape '\\n'"},
    {"TextAfterValue",
     header() + "[HKEY_CURRENT_USER\\X]\n\"Path\"=\"/a\" junk\n",
     "test.reg line 4: text after"},
    {"NoEquals", header() + "[HKEY_CURRENT_USER\\X]\n\"Path\" \"/a\"\n",
     "test.reg line 4: value name is not followed by '='"},
    {"UnknownData", header() + "[HKEY_CURRENT_USER\\X]\n\"Path\"=/a\n",
     "test.reg line 4: unknown value data"},
    {"BadDword", header() + "[HKEY_CURRENT_USER\\X]\n\"N\"=dword:12345678a\n",
     "test.reg line 4: dword"},
    {"BadDwordDigit", header() + "[HKEY_CURRENT_USER\\X]\n\"N\"=dword:xyz\n",
     "test.reg line 4: bad hex digit 'x'"},
    {"BadHexByte", header() + "[HKEY_CURRENT_USER\\X]\n\"H\"=hex:1,02\n",
     "test.reg line 4: bad byte '1'"},
    {"BadHexKind", header() + "[HKEY_CURRENT_USER\\X]\n\"H\"=hex(z):01\n",
     "test.reg line 4: unknown value type 'hex(z)'"},
    {"StrayLine", header() + "[HKEY_CURRENT_USER\\X]\nPath=/a\n",
     "test.reg line 4: neither a key nor a value"},
    {"CrlfLineNumbers",
     header("\r\n") + "[HKEY_CURRENT_USER\\X]\r\n\r\n\"P\"=\"\r\n",
     "test.reg line 5: text has no closing"},
};

class RegistryErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RegistryErrorTest, RejectsFile) {
  const ErrorCase &test = GetParam();
  auto parsed = RegistryFile::parse(test.text, "test.reg");
  const auto *error = std::get_if<RegistryError>(&parsed);
  ASSERT_NE(error, nullptr);
  EXPECT_NE(error->message.find(test.message), std::string::npos)
      << error->message;
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryErrorTest,
                         ::testing::ValuesIn(kErrorCases),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

TEST(RegistryFileLoad, MissingFileIsEmptyRegistry) {
  qx::test::TempDir directory;
  auto loaded = RegistryFile::load(directory.path() / "absent.reg");
  const auto *file = std::get_if<RegistryFile>(&loaded);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->key_count(), 0u);
}

TEST(RegistryFileLoad, ErrorNamesThePath) {
  qx::test::TempDir directory;
  auto path = directory.path() / "broken.reg";
  qx::test::write_file(path, "garbage\n");
  auto loaded = RegistryFile::load(path);
  const auto *error = std::get_if<RegistryError>(&loaded);
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->message.rfind(path.string() + " line 1:", 0), 0u)
      << error->message;
}

TEST(RegistryFileLoad, OversizedFileIsRefused) {
  qx::test::TempDir directory;
  auto path = directory.path() / "huge.reg";
  qx::test::write_file(path, header() + std::string(2u << 20, ';'));
  EXPECT_TRUE(std::holds_alternative<RegistryError>(RegistryFile::load(path)));
}

// Sets an environment variable for one scope, restoring the old value.
class ScopedVariable {
public:
  ScopedVariable(const char *name, const char *value) : m_name(name) {
    if (const char *old = std::getenv(name))
      m_old = old;
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  ScopedVariable(const ScopedVariable &) = delete;
  ScopedVariable &operator=(const ScopedVariable &) = delete;
  ~ScopedVariable() {
    if (m_old)
      setenv(m_name, m_old->c_str(), 1);
    else
      unsetenv(m_name);
  }

private:
  const char *m_name;
  std::optional<std::string> m_old;
};

TEST(RegistryKey, OpensThroughTheUsersConfigurationDirectory) {
  qx::test::TempDir directory;
  ScopedVariable config("XDG_CONFIG_HOME", directory.path().c_str());
  ASSERT_EQ(qx::platform::registry_file_path(),
            directory.path() / "quadrix" / "registry.reg");
  EXPECT_FALSE(RegistryKey::open(RegistryHive::CurrentUser,
                                 "Software\\Tenvale\\Quill\\Install"));

  qx::test::write_file(directory.path() / "quadrix" / "registry.reg",
                       header() + "[" + kInstallKey +
                           "]\n\"Path\"=\"/opt/q/\"\n");
  auto key = RegistryKey::open(RegistryHive::CurrentUser,
                               "Software\\Tenvale\\Quill\\Install");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->query_value("Path"), "/opt/q/");
  EXPECT_EQ(key->query_value("Missing"), std::nullopt);
  EXPECT_FALSE(RegistryKey::open(RegistryHive::LocalMachine,
                                 "Software\\Tenvale\\Quill\\Install"));
}

TEST(RegistryKey, HomeStandsInForAnUnsetConfigurationDirectory) {
  ScopedVariable config("XDG_CONFIG_HOME", nullptr);
  ScopedVariable home("HOME", "/home/someone");
  EXPECT_EQ(
      qx::platform::registry_file_path(),
      std::filesystem::path("/home/someone/.config/quadrix/registry.reg"));
  ScopedVariable no_home("HOME", nullptr);
  EXPECT_EQ(qx::platform::registry_file_path(), std::nullopt);
}

} // namespace
