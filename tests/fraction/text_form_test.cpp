// Tests of reading and writing fractions and mixed numbers as text.
#include "fraction/fraction.h"
#include "runtime/sdk/sdk.h"
#include "tests/fraction/fraction_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>
#include <string>

namespace qx::fraction {
namespace {

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

class FractionText : public testing::BoundRuntimeTest {};

TEST_F(FractionText, ParseFraction) {
  struct Row {
    const char *text;
    Fraction f;
  };
  const Row rows[] = {
      // Reduced and sign-normalized.
      {"6/8", {3, 4}},
      {"6/-8", {-3, 4}},
      {"-6/8", {-3, 4}},
      {"-6/-8", {3, 4}},
      {"0/5", {0, 1}},
      {"0/-5", {0, -1}},
      {"3 / 4", {3, 4}},
      {" 3\t/ 4 ", {3, 4}},
      {"3\xA1\xA1/4", {3, 4}}, // full-width blank
      // Invalid values travel as they are.
      {"3/0", {3, 0}},
      {"-3/0", {-3, 0}},
      {"0/0", {0, 0}},
      {"a/b", {0, 0}},
      {"3/", {3, 0}},
      {"/4", {0, 1}},
      // Whole numbers and texts without exactly one "/": the number the text
      // as typed starts with, over 1.
      {"7", {7, 1}},
      {"-5", {-5, 1}},
      {"", {0, 1}},
      {nullptr, {0, 1}},
      {"1/2/3", {1, 1}},
      {"3//4", {3, 1}},
      {"abc", {0, 1}},
      {"2.75", {2, 1}},
      // The field range: 2147483647 fits, 2147483648 and -2147483648 do not.
      {"2147483647", {kMax, 1}},
      {"-2147483647", {-kMax, 1}},
      {"2147483648", {0, 0}},
      {"-2147483648", {0, 0}},
      {"99999999999/2", {0, 0}},
      {"1/99999999999", {0, 0}},
      {"2147483647/2147483647", {1, 1}},
      {"00002147483647/1", {kMax, 1}},
      {"-2147483647/-1", {kMax, 1}},
      {"12345678901234567890", {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text ? row.text : "(null)");
    EXPECT_EQ(parse_fraction(row.text), row.f);
  }
}

TEST_F(FractionText, ParseMixed) {
  struct Row {
    const char *text;
    MixedNumber m;
  };
  const Row rows[] = {
      {"2&1/3", {2, 1, 3}},
      {"-2&1/3", {2, -1, 3}},
      {"2&-1/3", {2, -1, 3}},
      {"-2&-1/3", {2, 1, 3}},
      {"2&4/3", {3, 1, 3}},
      {"2&0/3", {2, 0, 1}},
      {"0&1/3", {0, 1, 3}},
      // A whole part of -0 negates the number, as format_mixed writes it.
      {"-0&1/3", {0, -1, 3}},
      {"-0&-1/3", {0, 1, 3}},
      {"-00&2/4", {0, -1, 2}},
      {" - 0 & 3 / 4", {0, -3, 4}},
      {"-0&4/3", {1, -1, 3}},
      {"-0&0/5", {0, 0, 1}},
      {"-&1/3", {0, 1, 3}}, // no digits: no number to negate
      {"0&-1/3", {0, -1, 3}},
      {"2 & 6 / 8", {2, 3, 4}},
      {"2&5", {7, 0, 1}},
      // Invalid: no "&", several, or a zero denominator.
      {"5", {0, 0, 0}},
      {"2&&1/3", {0, 0, 0}},
      {"2&1/0", {0, 0, 0}},
      {"&", {0, 0, 1}}, // two empty pieces: 0 and 0/1
      {"", {0, 0, 0}},
      {"0&0/0", {0, 0, 0}},
      // The field range.
      {"2147483646&1/2", {2147483646, 1, 2}},
      {"2147483648&1/2", {0, 0, 0}},
      {"1&99999999999/2", {0, 0, 0}},
      {"2147483647&1/1", {0, 0, 0}}, // carries to 2147483648
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(parse_mixed(row.text), row.m);
  }
}

TEST_F(FractionText, FormatFraction) {
  struct Row {
    Fraction f;
    bool reduce;
    const char *text;
  };
  const Row rows[] = {
      {{3, 4}, true, "3/4"},
      {{6, 8}, true, "3/4"},
      {{6, -8}, true, "-3/4"},
      {{7, 1}, true, "7/1"},
      {{0, 5}, true, "0/1"},
      {{0, -5}, true, "0/-1"},
      {{3, 0}, true, "3/0"},
      {{-4, 0}, true, "-4/0"},
      {{0, 0}, true, "0/0"},
      {{6, 8}, false, "6/8"},
      {{6, -8}, false, "-6/8"},
      {{0, -5}, false, "0/-5"},
      {{kMax, -1}, true, "-2147483647/1"},
      {{kMin, 0}, true, "-2147483648/0"}, // invalid: written as it stands
      {{kMin, 1}, true, "0/0"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.f));
    EXPECT_EQ(format_fraction(row.f, row.reduce).view(), row.text);
  }
  EXPECT_EQ(format_fraction({6, 8}).view(), "3/4"); // reduce by default
}

TEST_F(FractionText, FormatMixed) {
  struct Row {
    MixedNumber m;
    const char *text;
  };
  const Row rows[] = {
      {{2, 1, 3}, "2&1/3"},
      {{2, -1, 3}, "-2&1/3"},
      {{-2, 1, 3}, "-2&1/3"},
      {{0, 3, 4}, "0&3/4"},
      {{0, -1, 3}, "-0&1/3"},
      {{7, 0, 1}, "7&0/1"},
      {{-2, 0, 1}, "-2&0/1"},
      {{2, 4, 3}, "3&1/3"},
      {{2, 0, 3}, "2&0/1"},
      {{0, 0, 0}, "0&0/0"},
      {{2, 1, 0}, "2&1/0"},
      {{kMax, kMax - 1, kMax}, "2147483647&2147483646/2147483647"},
      {{0, -kMax, 1}, "-2147483647&0/1"},
      {{kMax, 1, 1}, "0&0/0"}, // 2147483648 does not fit
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.m));
    EXPECT_EQ(format_mixed(row.m).view(), row.text);
  }
}

