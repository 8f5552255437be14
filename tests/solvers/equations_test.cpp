// Tests of the equation pages' arithmetic on plain values.
#include "solvers/equations.h"
#include "tests/base/exact_rounding.h"
#include "tests/solvers/exact_roots.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace qx::solvers {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = -2147483647 - 1;

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

TEST(QuadraticDiscriminant, IsExact) {
  const struct {
    std::int32_t a, b, c;
    const char *expected;
  } cases[] = {
      {1, 50000, 0, "2500000000"},
      {1, 0, 1, "-4"},
      {1, 2, 1, "0"},
      // Beyond 2^53, where doubles drop the last digits.
      {99999989, 199999980, 99999991, "4"},
      {1073741789, 1866107890, 810799834, "-4"},
      {kMin, kMin, kMin, "-13835058055282163712"},
      {kMax, kMin, kMin, "23058430083547004928"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.c);
    EXPECT_EQ(quadratic_discriminant(c.a, c.b, c.c).str(), c.expected);
  }
}

QuadraticRoots solve(std::int32_t a, std::int32_t b, std::int32_t c) {
  const base::Int128 d = quadratic_discriminant(a, b, c);
  return quadratic_roots(a, b, c, std::sqrt(base::nearest_double(d)), 2.0);
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

// ---- Exact models
// ------------------------------------------------------------

using test::ExactInteger;
using test::ExactRational;

// The verdict of a system by elimination on exact rationals, independent of
// the determinant rule under test.
SolutionKind exact_kind(const SystemCoefficients &k) {
  const ExactInteger d = ExactInteger(k.a1) * k.b2 - ExactInteger(k.a2) * k.b1;
  if (d != 0)
    return SolutionKind::Unique;
  // Rows (a, b, c); with the determinant 0 the coefficient rows are
  // multiples of each other.
  const std::int32_t rows[2][3] = {{k.a1, k.b1, k.c1}, {k.a2, k.b2, k.c2}};
  const bool zero_row[2] = {k.a1 == 0 && k.b1 == 0, k.a2 == 0 && k.b2 == 0};
  if (zero_row[0] && zero_row[1])
    return k.c1 == 0 && k.c2 == 0 ? SolutionKind::Infinite : SolutionKind::None;
  const int pivot = zero_row[0] ? 1 : 0;
  const int other = 1 - pivot;
  if (zero_row[other])
    return rows[other][2] == 0 ? SolutionKind::Infinite : SolutionKind::None;
  // other = factor * pivot in a and b; consistent when also in c.
  const int column = rows[pivot][0] != 0 ? 0 : 1;
  const ExactRational factor =
      test::ratio(rows[other][column], rows[pivot][column]);
  return factor * rows[pivot][2] == rows[other][2] ? SolutionKind::Infinite
                                                   : SolutionKind::None;
}

// Random coefficients of mixed sizes, from one digit to the full 32 bits.
class CoefficientSource {
public:
  explicit CoefficientSource(std::uint64_t seed) : m_random(seed) {}

  std::int32_t next() {
    static constexpr int kBits[] = {2, 4, 14, 27, 31, 32};
    const int bits = kBits[m_random() % std::size(kBits)];
    if (bits == 32)
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(m_random()));
    const auto limit = std::int64_t{1} << (bits - 1);
    const auto value =
        static_cast<std::int64_t>(m_random() % (2 * limit)) - limit;
    return static_cast<std::int32_t>(value);
  }
  std::uint64_t raw() { return m_random(); }

private:
  std::mt19937_64 m_random;
};

TEST(QuadraticRoots, AgreeWithTheExactDiscriminantForRandomCoefficients) {
  CoefficientSource source(3);
  int real = 0;
  for (int round = 0; round < 40000; ++round) {
    const std::int32_t a = source.next();
    const std::int32_t b = source.next();
    const std::int32_t c = source.next();
    if (a == 0)
      continue;
    SCOPED_TRACE(testing::Message() << a << " " << b << " " << c);
    const ExactInteger d = ExactInteger(b) * b - 4 * ExactInteger(a) * c;
    ASSERT_EQ(quadratic_discriminant(a, b, c).str(), d.str());
    if (d < 0)
      continue;
    ++real;
    const QuadraticRoots roots = solve(a, b, c);
    // A few units in the last place: 2^-50 is 4.5 of them.
    EXPECT_TRUE(test::near_root(roots.x1, a, b, d, +1, 50)) << roots.x1;
    EXPECT_TRUE(test::near_root(roots.x2, a, b, d, -1, 50)) << roots.x2;
  }
  EXPECT_GT(real, 10000);
}

TEST(QuadraticRoots, DoubleRootIsMinusBOverTwoA) {
  const struct {
    std::int32_t a, b, c;
    double root;
  } cases[] = {
      {1, 2, 1, -1.0},
      {4, -4, 1, 0.5},
      {1073741657, 2147483314, 1073741657, -1.0},
      {-3, 0, 0, 0.0},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.c);
    const QuadraticRoots roots = solve(c.a, c.b, c.c);
    EXPECT_EQ(roots.x1, c.root);
    EXPECT_EQ(roots.x2, c.root);
    if (c.root == 0) {
      EXPECT_FALSE(std::signbit(roots.x1) || std::signbit(roots.x2));
    }
  }
}

