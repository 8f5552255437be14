// Tests of the fraction arithmetic: sign rules, gcd and lcm, reduction,
// common denominators, the four operations and powers, with the boundaries
// of the field range.
#include "fraction/fraction.h"
#include "tests/fraction/fraction_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qx::fraction {
namespace {

using qx::fraction::testing::expect_rows;
using qx::fraction::testing::Row;

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

constexpr std::int32_t kAdd = 1;
constexpr std::int32_t kSubtract = 2;
constexpr std::int32_t kMultiply = 3;
constexpr std::int32_t kDivide = 4;

TEST(FractionPredicates, ValidityAndProperness) {
  struct Row {
    Fraction f;
    bool valid;
    bool proper;
  };
  const Row rows[] = {
      {{3, 4}, true, true},        {{-3, 4}, true, true},
      {{3, -4}, true, true},       {{0, 5}, true, true},
      {{4, 4}, true, false},       {{5, 4}, true, false},
      {{-5, 4}, true, false},      {{3, 0}, false, false},
      {{0, 0}, false, false},      {{kMax - 1, kMax}, true, true},
      {{kMin, kMax}, true, false}, {{kMax, kMin}, true, true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.f));
    EXPECT_EQ(is_valid(row.f), row.valid);
    EXPECT_EQ(is_proper(row.f), row.proper);
  }
  EXPECT_TRUE(is_valid(MixedNumber{0, 0, 3}));
  EXPECT_FALSE(is_valid(MixedNumber{2, 1, 0}));
}

TEST(FractionSign, NormalizeFraction) {
  const Row<Fraction, Fraction> rows[] = {
      {{3, 4}, {3, 4}},    {{-3, 4}, {-3, 4}}, {{3, -4}, {-3, 4}},
      {{-3, -4}, {3, 4}},  {{0, -5}, {0, -5}}, {{0, 5}, {0, 5}},
      {{-4, 0}, {-4, 0}},  {{4, 0}, {4, 0}},   {{kMax, -kMax}, {-kMax, kMax}},
      {{kMin, 3}, {0, 0}}, // outside the field range
      {{3, kMin}, {0, 0}}, // -kMin does not fit
  };
  expect_rows(rows,
              [](const Fraction &in) { return normalize_fraction_sign(in); });
}

TEST(FractionSign, NormalizeMixed) {
  const Row<MixedNumber, MixedNumber> rows[] = {
      {{-2, 1, 3}, {2, -1, 3}},
      {{2, -1, -3}, {2, 1, 3}},
      {{2, -1, 3}, {2, -1, 3}},
      {{-2, -1, -3}, {2, -1, 3}},
      {{0, -1, 3}, {0, -1, 3}}, // product 0: unchanged
      {{-2, 0, 1}, {-2, 0, 1}},
      {{0, 1, -3}, {0, 1, -3}},
      // The product of these fields leaves 32 bits; the sign still comes out
      // right.
      {{-100000, 70000, 90001}, {100000, -70000, 90001}},
      {{kMax, kMax, -kMax}, {kMax, -kMax, kMax}},
      {{kMin, 1, 2}, {0, 0, 0}},
  };
  expect_rows(rows,
              [](const MixedNumber &in) { return normalize_mixed_sign(in); });
}

TEST(FractionDivisors, GcdAndLcm) {
  struct Row {
    std::int32_t a;
    std::int32_t b;
    std::int32_t gcd;
    std::int32_t lcm;
  };
  const Row rows[] = {
      {12, 18, 6, 36},
      {0, 7, 7, 0},
      {7, 0, 7, 0},
      {4, 6, 2, 12},
      {1, 9, 1, 9},
      {9, 1, 1, 9},
      {-4, 6, 2, -12}, // the multiple takes a's sign
      {4, -6, -2, 12}, // Euclid's remainders take the dividend's sign
      {kMax, kMax, kMax, kMax},
      {kMax, 1, 1, kMax},
      {46340, 46341, 1, 2147441940}, // just fits
      {46341, 46342, 1, 0},          // 2147534622 does not fit
      {kMax, kMax - 1, 1, 0},
      {65536, 32768, 32768, 65536},
      {kMin, 0, kMin, 0},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::Message() << row.a << ", " << row.b);
    EXPECT_EQ(gcd(row.a, row.b), row.gcd);
    EXPECT_EQ(lcm(row.a, row.b), row.lcm);
  }
}

