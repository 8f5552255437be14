// Property tests: every fraction operation on many random operands against an
// exact model in unbounded integers. Within the field range the results agree
// exactly; outside it the result is the invalid value.
#include "fraction/fraction.h"
#include "tests/base/exact_rounding.h"
#include "tests/fraction/fraction_test_support.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>

namespace qx::fraction {
namespace {

// Unbounded integers: the model cannot overflow where the code under test
// would.
using Exact =
    boost::multiprecision::number<boost::multiprecision::cpp_int_backend<>,
                                  boost::multiprecision::et_off>;

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr int kRounds = 100000;

// ---- The model --------------------------------------------------------------

Exact abs_exact(Exact v) { return v < 0 ? -v : v; }
int sign_exact(Exact v) { return (v > 0) - (v < 0); }

Exact gcd_exact(Exact a, Exact b) {
  a = abs_exact(a);
  b = abs_exact(b);
  while (b != 0) {
    Exact t = a % b;
    a = b;
    b = t;
  }
  return a;
}

bool in_range(Exact v) { return v >= -Exact{kMax} && v <= Exact{kMax}; }

// n/d (d != 0) in lowest terms with a positive denominator, except that a
// zero value keeps the sign of d (0/-5 is 0/-1); 0/0 when it does not fit.
Fraction canonical(Exact n, Exact d) {
  if (n == 0)
    return {0, d < 0 ? -1 : 1};
  Exact g = gcd_exact(n, d);
  n /= g;
  d /= g;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  if (!in_range(n) || !in_range(d))
    return kInvalidFraction;
  return {static_cast<std::int32_t>(n), static_cast<std::int32_t>(d)};
}

// The exact value of a valid mixed number as numerator and denominator.
void mixed_value(MixedNumber m, Exact &n, Exact &d) {
  int s =
      sign_exact(m.whole) * sign_exact(m.numerator) * sign_exact(m.denominator);
  if (s == 0) {
    n = Exact{m.whole} * m.denominator + m.numerator;
    d = m.denominator;
    return;
  }
  n = s *
      (abs_exact(m.whole) * abs_exact(m.denominator) + abs_exact(m.numerator));
  d = abs_exact(m.denominator);
}

Exact power128(Exact base, int n) {
  Exact result = 1;
  for (int i = 0; i < n; ++i)
    result *= base;
  return result;
}

// ---- Random operands
// -----------------------------------------------------------

class Operands {
public:
  explicit Operands(std::uint32_t seed) : m_random(seed) {}

