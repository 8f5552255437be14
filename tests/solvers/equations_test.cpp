// Tests of the equation pages' arithmetic on plain values.
#include "solvers/equations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace qx::solvers {
namespace {

constexpr double kTolerance = 1e-07;
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(CoefficientFrom, TruncatesTowardZeroWithinRange) {
  const struct {
    double value;
    std::int32_t expected;
  } cases[] = {
      {2.7, 2},
      {-2.9, -2},
      {0.5, 0},
      {-0.5, 0},
      {2147483647.0, 2147483647},
      {2147483647.9, 2147483647},
      {-2147483648.0, -2147483647 - 1},
      {-2147483648.9, -2147483647 - 1},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.value);
    ASSERT_TRUE(coefficient_from(c.value).has_value());
    EXPECT_EQ(*coefficient_from(c.value), c.expected);
  }
}

TEST(CoefficientFrom, RejectsValuesOutsideTheRange) {
  const double cases[] = {2147483648.0, -2147483649.0, 4294967297.0,
                          2500000000.0, 1e19,          -1e300,
                          kInf,         -kInf,         kNaN};
  for (double value : cases) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(coefficient_from(value).has_value());
  }
}

TEST(QuadraticDiscriminant, IsNotCutTo32Bits) {
  EXPECT_EQ(quadratic_discriminant(1, 50000, 0, 4.0), 2500000000.0);
  EXPECT_EQ(quadratic_discriminant(1, 0, 1, 4.0), -4.0);
  EXPECT_EQ(quadratic_discriminant(1, 2, 1, 4.0), 0.0);
  // Extremes: (2^31)^2 + 4 * (2^31 - 1) * (2^31) stays a finite double.
  const double big =
      quadratic_discriminant(2147483647, -2147483647 - 1, -2147483647 - 1, 4.0);
  EXPECT_GT(big, 1.8e19);
  EXPECT_TRUE(std::isfinite(big));
}

QuadraticRoots solve(std::int32_t a, std::int32_t b, std::int32_t c) {
  const double d = quadratic_discriminant(a, b, c, 4.0);
  return quadratic_roots(a, b, c, std::sqrt(d), 2.0);
}

TEST(QuadraticRoots, ZeroRootsAreUnsigned) {
  const QuadraticRoots both = solve(1, 0, 0);
  EXPECT_EQ(both.x1, 0.0);
  EXPECT_EQ(both.x2, 0.0);
  EXPECT_FALSE(std::signbit(both.x1));
  EXPECT_FALSE(std::signbit(both.x2));
  const QuadraticRoots negative_a = solve(-3, 0, 0);
  EXPECT_FALSE(std::signbit(negative_a.x1));
  EXPECT_FALSE(std::signbit(negative_a.x2));
  const QuadraticRoots one = solve(1, 50000, 0);
  EXPECT_FALSE(std::signbit(one.x1));
}

TEST(QuadraticRoots, SmallRootKeepsItsDigits) {
  // x^2 + 1e8 x + 1 = 0: the textbook formula gives -7.45e-9.
  const QuadraticRoots plus = solve(1, 100000000, 1);
  EXPECT_NEAR(plus.x1, -1e-8, 1e-8 * 1e-14);
  EXPECT_NEAR(plus.x2, -1e8, 1e8 * 1e-15);
  const QuadraticRoots minus = solve(1, -100000000, 1);
  EXPECT_NEAR(minus.x1, 1e8, 1e8 * 1e-15);
  EXPECT_NEAR(minus.x2, 1e-8, 1e-8 * 1e-14);
  // a < 0 swaps which root is the larger one, not the accuracy.
  const QuadraticRoots negative = solve(-1, 100000000, -1);
  EXPECT_NEAR(negative.x1, 1e-8, 1e-8 * 1e-14);
  EXPECT_NEAR(negative.x2, 1e8, 1e8 * 1e-15);
}

TEST(QuadraticRoots, IntegerRootsComeOutExactlyInOrder) {
  // a (x - p)(x - q) with a = 1 and a = -1: x1 is the larger root for a > 0
  // and the smaller for a < 0.
  const std::vector<std::int32_t> values = {-46340, -1000, -7, -1,  0,
                                            1,      3,     12, 999, 46340};
  for (std::int32_t p : values) {
    for (std::int32_t q : values) {
      SCOPED_TRACE(testing::Message() << "p=" << p << " q=" << q);
      const std::int32_t sum = p + q;
      const std::int32_t product = p * q;
      const QuadraticRoots up = solve(1, -sum, product);
      EXPECT_EQ(up.x1, std::max(p, q));
      EXPECT_EQ(up.x2, std::min(p, q));
      const QuadraticRoots down = solve(-1, sum, -product);
      EXPECT_EQ(down.x1, std::min(p, q));
      EXPECT_EQ(down.x2, std::max(p, q));
    }
  }
}

TEST(IsNear, ComparesWithTheToleranceAndTakesNaNAsNear) {
  EXPECT_TRUE(is_near(1.0, 1.0, kTolerance));
  EXPECT_TRUE(is_near(1.0, 1.0 + 0.5e-7, kTolerance));
  EXPECT_FALSE(is_near(1.0, 1.0 + 2e-7, kTolerance));
  EXPECT_TRUE(is_near(kNaN, 1.0, kTolerance));
  EXPECT_TRUE(is_near(kInf, kInf, kTolerance));
  EXPECT_FALSE(is_near(kInf, -kInf, kTolerance));
  EXPECT_FALSE(is_near(kInf, 1.0, kTolerance));
}

TEST(SolveSystem, RatiosWithinTheToleranceCountAsProportional) {
  // 1e8 x + y = 1 and (1e8 + 1) x + y = 1: the a-ratio is 1 - 1e-8 against
  // the b-ratio 1, near within 1e-7 although the determinant is -1.
  const SystemSolution s =
      solve_system({100000000, 1, 1, 100000001, 1, 2}, kTolerance);
  EXPECT_EQ(s.kind, SolutionKind::None);
}

} // namespace
} // namespace qx::solvers