TEST(FractionReduce, LowestTermsAndCanonicalSign) {
  const Row<Fraction, Fraction> rows[] = {
      {{6, 8}, {3, 4}},
      {{6, -8}, {-3, 4}},
      {{-6, -8}, {3, 4}},
      {{0, 5}, {0, 1}},
      {{0, -5}, {0, -1}},
      {{5, 0}, {5, 0}},   // invalid: unchanged
      {{-4, 0}, {-4, 0}}, // no sign change for invalid values
      {{kMin, 0}, {kMin, 0}},
      {{kMax, kMax}, {1, 1}},
      {{kMax, -1}, {-kMax, 1}},
      {{kMin, 2}, {-1073741824, 1}}, // reduces into the range
      {{kMin, 1}, {0, 0}},           // -2147483648 does not fit
      {{1, kMin}, {0, 0}},
  };
  expect_rows(rows, [](const Fraction &in) { return reduce_fraction(in); });
}

TEST(FractionCommonDenominator, Pairs) {
  struct Row {
    Fraction a;
    Fraction b;
    Fraction a_out;
    Fraction b_out;
  };
  const Row rows[] = {
      {{1, 6}, {3, 4}, {2, 12}, {9, 12}},
      {{2, 4}, {1, 3}, {3, 6}, {2, 6}},
      {{-1, 2}, {1, -3}, {-3, 6}, {-2, 6}},
      {{0, -5}, {1, 3}, {0, 3}, {1, 3}},
      {{3, 0}, {1, 2}, {3, 0}, {1, 2}}, // invalid operands come back as given
      {{1, 2}, {-4, 0}, {1, 2}, {-4, 0}},
      {{1, 46340}, {1, 46341}, {46341, 2147441940}, {46340, 2147441940}},
      // The common denominator 2147534622 does not fit.
      {{1, 46341}, {1, 46342}, {0, 0}, {0, 0}},
      // Scaled numerator 2 × 2147483647 does not fit.
      {{kMax, 1}, {1, 2}, {0, 0}, {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.a) + " and " +
                 ::testing::PrintToString(row.b));
    auto [a, b] = common_denominator(row.a, row.b);
    EXPECT_EQ(a, row.a_out);
    EXPECT_EQ(b, row.b_out);
  }
}

