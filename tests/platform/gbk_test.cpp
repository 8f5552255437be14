// Tests of the GBK (code page 936) and UTF-8 conversions.
#include "platform/gbk.h"

#include <gtest/gtest.h>

namespace {

using qx::platform::convert_gbk_to_utf8;
using qx::platform::convert_utf8_to_gbk;

struct RoundTripCase {
  const char *name;
  std::string gbk;
  std::string utf8;
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const RoundTripCase &test, std::ostream *out) {
  *out << test.name;
}

const RoundTripCase kRoundTrips[] = {
    {"Empty", "", ""},
    {"Ascii", "x = -1.5e3", "x = -1.5e3"},
    {"Chinese", "\xB7\xBD\xB3\xCC\xCE\xDE\xCA\xB5\xCA\xFD\xB8\xF9",
     "方程无实数根"},
    {"Mixed",
     "a\xC7\xE5\xBF\xD5"
     "b",
     "a清空b"},
    {"FullWidthDigits", "\xA3\xB1\xA3\xB2", "１２"},
    {"EuroSignOfCodePage936", "\x80", "€"},
    {"EmbeddedZero", std::string("\xD6\xD0\0\xCE\xC4", 5),
     std::string("中\0文", 7)},
};

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

struct BadInputCase {
  const char *name;
  std::string input;
  std::string output;
  std::size_t replacements;
  std::size_t first_bad_offset;
};

// Test output names a case instead of dumping its bytes.
void PrintTo(const BadInputCase &test, std::ostream *out) { *out << test.name; }

// GBK input that is not valid: each bad sequence becomes U+FFFD.
const BadInputCase kBadGbk[] = {
    {"HalfCharacterAtEnd", "ab\xD6", "ab\xEF\xBF\xBD", 1, 2},
    {"OnlyALeadByte", "\x81", "\xEF\xBF\xBD", 1, 0},
    {"ByteFF",
     "a\xFF"
     "b",
     "a\xEF\xBF\xBD"
     "b",
     1, 1},
    {"AsciiAfterLeadIsKept", "\x81 x", "\xEF\xBF\xBD x", 1, 0},
    {"BadPairReplacedOnce", "\xD6\xFF\xCE\xC4", "\xEF\xBF\xBD文", 1, 0},
    {"SeveralBad", "\xFF\xD6\xD0\xFF", "\xEF\xBF\xBD中\xEF\xBF\xBD", 2, 0},
};

// UTF-8 input that is malformed or has characters GBK lacks: '?'.
const BadInputCase kBadUtf8[] = {
    {"TruncatedAtEnd", "a\xE4\xB8", "a?", 1, 1},
    {"LoneContinuation", "\x80x", "?x", 1, 0},
    {"Overlong", "\xC0\xAF", "??", 2, 0},
    {"Surrogate", "\xED\xA0\x80", "???", 3, 0},
    {"AboveUnicode", "\xF4\x90\x80\x80", "????", 4, 0},
    {"NotInGbk", "a😀b", "a?b", 1, 1},
    {"KeepsGoodNeighbours", "中\xFF文", "\xD6\xD0?\xCE\xC4", 1, 3},
};

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
