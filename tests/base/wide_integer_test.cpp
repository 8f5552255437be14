// The correctly rounded quotient of wide integers, against exact rationals.
#include "base/wide_integer.h"
#include "tests/base/exact_rounding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>

namespace qx::base {
namespace {

using test::ExactInteger;
using test::ExactRational;

Int128 power_of_two(int bits) { return Int128(1) << bits; }

ExactInteger exact(const Int128 &value) {
  // Through the decimal text: the model shares no arithmetic with the code.
  return ExactInteger(value.str());
}

TEST(NearestQuotient, RoundsHalfwayCasesToEven) {
  const struct {
    Int128 numerator;
    Int128 denominator;
    double expected;
  } cases[] = {
      {1, 3, 1.0 / 3.0},
      {-7, 2, -3.5},
      {7, -2, -3.5},
      {0, -5, 0.0},
      // 2^53 + 1 lies halfway between 2^53 and 2^53 + 2: the even one wins.
      {power_of_two(53) + 1, 1, 9007199254740992.0},
      {power_of_two(53) + 3, 1, 9007199254740996.0},
      {-(power_of_two(53) + 3), 1, -9007199254740996.0},
      // Halfway only without the remainder: just above it rounds up.
      {2 * (power_of_two(53) + 1) + 1, 2, 9007199254740994.0},
      {(power_of_two(53) + 1) * 3, 3, 9007199254740992.0},
      // A 64-bit quotient and its reciprocal.
      {power_of_two(64) - 1, 1, 18446744073709551616.0},
      {1, power_of_two(64) - 1, 0x1p-64},
      // The largest system determinants: 2^63 over +-1.
      {power_of_two(63), -1, -9223372036854775808.0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.numerator.str() + " / " + c.denominator.str());
    const double q = nearest_quotient(c.numerator, c.denominator);
    EXPECT_EQ(q, c.expected);
    EXPECT_FALSE(std::signbit(q) && q == 0);
  }
}

TEST(NearestQuotient, IsTheNearestDoubleForRandomOperands) {
  std::mt19937_64 random(12);
  std::uniform_int_distribution<int> bits(1,
                                          static_cast<int>(kQuotientBits) - 1);
  for (int round = 0; round < 20000; ++round) {
    // Magnitudes of every size, so that both the plain division and the
    // exact path are taken.
    auto draw = [&] {
      const int size = bits(random);
      Int128 value = (Int128(random()) << 64) | Int128(random());
      value &= power_of_two(size) - 1;
      value |= power_of_two(size - 1);
      return random() % 2 == 0 ? value : Int128(-value);
    };
    const Int128 numerator = round % 50 == 0 ? Int128(0) : draw();
    const Int128 denominator = draw();
    SCOPED_TRACE(numerator.str() + " / " + denominator.str());
    const double q = nearest_quotient(numerator, denominator);
    EXPECT_TRUE(test::is_nearest_double(
        q, test::ratio(exact(numerator), exact(denominator))));
  }
}

TEST(NearestDouble, RoundsWideIntegers) {
  for (const Int128 &value :
       {Int128(0), Int128(-1), power_of_two(53) - 1, power_of_two(53) + 1,
        power_of_two(65) - 1, -(power_of_two(60) + power_of_two(7) + 1)}) {
    SCOPED_TRACE(value.str());
    EXPECT_TRUE(test::is_nearest_double(nearest_double(value),
                                        ExactRational(exact(value))));
  }
}

} // namespace
} // namespace qx::base