  std::int32_t field() {
    switch (pick(0, 9)) {
    case 0:
      return pick(-12, 12);
    case 1:
    case 2:
      return pick(-50000, 50000);
    case 3:
      return kMax - pick(0, 1000);
    case 4:
      return -kMax + pick(0, 1000);
    case 5:
      return pick(0, 99) == 0 ? kMin : pick(-kMax, kMax);
    case 6:
      // Products of small primes reduce a lot.
      return (pick(0, 1) ? 1 : -1) * (1 << pick(0, 12)) * pick(1, 9) *
             pick(1, 729);
    default:
      return pick(-kMax, kMax);
    }
  }
  std::int32_t denominator() { return pick(0, 49) == 0 ? 0 : field(); }
  Fraction fraction() { return {field(), denominator()}; }
  MixedNumber mixed() { return {field(), field(), denominator()}; }
  std::int32_t pick(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(m_random);
  }

private:
  std::mt19937 m_random;
};

// ---- Properties
// ----------------------------------------------------------------

TEST(FractionModel, ReduceAndSigns) {
  Operands operands(1);
  for (int i = 0; i < kRounds; ++i) {
    Fraction f = operands.fraction();
    SCOPED_TRACE(::testing::PrintToString(f));
    if (!is_valid(f)) {
      ASSERT_EQ(reduce_fraction(f), f);
      continue;
    }
    ASSERT_EQ(reduce_fraction(f), canonical(f.numerator, f.denominator));
    ASSERT_EQ(is_proper(f), abs_exact(f.numerator) < abs_exact(f.denominator));
    Fraction normalized = normalize_fraction_sign(f);
    if (in_range(f.numerator) && in_range(f.denominator)) {
      ASSERT_EQ(Exact{normalized.numerator} * f.denominator,
                Exact{f.numerator} * normalized.denominator);
      ASSERT_TRUE(normalized.numerator == 0 || normalized.denominator > 0);
    } else {
      ASSERT_EQ(normalized, kInvalidFraction);
    }
  }
}

TEST(FractionModel, GcdAndLcm) {
  Operands operands(2);
  for (int i = 0; i < kRounds; ++i) {
    std::int32_t a = operands.field();
    std::int32_t b = operands.field();
    if (a == kMin || b == kMin)
      continue;
    SCOPED_TRACE(::testing::Message() << a << ", " << b);
    Exact g = gcd_exact(a, b);
    ASSERT_EQ(gcd(std::abs(a), std::abs(b)), g);
    Exact multiple = (a == 0 || b == 0) ? 0 : abs_exact(Exact{a} * b) / g;
    Exact expected = in_range(multiple) ? multiple * (a < 0 ? -1 : 1) : 0;
    ASSERT_EQ(lcm(a, b), expected);
  }
}

TEST(FractionModel, FourOperations) {
  Operands operands(3);
  for (int i = 0; i < kRounds; ++i) {
    Fraction a = operands.fraction();
    Fraction b = operands.fraction();
    std::int32_t op = operands.pick(0, 5);
    SCOPED_TRACE(::testing::PrintToString(a) + " op " + std::to_string(op) +
                 " " + ::testing::PrintToString(b));
    Fraction result = fraction_arith(a, op, b);
    if (!is_valid(a) || !is_valid(b) || op < 1 || op > 4) {
      ASSERT_EQ(result, kInvalidFraction);
      continue;
    }
    Exact an = a.numerator, ad = a.denominator;
    Exact bn = b.numerator, bd = b.denominator;
    Fraction expected{};
    switch (op) {
    case 1:
    case 2: {
      Exact n = op == 1 ? an * bd + bn * ad : an * bd - bn * ad;
      // Sums are taken over the positive common denominator.
      expected = n == 0 ? Fraction{0, 1} : canonical(n, ad * bd);
      break;
    }
    case 3:
      expected = canonical(an * bn, ad * bd);
      break;
    default:
      if (bn == 0)
        expected = in_range(an * bd)
                       ? Fraction{static_cast<std::int32_t>(an * bd), 0}
                       : kInvalidFraction;
      else
        expected = canonical(an * bd, ad * bn);
    }
    ASSERT_EQ(result, expected);
  }
}

TEST(FractionModel, CommonDenominator) {
  Operands operands(4);
  for (int i = 0; i < kRounds; ++i) {
    Fraction a = operands.fraction();
    Fraction b = operands.fraction();
    SCOPED_TRACE(::testing::PrintToString(a) + " and " +
                 ::testing::PrintToString(b));
    auto [first, second] = common_denominator(a, b);
    if (!is_valid(a) || !is_valid(b)) {
      ASSERT_EQ(first, a);
      ASSERT_EQ(second, b);
      continue;
    }
    // Reduced first (without a range check), then scaled to the lcm.
    Exact ga = gcd_exact(a.numerator, a.denominator);
    Exact gb = gcd_exact(b.numerator, b.denominator);
    Exact da = abs_exact(a.denominator) / ga,
          db = abs_exact(b.denominator) / gb;
    Exact na = Exact{a.numerator} / ga * sign_exact(a.denominator);
    Exact nb = Exact{b.numerator} / gb * sign_exact(b.denominator);
    Exact common = da / gcd_exact(da, db) * db;
    Exact sa = na * (common / da), sb = nb * (common / db);
    if (!in_range(common) || !in_range(sa) || !in_range(sb)) {
      ASSERT_EQ(first, kInvalidFraction);
      ASSERT_EQ(second, kInvalidFraction);
      continue;
    }
    auto c = static_cast<std::int32_t>(common);
    ASSERT_EQ(first, (Fraction{static_cast<std::int32_t>(sa), c}));
    ASSERT_EQ(second, (Fraction{static_cast<std::int32_t>(sb), c}));
  }
}

TEST(FractionModel, Powers) {
  Operands operands(5);
  for (int i = 0; i < kRounds; ++i) {
    Fraction f = operands.pick(0, 1) ? operands.fraction()
                                     : Fraction{operands.pick(-3000, 3000),
                                                operands.pick(-3000, 3000)};
    std::int32_t n = operands.pick(-3, 3);
    SCOPED_TRACE(::testing::PrintToString(f) + " ^ " + std::to_string(n));
    Fraction result = fraction_power(f, n);
    if (!is_valid(f)) {
      ASSERT_EQ(result, f);
      continue;
    }
    Fraction expected{};
    if (n == 0)
      expected = {1, 1};
    else if (n > 0)
      expected =
          canonical(power128(f.numerator, n), power128(f.denominator, n));
    else if (f.numerator == 0)
      expected = kInvalidFraction;
    else
      expected =
          canonical(power128(f.denominator, -n), power128(f.numerator, -n));
    ASSERT_EQ(result, expected);
  }
}

// The shape of a mixed number the module produces from a value: a proper
// fraction part in lowest terms, the sign on the numerator, or on the whole
// part for a negative whole number.
void expect_canonical_mixed(MixedNumber m) {
  ASSERT_GT(m.denominator, 0);
  ASSERT_LT(abs_exact(m.numerator), Exact{m.denominator});
  if (m.numerator == 0) {
    ASSERT_EQ(m.denominator, 1);
    return;
  }
  ASSERT_EQ(gcd_exact(m.numerator, m.denominator), 1);
  ASSERT_GE(m.whole, 0);
}

TEST(FractionModel, MixedNumbers) {
  Operands operands(6);
  for (int i = 0; i < kRounds; ++i) {
    MixedNumber m = operands.pick(0, 1)
                        ? operands.mixed()
                        : MixedNumber{operands.pick(-100, 100),
                                      operands.field(), operands.denominator()};
    SCOPED_TRACE(::testing::PrintToString(m));
    if (!is_valid(m)) {
      ASSERT_EQ(mixed_to_fraction(m), kInvalidFraction);
      ASSERT_EQ(reduce_mixed(m), m);
      ASSERT_EQ(mixed_to_decimal(m), 0.0);
      continue;
    }
    Exact n = 0, d = 0;
    mixed_value(m, n, d);
    Fraction improper = mixed_to_fraction(m);
    ASSERT_EQ(improper, canonical(n, d));
    ASSERT_TRUE(
        test::is_nearest_double(mixed_to_decimal(m), test::ratio(n, d)));

    // reduce_mixed: the same value in canonical shape, or invalid when a
    // field of that shape does not fit.
    MixedNumber reduced = reduce_mixed(m);
    if (n == 0) {
      ASSERT_EQ(reduced, (MixedNumber{0, 0, d < 0 ? -1 : 1}));
      continue;
    }
    Exact g = gcd_exact(n, d);
    Exact rn = abs_exact(n) / g, rd = abs_exact(d) / g;
    Exact whole = rn / rd;
    if (!in_range(whole) || !in_range(rd)) {
      ASSERT_EQ(reduced, kInvalidMixed);
      continue;
    }
    ASSERT_NO_FATAL_FAILURE(expect_canonical_mixed(reduced));
    Exact value_n = 0, value_d = 0;
    mixed_value(reduced, value_n, value_d);
    ASSERT_EQ(value_n * d, n * value_d);
    ASSERT_EQ(fraction_to_mixed(improper),
              is_valid(improper) ? reduced : kInvalidMixed);
    ASSERT_EQ(normalize_mixed_sign(reduced), reduced);
  }
}

TEST(FractionModel, FractionToMixedKeepsTheValue) {
  Operands operands(7);
  for (int i = 0; i < kRounds; ++i) {
    Fraction f = operands.fraction();
    SCOPED_TRACE(::testing::PrintToString(f));
    MixedNumber m = fraction_to_mixed(f);
    if (!is_valid(f)) {
      ASSERT_EQ(m, kInvalidMixed);
      continue;
    }
    if (f.numerator == 0) {
      ASSERT_EQ(m, (MixedNumber{0, 0, f.denominator < 0 ? -1 : 1}));
      continue;
    }
    Exact whole = abs_exact(f.numerator) / abs_exact(f.denominator);
    if (!in_range(whole) || !in_range(abs_exact(f.denominator) /
                                      gcd_exact(f.numerator, f.denominator))) {
      ASSERT_EQ(m, kInvalidMixed);
      continue;
    }
    ASSERT_NO_FATAL_FAILURE(expect_canonical_mixed(m));
    Exact n = 0, d = 0;
    mixed_value(m, n, d);
    ASSERT_EQ(n * f.denominator, Exact{f.numerator} * d);
  }
}

// numerator / denominator rounded half away from zero; 0 for an invalid f or
// a result beyond the field range.
Exact nearest_integer(Fraction f) {
  if (!is_valid(f))
    return 0;
  Exact n = abs_exact(f.numerator);
  Exact d = abs_exact(f.denominator);
  Exact rounded = (2 * n + d) / (2 * d) * sign_exact(f.numerator) *
                  sign_exact(f.denominator);
  return in_range(rounded) ? rounded : 0;
}

class FractionModelText : public testing::BoundRuntimeTest {};

TEST_F(FractionModelText, TextsRoundTrip) {
  Operands operands(8);
  for (int i = 0; i < kRounds / 20; ++i) {
    Fraction f = operands.fraction();
    SCOPED_TRACE(::testing::PrintToString(f));
    Fraction reduced = reduce_fraction(f);
    const ShortText text = format_fraction(f);
    if (is_valid(reduced)) {
      ASSERT_EQ(parse_fraction(text.c_str()), reduced);
      ASSERT_EQ(text_to_fraction(text.c_str()), reduced);
    }
    MixedNumber m = fraction_to_mixed(f);
    const ShortText mixed_text = format_mixed(m);
    if (is_valid(m)) {
      // Also "-0&1/3", minus one third, reads back as itself.
      ASSERT_EQ(parse_mixed(mixed_text.c_str()), m);
      ASSERT_EQ(text_to_fraction(mixed_text.c_str()), reduced);
    }
    ASSERT_EQ(fraction_nearest_int(f), nearest_integer(f));
  }
}

} // namespace
} // namespace qx::fraction
