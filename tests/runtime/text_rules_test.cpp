// The text and number rules of the commands, table by table.
#include "runtime/core/text_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace qx::rt::text {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(FormatDouble, WritesFifteenDigitsWithoutExponentInTheMiddleRange) {
  const struct {
    double value;
    const char *text;
  } cases[] = {
      {0.37, "0.37"},
      {1.5, "1.5"},
      {2.0, "2"},
      {-2.0, "-2"},
      {1e-7, "0.0000001"},
      {0.1, "0.1"},
      {1.0 / 3.0, "0.333333333333333"},
      {2.0 / 3.0, "0.666666666666667"},
      {-0.5, "-0.5"},
      {123456789012345.0, "123456789012345"},
      {999999999999999.0, "999999999999999"},
      {1e14, "100000000000000"},
      {1e-9, "0.000000001"},
      {1.25e-9, "0.00000000125"},
      {0.1 + 0.2, "0.3"},
      {1234.5678, "1234.5678"},
      {100.0, "100"},
      // Rounded up across a power of ten, still below 1e15 before rounding.
      {999999999999999.9, "1000000000000000"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(format_double(c.value), c.text) << c.value;
}

TEST(FormatDouble, WritesPrintfExponentOutsideTheMiddleRange) {
  const struct {
    double value;
    const char *text;
  } cases[] = {
      {1e-10, "1e-10"},
      {1.5e20, "1.5e+20"},
      {1e15, "1e+15"},
      {-1e15, "-1e+15"},
      {9.99e-10, "9.99e-10"},
      {1.234567890123456e300, "1.23456789012346e+300"},
      {5e-324, "4.94065645841247e-324"},
      {std::numeric_limits<double>::max(), "1.79769313486232e+308"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(format_double(c.value), c.text) << c.value;
}

TEST(FormatDouble, SpecialValues) {
  EXPECT_EQ(format_double(0.0), "0");
  EXPECT_EQ(format_double(-0.0), "0");
  EXPECT_EQ(format_double(std::nan("")), "nan");
  EXPECT_EQ(format_double(-std::nan("")), "nan");
  EXPECT_EQ(format_double(kInf), "inf");
  EXPECT_EQ(format_double(-kInf), "-inf");
}

TEST(FormatDouble, AgreesWithPrintfOutsideTheMiddleRange) {
  for (double value : {3.14159e-12, 6.02214076e23, -2.5e-15, 1.0e100}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.15g", value);
    EXPECT_EQ(format_double(value), expected);
  }
}

TEST(ParseNumber, ReadsTheLeadingNumber) {
  const struct {
    const char *text;
    double value;
  } cases[] = {
      {"5", 5},
      {"5.", 5},
      {".5", 0.5},
      {"2.75", 2.75},
      {"-2.75", -2.75},
      {"+3", 3},
      {"  7", 7},
      {"\t7", 7},
      {"\xA1\xA1 8", 8},
      {"2.7abc", 2.7},
      {"1e3", 1000},
      {"1E-2", 0.01},
      {"1e", 1},
      {"1e+", 1},
      {"1ex", 1},
      {"2.5e+1x", 25},
      {"abc", 0},
      {"inf", 0},
      {"nan", 0},
      {"0x10", 0},
      {"", 0},
      {"-", 0},
      {".", 0},
      {"-.e5", 0},
      {"1 2", 1},
      {"00012", 12},
      {"12-3", 12},
      {"1e-400", 0},
      {"0.0000e999999", 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(parse_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseNumber, BeyondTheRangeGivesAnInfinityOfItsSign) {
  EXPECT_EQ(parse_number("1e400"), kInf);
  EXPECT_EQ(parse_number("-1e400"), -kInf);
  EXPECT_EQ(parse_number(std::string(400, '9')), kInf);
  EXPECT_EQ(parse_number("1e99999999999999999999"), kInf);
  EXPECT_EQ(parse_number("0.001e-99999999999999"), 0.0);
}

TEST(ParseInteger, ReadsTheLeadingWholeNumberClamped) {
  const struct {
    const char *text;
    std::int32_t value;
  } cases[] = {
      {"42", 42},
      {"-42", -42},
      {"+42", 42},
      {" \t\xA1\xA1-7", -7},
      {"3/4", 3},
      {"2.9", 2},
      {"x1", 0},
      {"", 0},
      {"-", 0},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"99999999999999999999999", 2147483647},
      {"\xA1", 0}, // a cut-off full-width space is not a blank
  };
  for (const auto &c : cases)
    EXPECT_EQ(parse_integer(c.text), c.value) << '"' << c.text << '"';
}

TEST(TruncateToInt32, KeepsTheLowBitsOfTheTruncation) {
  const struct {
    double value;
    std::int32_t result;
  } cases[] = {
      {2.9, 2},
      {-2.9, -2},
      {4294967296.0 + 5, 5},
      {2147483648.0, -2147483647 - 1},
      {-0.5, 0},
      {9223372036854775808.0, 0},
      {-9223372036854775808.0, 0},
      {9223372036854774784.0, -1024}, // 2^63 - 1024
      {kInf, 0},
      {-kInf, 0},
      {std::nan(""), 0},
  };
  for (const auto &c : cases)
    EXPECT_EQ(truncate_to_int32(c.value), c.result) << c.value;
}

TEST(RoundHalfAway, BreaksTiesAwayFromZero) {
  EXPECT_EQ(round_half_away(2.5), 3);
  EXPECT_EQ(round_half_away(-2.5), -3);
  EXPECT_EQ(round_half_away(0.49999999999999994), 0);
  EXPECT_EQ(round_half_away(-1.4), -1);
}

TEST(RemoveBlanks, DropsAsciiAndFullWidthBlanksOnCharacterBoundaries) {
  const struct {
    std::string text;
    std::string result;
  } cases[] = {
      {" 1 / 2\t", "1/2"},
      {"\xA1\xA1"
       "3\xA1\xA1",
       "3"},
      // B0 A1 is one character; the A1 after it starts a new one.
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1"},
      // A1 A1 straddling a boundary is not a blank: the lead B0 takes A1.
      {"\xB0\xA1\xA1", "\xB0\xA1\xA1"},
      {"", ""},
  };
  for (const auto &c : cases)
    EXPECT_EQ(remove_blanks(c.text), c.result);
}

TEST(FindText, GivesOneBasedPositionsOnCharacterBoundaries) {
  EXPECT_EQ(find_text("3&1/2", "&"), 2);
  EXPECT_EQ(find_text("3&1/2", "/"), 4);
  EXPECT_EQ(find_text("3/4", "&"), -1);
  EXPECT_EQ(find_text("", "/"), -1);
  EXPECT_EQ(find_text("abc", ""), -1);
  // "\xA1\xA1" inside B0 A1 | A1 B0 would match across a boundary.
  EXPECT_EQ(find_text("\xB0\xA1\xA1\xB0", "\xA1\xA1"), -1);
  EXPECT_EQ(find_text("ab\xA1\xA1", "\xA1\xA1"), 3);
  EXPECT_EQ(find_text("aXa", "x", 1, true), 2);
  EXPECT_EQ(find_text("aXa", "x"), -1);
  EXPECT_EQ(find_text("a/b/c", "/", 3), 4);
}

TEST(LeftRightText, CountsBeyondTheTextAndNonPositiveCounts) {
  EXPECT_EQ(left_text("abc", 2), "ab");
  EXPECT_EQ(left_text("abc", 5), "abc");
  EXPECT_EQ(left_text("abc", 0), "");
  EXPECT_EQ(left_text("abc", -1), "");
  EXPECT_EQ(right_text("abc", 2), "bc");
  EXPECT_EQ(right_text("abc", 5), "abc");
  EXPECT_EQ(right_text("abc", 0), "");
  EXPECT_EQ(right_text("abc", -3), "");
}

TEST(SplitText, KeepsEmptyPieces) {
  using Pieces = std::vector<std::string_view>;
  EXPECT_EQ(split_text("3/4", "/"), (Pieces{"3", "4"}));
  EXPECT_EQ(split_text("1/2/3", "/"), (Pieces{"1", "2", "3"}));
  EXPECT_EQ(split_text("3/", "/"), (Pieces{"3", ""}));
  EXPECT_EQ(split_text("/", "/"), (Pieces{"", ""}));
  EXPECT_EQ(split_text("a,,b", ","), (Pieces{"a", "", "b"}));
  EXPECT_EQ(split_text("5", "/"), (Pieces{"5"}));
  EXPECT_EQ(split_text("", "/"), (Pieces{""}));
  EXPECT_EQ(split_text("a/b", ""), (Pieces{"a/b"}));
  EXPECT_EQ(split_text("a::b", "::"), (Pieces{"a", "b"}));
}

// A lead byte followed by a byte that cannot trail is a character of its own,
// so the ASCII byte after it is found and split on, and the byte searches of
// the fast paths agree with the character walk.
TEST(TextRules, LeadByteBeforeAsciiIsACharacterOfItsOwn) {
  EXPECT_EQ(find_text("\xB0/2", "/"), 2);
  EXPECT_EQ(split_text("\xB0/2", "/"),
            (std::vector<std::string_view>{"\xB0", "2"}));
  EXPECT_EQ(remove_blanks("\xB0 1"), "\xB0"
                                     "1");
  EXPECT_EQ(find_text("a/b/c", "/", 3), 4);
  EXPECT_EQ(split_text(std::string(1000, '/'), "/").size(), 1001u);
}

} // namespace
} // namespace qx::rt::text
