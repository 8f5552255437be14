// Tests of the conversions between fractions, mixed numbers and decimals,
// the nearest fraction to a double, and rounding to an integer.
#include "fraction/fraction.h"
#include "tests/fraction/fraction_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>

namespace qx::fraction {
namespace {

using qx::fraction::testing::expect_rows;
using qx::fraction::testing::Row;

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(FractionMixed, MixedToFraction) {
  const Row<MixedNumber, Fraction> rows[] = {
      {{2, 1, 3}, {7, 3}},
      {{2, -1, 3}, {-7, 3}},
      {{-2, 1, 3}, {-7, 3}},
      {{0, -1, 3}, {-1, 3}},
      {{-2, 0, 1}, {-2, 1}},
      {{2, 0, 1}, {2, 1}},
      {{2, 2, 4}, {5, 2}},
      {{2, 1, 0}, {0, 0}},
      {{0, 1, -3}, {-1, 3}},
      {{1073741823, 1, 2}, {kMax, 2}}, // 2147483647/2 fits
      {{1073741824, 1, 2}, {0, 0}},    // 2147483649/2 does not
      {{kMax, 0, 1}, {kMax, 1}},
      {{46341, 1, 46341}, {0, 0}},       // 2147488282/46341
      {{100000, -70000, 70001}, {0, 0}}, // sign right, too large
  };
  expect_rows(rows, [](const MixedNumber &m) { return mixed_to_fraction(m); });
}

TEST(FractionMixed, FractionToMixed) {
  const Row<Fraction, MixedNumber> rows[] = {
      {{7, 3}, {2, 1, 3}},
      {{-7, 3}, {2, -1, 3}},
      {{7, -3}, {2, -1, 3}},
      {{3, 4}, {0, 3, 4}},
      {{-3, 4}, {0, -3, 4}},
      {{6, 3}, {2, 0, 1}},
      {{-6, 3}, {-2, 0, 1}},
      {{0, 5}, {0, 0, 1}},
      {{0, -5}, {0, 0, -1}},
      {{3, 0}, {0, 0, 0}},
      {{kMax, 1}, {kMax, 0, 1}},
      {{-kMax, 2}, {1073741823, -1, 2}},
      {{kMin, 3}, {715827882, -2, 3}}, // in range once divided
      {{kMin, 1}, {0, 0, 0}},
  };
  expect_rows(rows, [](const Fraction &f) { return fraction_to_mixed(f); });
}

TEST(FractionMixed, ReduceMixed) {
  const Row<MixedNumber, MixedNumber> rows[] = {
      {{1, 6, 8}, {1, 3, 4}},
      {{2, 4, 3}, {3, 1, 3}},
      {{-4, 1, 1}, {-5, 0, 1}},
      {{2, -8, 6}, {3, -1, 3}},
      {{2, 1, 0}, {2, 1, 0}}, // invalid: unchanged
      {{0, 0, 0}, {0, 0, 0}},
      // The improper fraction 4294967293/2 does not fit, the result does.
      {{kMax - 1, 1, 2}, {kMax - 1, 1, 2}},
      {{kMax - 1, 2, 2}, {kMax, 0, 1}},
      {{kMax, 2, 2}, {0, 0, 0}}, // 2147483648 does not fit
  };
  expect_rows(rows, [](const MixedNumber &in) { return reduce_mixed(in); });
}

TEST(FractionDecimal, ToDecimal) {
  EXPECT_EQ(fraction_to_decimal({1, 4}), 0.25);
  EXPECT_EQ(fraction_to_decimal({-7, 2}), -3.5);
  EXPECT_EQ(fraction_to_decimal({1, 0}), 0.0);
  EXPECT_EQ(fraction_to_decimal({1, 3}), 1.0 / 3.0);
  EXPECT_EQ(mixed_to_decimal({2, 1, 4}), 2.25);
  EXPECT_EQ(mixed_to_decimal({2, -1, 4}), -2.25);
  EXPECT_EQ(mixed_to_decimal({2, 1, 0}), 0.0);
  // The value even where the improper fraction does not fit in fields.
  EXPECT_EQ(mixed_to_decimal({kMax, 1, 2}), 2147483647.5);
}

TEST(FractionNearest, KnownValues) {
  struct Row {
    double x;
    Fraction f;
  };
  // Expected values from an independent exact search.
  const Row rows[] = {
      {1.0 / 3.0, {1, 3}},
      {0.333333333333333, {1, 3}},
      {0.1, {1, 10}},
      {1.0 / 7.0, {1, 7}},
      {std::numbers::pi, {1881244168, 598818617}},
      {-std::numbers::e, {-1032595833, 379870778}},
      {std::numbers::sqrt2, {549964829, 388883860}},
      {12345.678901234, {1947864180, 157777}}, // numerator bound
      {1000000.0000001, {1000000, 1}},
      {999999999.5, {1999999999, 2}},
      {2147483646.7, {kMax, 1}},
      {2147483647.0, {kMax, 1}},
      {-2147483647.0, {-kMax, 1}},
      {0.0, {0, 1}},
      {-0.0, {0, 1}},
      // Around 1/4294967294, the midpoint of 0/1 and 1/2147483647.
      {1e-10, {0, 1}},
      {2.5e-10, {1, kMax}},
      {-3e-10, {-1, kMax}},
      {1e-300, {0, 1}},
      {2147483647.5, {0, 0}},
      {-2147483648.0, {0, 0}},
      {1e300, {0, 0}},
      {std::numeric_limits<double>::infinity(), {0, 0}},
      {-std::numeric_limits<double>::infinity(), {0, 0}},
      {std::numeric_limits<double>::quiet_NaN(), {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::Message() << row.x);
    EXPECT_EQ(nearest_fraction(row.x), row.f);
  }
}

// A fraction with a denominator below 2^20 is the nearest fraction to its own
// double: other fractions in range lie farther away than the double's error.
TEST(FractionNearest, RecoversSmallDenominators) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::int32_t> numerators(-kMax, kMax);
  std::uniform_int_distribution<std::int32_t> denominators(1, (1 << 20) - 1);
  for (int i = 0; i < 20000; ++i) {
    Fraction f = reduce_fraction({numerators(random), denominators(random)});
    double x = static_cast<double>(f.numerator) / f.denominator;
    ASSERT_EQ(nearest_fraction(x), f) << x;
  }
}

class FractionDecimalText : public testing::BoundRuntimeTest {};

TEST_F(FractionDecimalText, DecimalToFraction) {
  struct Row {
    double x;
    Fraction f;
  };
  const Row rows[] = {
      {0.75, {3, 4}},
      {2.5, {5, 2}},
      {12.5, {25, 2}},
      {-1.25, {-5, 4}},
      {-0.5, {-1, 2}},
      {0.1, {1, 10}},
      {3.0, {3, 1}},
      {-2.0, {-2, 1}},
      {0.0, {0, 1}},
      {-0.0, {0, 1}},
      {0.123456789, {123456789, 1000000000}}, // nine digits: the text route
      {0.00001, {1, 100000}},
      {21474836.47, {2147483647, 100}},
      {2147483647.0, {kMax, 1}},
      {-2147483647.0, {-kMax, 1}},
      // Written "3": read from the text, not truncated to 2.
      {std::nextafter(3.0, 0.0), {3, 1}},
      {std::nextafter(-2.0, 0.0), {-2, 1}},
      // More than nine digits after the point: the nearest fraction.
      {1.0 / 3.0, {1, 3}},
      {2.0 / 3.0, {2, 3}},
      {-1.0 / 7.0, {-1, 7}},
      {std::numbers::pi, {1881244168, 598818617}},
      // The scaled numerator leaves the range: the nearest fraction.
      {999999999.5, {1999999999, 2}},
      {123456789.123456789, {987654313, 8}},
      // Exponent forms.
      {1e-10, {0, 1}},
      {3e-10, {1, kMax}},
      {1e20, {0, 0}},
      // Beyond the field range, or no number at all.
      {2147483648.0, {0, 0}},
      {-2147483648.0, {0, 0}},
      {2147483647.5, {0, 0}},
      {std::numeric_limits<double>::infinity(), {0, 0}},
      {std::numeric_limits<double>::quiet_NaN(), {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::Message() << row.x);
    EXPECT_EQ(decimal_to_fraction(row.x), row.f);
  }
}

TEST_F(FractionDecimalText, DecimalToMixed) {
  struct Row {
    double x;
    MixedNumber m;
  };
  const Row rows[] = {
      {2.5, {2, 1, 2}},  {-2.5, {2, -1, 2}},       {0.75, {0, 3, 4}},
      {3.0, {3, 0, 1}},  {-2.0, {-2, 0, 1}},       {2.25, {2, 1, 4}},
      {1e20, {0, 0, 0}}, {-1.0 / 3.0, {0, -1, 3}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::Message() << row.x);
    EXPECT_EQ(decimal_to_mixed(row.x), row.m);
  }
}

TEST_F(FractionDecimalText, NearestInteger) {
  const Row<Fraction, std::int32_t> rows[] = {
      {{10, 3}, 3},        {{11, 3}, 4},
      {{-11, 3}, -4},      {{3, 0}, 0},
      {{5, 2}, 3},         {{-5, 2}, -3},
      {{1, 2}, 1},         {{-1, 2}, -1},
      {{7, 3}, 2},         {{8, 3}, 3},
      {{0, -5}, 0},        {{kMax, 1}, kMax},
      {{-kMax, 1}, -kMax}, {{kMax, 2}, 1073741824},
      {{kMin, -1}, 0}, // 2147483648 is beyond the range
  };
  expect_rows(rows, [](const Fraction &f) { return fraction_nearest_int(f); });
}

} // namespace
} // namespace qx::fraction