TEST_F(FractionText, TextToFraction) {
  struct Row {
    const char *text;
    Fraction f;
  };
  const Row rows[] = {
      {"2&1/3", {7, 3}},
      {"-2&1/3", {-7, 3}},
      {"1&1/2", {3, 2}},
      {"2&1", {2, 1}}, // no "/": read as the number 2
      {"-0&1/3", {-1, 3}},
      // A number where a fraction goes, converted exactly.
      {"0.5", {1, 2}},
      {"-0.25", {-1, 4}},
      {"2.7", {27, 10}},
      {"1e5", {100000, 1}},
      {"-1.5e-3", {-3, 2000}},
      {"abc", {0, 1}},
      {"1e10", {0, 0}}, // beyond the field range
      {"3/4", {3, 4}},
      {"6/8", {3, 4}},
      {"5", {5, 1}},
      {"", {0, 1}},
      {"2&1/0", {0, 0}},
      {"1/2&", {1, 1}},
      {"1073741823&1/2", {kMax, 2}},
      {"1073741824&1/2", {0, 0}}, // 2147483649/2 does not fit
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(text_to_fraction(row.text), row.f);
  }
  EXPECT_TRUE(has_mixed_form("2&1/3"));
  EXPECT_TRUE(has_mixed_form("1/2&"));
  EXPECT_FALSE(has_mixed_form("2&1"));
  EXPECT_FALSE(has_mixed_form("1/2"));
  EXPECT_FALSE(has_mixed_form(nullptr));
}

TEST_F(FractionText, ReadWholeNumber) {
  struct Row {
    const char *text;
    std::optional<std::int32_t> value;
  };
  const Row rows[] = {
      {"0", 0},
      {"", 0},
      {nullptr, 0},
      {"abc", 0},
      {"42", 42},
      {"-42", -42},
      {"  +17", 17},
      {"12abc", 12},
      {"3.9", 3},
      {"2147483647", kMax},
      {"-2147483647", -kMax},
      {"0002147483647", kMax},
      {"2147483647.9", kMax},
      {"\xA1\xA1"
       "2147483647",
       kMax},
      {"2147483648", std::nullopt},
      {"-2147483648", std::nullopt},
      {"4294967297", std::nullopt}, // would wrap to 1
      {"99999999999", std::nullopt},
      {"-99999999999", std::nullopt},
      {"\t2147483648", std::nullopt},
      {"00000000000000000000000001", 1},
      // Digits after a non-number are not the runtime's number.
      {"x99999999999", 0},
      {"--99999999999", 0},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text ? row.text : "(null)");
    EXPECT_EQ(read_whole_number(row.text), row.value);
  }
}