TEST(SolveSystem, ClassifiesEveryDegenerateKind) {
  const struct {
    SystemCoefficients k;
    SolutionKind kind;
  } cases[] = {
      // A zero row with a zero or a nonzero right-hand side.
      {{0, 0, 0, 1, 1, 2}, SolutionKind::Infinite},
      {{0, 0, 1, 1, 1, 2}, SolutionKind::None},
      {{1, 1, 2, 0, 0, 0}, SolutionKind::Infinite},
      {{1, 1, 2, 0, 0, 5}, SolutionKind::None},
      // Both rows zero.
      {{0, 0, 0, 0, 0, 0}, SolutionKind::Infinite},
      {{0, 0, 1, 0, 0, 2}, SolutionKind::None},
      {{0, 0, 0, 0, 0, -3}, SolutionKind::None},
      // Proportional rows, consistent and not.
      {{1, 2, 3, 2, 4, 6}, SolutionKind::Infinite},
      {{1, 2, 3, 2, 4, 7}, SolutionKind::None},
      {{-3, 6, 9, 1, -2, -3}, SolutionKind::Infinite},
      {{kMax, kMin + 1, 1, kMin + 1, kMax, -1}, SolutionKind::Infinite},
      {{kMax, kMin + 1, 1, kMin + 1, kMax, 1}, SolutionKind::None},
      // One variable missing from both equations.
      {{1, 0, 1, 1, 0, 2}, SolutionKind::None},
      {{1, 0, 1, 2, 0, 2}, SolutionKind::Infinite},
      {{0, 5, 10, 0, 3, 6}, SolutionKind::Infinite},
      {{0, 5, 10, 0, 3, 7}, SolutionKind::None},
  };
  for (const auto &c : cases) {
    const SystemCoefficients &k = c.k;
    SCOPED_TRACE(testing::Message()
                 << k.a1 << " " << k.b1 << " " << k.c1 << " / " << k.a2 << " "
                 << k.b2 << " " << k.c2);
    EXPECT_EQ(solve_system(k).kind, c.kind);
    EXPECT_EQ(exact_kind(k), c.kind);
  }
}

TEST(SolveSystem, SmallDeterminantsOfLargeCoefficients) {
  // n + 1, n - 1 over n, n - 2 has the determinant -2.
  const struct {
    SystemCoefficients k;
    double x, y;
  } cases[] = {
      {{4000, 4001, 1, 3999, 4000, 1}, -1, 1},
      {{40000000, 40000001, 1, 39999999, 40000000, 1}, -1, 1},
      {{kMax, kMax - 1, 1, kMax - 1, kMax - 2, 1}, 1, -1},
      {{10001, 9999, 1, 10000, 9998, 0}, -4999, 5000},
      {{kMax, kMax - 2, 1, kMax - 1, kMax - 3, 0},
       (kMax - 3) / -2.0,
       (kMax - 1) / 2.0},
      {{100000000, 1, 1, 100000001, 1, 2}, 1, -99999999},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.k.a1 << " " << c.k.b1);
    const SystemSolution s = solve_system(c.k);
    EXPECT_EQ(s.kind, SolutionKind::Unique);
    EXPECT_EQ(s.x, c.x);
    EXPECT_EQ(s.y, c.y);
  }
}

TEST(SolveSystem, AgreesWithExactRationalsForRandomCoefficients) {
  CoefficientSource source(4);
  int degenerate = 0;
  for (int round = 0; round < 40000; ++round) {
    SystemCoefficients k{source.next(), source.next(), source.next(),
                         source.next(), source.next(), source.next()};
    // Every third system has proportional coefficient rows.
    if (round % 3 == 0) {
      const std::int32_t factor =
          static_cast<std::int32_t>(source.raw() % 7) - 3;
      k.a1 = static_cast<std::int32_t>(k.a1 / 1024);
      k.b1 = static_cast<std::int32_t>(k.b1 / 1024);
      k.a2 = k.a1 * factor;
      k.b2 = k.b1 * factor;
      if (source.raw() % 2 == 0)
        k.c2 = static_cast<std::int32_t>(k.c1 / 1024) * factor;
    }
    SCOPED_TRACE(testing::Message()
                 << k.a1 << " " << k.b1 << " " << k.c1 << " / " << k.a2 << " "
                 << k.b2 << " " << k.c2);
    const SystemSolution s = solve_system(k);
    const SolutionKind expected = exact_kind(k);
    ASSERT_EQ(s.kind, expected);
    if (expected != SolutionKind::Unique) {
      ++degenerate;
      continue;
    }
    const ExactInteger d =
        ExactInteger(k.a1) * k.b2 - ExactInteger(k.a2) * k.b1;
    const ExactInteger dx =
        ExactInteger(k.c1) * k.b2 - ExactInteger(k.b1) * k.c2;
    const ExactInteger dy =
        ExactInteger(k.a1) * k.c2 - ExactInteger(k.a2) * k.c1;
    EXPECT_TRUE(test::is_nearest_double(s.x, test::ratio(dx, d))) << s.x;
    EXPECT_TRUE(test::is_nearest_double(s.y, test::ratio(dy, d))) << s.y;
  }
  EXPECT_GT(degenerate, 5000);
}
} // namespace
} // namespace qx::solvers