TEST(FractionArith, FourOperations) {
  struct Row {
    Fraction a;
    std::int32_t op;
    Fraction b;
    Fraction result;
  };
  const Row rows[] = {
      {{1, 2}, kAdd, {1, 3}, {5, 6}},
      {{1, 2}, kSubtract, {1, 3}, {1, 6}},
      {{1, 3}, kSubtract, {1, 2}, {-1, 6}},
      {{2, 3}, kMultiply, {3, 4}, {1, 2}},
      {{1, 2}, kDivide, {1, 4}, {2, 1}},
      {{1, 2}, kDivide, {-1, 4}, {-2, 1}},
      {{1, -2}, kMultiply, {1, 3}, {-1, 6}},
      {{1, 2}, kSubtract, {1, 2}, {0, 1}},
      {{0, 1}, kMultiply, {1, -2}, {0, -1}}, // operands as supplied
      {{3, 4}, kDivide, {0, 5}, {15, 0}},    // division by a zero fraction
      {{3, 4}, kDivide, {0, 1}, {3, 0}},
      {{3, 0}, kAdd, {1, 2}, {0, 0}}, // invalid operand
      {{1, 2}, kMultiply, {1, 0}, {0, 0}},
      {{1, 2}, 0, {1, 3}, {0, 0}}, // operator codes outside 1 to 4
      {{1, 2}, 5, {1, 3}, {0, 0}},
      {{1, 2}, -1, {1, 3}, {0, 0}},
      // Intermediates beyond 32 bits, results within the range.
      {{kMax, 2}, kAdd, {1, 2}, {1073741824, 1}},
      {{kMax, 1}, kSubtract, {kMax, 1}, {0, 1}},
      {{65536, 65537}, kMultiply, {65537, 65536}, {1, 1}},
      {{kMax, kMax - 1}, kDivide, {kMax, kMax - 1}, {1, 1}},
      {{kMax, 1}, kAdd, {-1, 1}, {kMax - 1, 1}},
      // Results beyond the range are invalid instead of wrapped.
      {{kMax, 1}, kAdd, {1, 1}, {0, 0}},
      {{-kMax, 1}, kSubtract, {1, 1}, {0, 0}},
      {{65536, 1}, kMultiply, {65536, 1}, {0, 0}},
      {{1, 65536}, kMultiply, {1, 32768}, {0, 0}},
      {{kMax, 1}, kDivide, {1, 2}, {0, 0}},
      // 92683/2147534622 is in lowest terms; its denominator does not fit.
      {{1, 46341}, kAdd, {1, 46342}, {0, 0}},
      // Zero sums over a negative product of denominators are 0/1.
      {{1, -2}, kAdd, {1, 2}, {0, 1}},
      {{-3, 4}, kSubtract, {3, -4}, {0, 1}},
      // Both cross products near 2^62: their sum near 2^63, reduced to fit.
      {{kMax, kMax - 1}, kAdd, {kMax, kMax - 1}, {kMax, 1073741823}},
      {{-kMax, kMax - 1}, kSubtract, {kMax, kMax - 1}, {-kMax, 1073741823}},
      {{kMax - 1, kMax}, kSubtract, {-(kMax - 1), kMax}, {0, 0}},
      {{kMax, kMax - 2}, kSubtract, {kMax - 1, kMax - 2}, {1, kMax - 2}},
      // Fields of -2147483648 enter sums and products exactly.
      {{kMin, 2}, kAdd, {1, 2}, {-2147483647, 2}},
      {{kMin, 4}, kSubtract, {kMin, 4}, {0, 1}},
      {{kMin, kMin}, kMultiply, {kMin, kMin}, {1, 1}},
      {{kMin, 2}, kDivide, {kMin, 4}, {2, 1}},
      {{1, kMin}, kAdd, {1, kMin}, {-1, 1073741824}},
      {{kMin, 1}, kDivide, {0, -5}, {0, 0}},
      {{-7, 1}, kDivide, {0, -5}, {35, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.a) + " op " +
                 std::to_string(row.op) + " " +
                 ::testing::PrintToString(row.b));
    EXPECT_EQ(fraction_arith(row.a, row.op, row.b), row.result);
  }
}

TEST(FractionPower, Exponents) {
  struct Row {
    Fraction f;
    std::int32_t n;
    Fraction result;
  };
  const Row rows[] = {
      {{-2, 3}, 2, {4, 9}},
      {{6, 8}, 2, {9, 16}},
      {{3, 0}, 2, {3, 0}}, // invalid: unchanged
      {{3, -4}, 3, {-27, 64}},
      {{0, -5}, 2, {0, 1}},
      {{0, -5}, 3, {0, -1}},
      {{2, 3}, 0, {1, 1}},
      {{0, 5}, 0, {1, 1}},
      {{46340, 1}, 2, {2147395600, 1}}, // fits
      {{46341, 1}, 2, {0, 0}},          // 2147488281 does not
      {{65536, 1}, 2, {0, 0}},          // 2^32: not wrapped to 0/1
      {{1, 65536}, 2, {0, 0}},
      {{65536, 65536}, 2, {1, 1}}, // reduced before squaring
      {{-1, 1}, kMax, {-1, 1}},
      {{1, 1}, kMin, {1, 1}},
      {{2, 1}, 30, {1073741824, 1}},
      {{2, 1}, 31, {0, 0}},
      // Negative exponents raise the reciprocal.
      {{2, 3}, -1, {3, 2}},
      {{-2, 3}, -3, {-27, 8}},
      {{0, 3}, -1, {0, 0}},
      {{2, 1}, kMin, {0, 0}},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.f) + " ^ " +
                 std::to_string(row.n));
    EXPECT_EQ(fraction_power(row.f, row.n), row.result);
  }
}

} // namespace
} // namespace qx::fraction