TEST_F(FractionText, RoundTripsThroughText) {
  // Negative proper fractions are written with a whole part of -0.
  const Fraction fractions[] = {{3, 4},     {-7, 3},           {0, 1},
                                {-3, 4},    {-1, kMax},        {kMax, 1},
                                {-kMax, 1}, {-kMax, kMax - 1}, {1, kMax}};
  for (Fraction f : fractions) {
    SCOPED_TRACE(::testing::PrintToString(f));
    EXPECT_EQ(parse_fraction(format_fraction(f).c_str()), f);
    EXPECT_EQ(text_to_fraction(format_fraction(f).c_str()), f);
    MixedNumber m = fraction_to_mixed(f);
    EXPECT_EQ(parse_mixed(format_mixed(m).c_str()), m);
    EXPECT_EQ(text_to_fraction(format_mixed(m).c_str()), f);
  }
  // Long texts read without trouble.
  std::string long_text(65536, ' ');
  long_text += "6/8";
  EXPECT_EQ(parse_fraction(long_text.c_str()), (Fraction{3, 4}));
  std::string many_slashes(65536, '/');
  EXPECT_EQ(parse_fraction(many_slashes.c_str()), (Fraction{0, 1}));
}

// Typed decimals are read from their own digits; that must give exactly the
// fraction the runtime's reading of the number and its decimal text give,
// and the exact value of the digits.
TEST_F(FractionText, PlainDecimalsReadAsTheirExactValue) {
  struct Row {
    const char *text;
    Fraction f;
  };
  const Row rows[] = {
      {"0.5", {1, 2}},
      {"-0.25", {-1, 4}},
      {"+.75", {3, 4}},
      {"5.", {5, 1}},
      {"-0.0", {0, 1}},
      {"007.500", {15, 2}},
      {"\xA1\xA1 0.125", {1, 8}},
      {"0.000000001", {1, 1000000000}},
      {"2.147483647", {2147483647, 1000000000}},
      {"-2147483647", {-kMax, 1}},
      {"12345.6789", {123456789, 10000}},
      // Beyond a plain decimal, or beyond the fields: the runtime's route.
      {"0.0000000001", {0, 1}},
      {"2147483648", {0, 0}},
      {"21474836.48", {536870912, 25}},
      // Its digits over 10^9 do not fit, but in lowest terms they do.
      {"4.259124364", {1064781091, 250000000}},
      {"1e-3", {1, 1000}},
      {"0.5abc", {1, 2}},
      {"1.2.3", {6, 5}},
      {".", {0, 1}},
      {"-", {0, 1}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(text_to_fraction(row.text), row.f);
    EXPECT_EQ(text_to_fraction(row.text),
              decimal_to_fraction(sdk::text_to_number(row.text)));
  }

  // Random decimals of up to 15 significant digits, up to 9 after the point.
  std::uint64_t state = 7;
  auto next = [&state] {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return state >> 11;
  };
  for (int i = 0; i < 2000; ++i) {
    const int after_point = static_cast<int>(next() % 10);
    const int before_point = static_cast<int>(next() % 7);
    std::string digits;
    for (int d = 0; d < before_point + after_point; ++d)
      digits += static_cast<char>('0' + next() % 10);
    if (digits.empty())
      digits = "0";
    const bool negative = next() % 2 == 1;
    std::string text = negative ? "-" : "";
    text += digits.substr(0, digits.size() - after_point);
    if (after_point > 0)
      text += "." + digits.substr(digits.size() - after_point);
    SCOPED_TRACE(text);
    // The exact value: all digits over 10^after_point, in lowest terms.
    const std::int64_t numerator = std::stoll(digits);
    std::int64_t denominator = 1;
    for (int d = 0; d < after_point; ++d)
      denominator *= 10;
    const std::int64_t common = std::gcd(numerator, denominator);
    const Fraction exact{
        static_cast<std::int32_t>((negative ? -numerator : numerator) / common),
        static_cast<std::int32_t>(denominator / common)};
    if (numerator / common > kMax)
      continue;
    EXPECT_EQ(text_to_fraction(text.c_str()), exact);
    EXPECT_EQ(decimal_to_fraction(sdk::text_to_number(text.c_str())), exact);
  }
}

} // namespace
} // namespace qx::fraction
