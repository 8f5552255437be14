// Tests of the GBK (code page 936) and UTF-8 conversions.
#include "platform/gbk.h"

#include "tests/platform/gbk_cases.h"

#include <gtest/gtest.h>

#include <ostream>

// Test output names a case instead of dumping its bytes (found by argument
// lookup, so beside the cases' types).
namespace qx::test {
void PrintTo(const RoundTripCase &test, std::ostream *out) {
  *out << test.name;
}
void PrintTo(const BadInputCase &test, std::ostream *out) { *out << test.name; }
} // namespace qx::test

namespace {

using qx::test::BadInputCase;
using qx::test::kBadGbk;
using qx::test::kBadUtf8;
using qx::test::kRoundTrips;
using qx::test::RoundTripCase;

using qx::platform::convert_gbk_to_utf8;
using qx::platform::convert_utf8_to_gbk;

class GbkRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GbkRoundTripTest, ConvertsBothWays) {
  const RoundTripCase &test = GetParam();
  auto to_utf8 = convert_gbk_to_utf8(test.gbk);
  EXPECT_EQ(to_utf8.text, test.utf8);
  EXPECT_EQ(to_utf8.replacements, 0u);
  auto to_gbk = convert_utf8_to_gbk(test.utf8);
  EXPECT_EQ(to_gbk.text, test.gbk);
  EXPECT_EQ(to_gbk.replacements, 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, GbkRoundTripTest,
                         ::testing::ValuesIn(kRoundTrips),
                         [](const auto &info) {
                           return std::string(info.param.name);
                         });

class BadGbkTest : public ::testing::TestWithParam<BadInputCase> {};
class BadUtf8Test : public ::testing::TestWithParam<BadInputCase> {};

void expect_conversion(const qx::platform::TextConversion &result,
                       const BadInputCase &test) {
  EXPECT_EQ(result.text, test.output);
  EXPECT_EQ(result.replacements, test.replacements);
  EXPECT_EQ(result.first_bad_offset, test.first_bad_offset);
}

TEST_P(BadGbkTest, ReplacesBadSequences) {
  expect_conversion(convert_gbk_to_utf8(GetParam().input), GetParam());
}

TEST_P(BadUtf8Test, ReplacesBadSequences) {
  expect_conversion(convert_utf8_to_gbk(GetParam().input), GetParam());
}

auto case_name = [](const auto &info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Cases, BadGbkTest, ::testing::ValuesIn(kBadGbk),
                         case_name);
INSTANTIATE_TEST_SUITE_P(Cases, BadUtf8Test, ::testing::ValuesIn(kBadUtf8),
                         case_name);

// Output that grows well past the input's size (GBK to UTF-8 grows by half)
// and runs of bad bytes must not confuse the buffer handling.
TEST(GbkConversion, LongTexts) {
  std::string gbk;
  std::string utf8;
  for (int i = 0; i < 5000; ++i) {
    gbk += "\xD6\xD0\xFF";
    utf8 += "中\xEF\xBF\xBD";
  }
  auto result = convert_gbk_to_utf8(gbk);
  EXPECT_EQ(result.text, utf8);
  EXPECT_EQ(result.replacements, 5000u);

  std::string chinese;
  for (int i = 0; i < 5000; ++i)
    chinese += "\xD6\xD0\xCE\xC4";
  EXPECT_EQ(qx::platform::utf8_to_gbk(qx::platform::gbk_to_utf8(chinese)),
            chinese);
}

// The descriptors are kept between calls: a conversion that stopped inside
// a character, or on a bad one, must leave nothing behind for the next.
TEST(GbkConversion, EachCallStartsAfresh) {
  const struct {
    std::string_view gbk;
    std::string_view utf8;
  } sequence[] = {
      {"\xD6", "\xEF\xBF\xBD"}, // a lead byte cut off at the end
      {"\xD0\xCE", "形"},       // the next text starts on a character
      {"a\xFF", "a\xEF\xBF\xBD"}, {"\xD6\xD0", "中"}, {"", ""},
      {"\xD6\xD0", "中"},
  };
  for (const auto &step : sequence) {
    EXPECT_EQ(qx::platform::gbk_to_utf8(step.gbk), step.utf8);
    EXPECT_EQ(qx::platform::utf8_to_gbk("中\xE4\xB8"), "\xD6\xD0?");
  }
}

} // namespace
