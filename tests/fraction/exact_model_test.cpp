// Property tests: every fraction operation on many random operands against an
// exact model in 128-bit integers. Within the field range the results agree
// exactly; outside it the result is the invalid value.
#include "fraction/fraction.h"
#include "tests/fraction/fraction_test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>

namespace qx::fraction {
namespace {

__extension__ typedef __int128 Int128;

constexpr std::int32_t kMax = 2147483647;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr int kRounds = 100000;

// ---- The model --------------------------------------------------------------

Int128 abs128(Int128 v) { return v < 0 ? -v : v; }
int sign128(Int128 v) { return (v > 0) - (v < 0); }

Int128 gcd128(Int128 a, Int128 b) {
  a = abs128(a);
  b = abs128(b);
  while (b != 0) {
    Int128 t = a % b;
    a = b;
    b = t;
  }
  return a;
}

bool in_range(Int128 v) { return v >= -Int128{kMax} && v <= Int128{kMax}; }

// n/d (d != 0) in lowest terms with a positive denominator, except that a
// zero value keeps the sign of d (0/-5 is 0/-1); 0/0 when it does not fit.
Fraction canonical(Int128 n, Int128 d) {
  if (n == 0)
    return {0, d < 0 ? -1 : 1};
  Int128 g = gcd128(n, d);
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
void mixed_value(MixedNumber m, Int128 &n, Int128 &d) {
  int s = sign128(m.whole) * sign128(m.numerator) * sign128(m.denominator);
  if (s == 0) {
    n = Int128{m.whole} * m.denominator + m.numerator;
    d = m.denominator;
    return;
  }
  n = s * (abs128(m.whole) * abs128(m.denominator) + abs128(m.numerator));
  d = abs128(m.denominator);
}

Int128 power128(Int128 base, int n) {
  Int128 result = 1;
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
    ASSERT_EQ(is_proper(f), abs128(f.numerator) < abs128(f.denominator));
    Fraction normalized = normalize_fraction_sign(f);
    if (in_range(f.numerator) && in_range(f.denominator)) {
      ASSERT_EQ(Int128{normalized.numerator} * f.denominator,
                Int128{f.numerator} * normalized.denominator);
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
    Int128 g = gcd128(a, b);
    ASSERT_EQ(gcd(std::abs(a), std::abs(b)), g);
    Int128 multiple = (a == 0 || b == 0) ? 0 : abs128(Int128{a} * b) / g;
    Int128 expected = in_range(multiple) ? multiple * (a < 0 ? -1 : 1) : 0;
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
    Int128 an = a.numerator, ad = a.denominator;
    Int128 bn = b.numerator, bd = b.denominator;
    Fraction expected{};
    switch (op) {
    case 1:
    case 2: {
      Int128 n = op == 1 ? an * bd + bn * ad : an * bd - bn * ad;
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
    Int128 ga = gcd128(a.numerator, a.denominator);
    Int128 gb = gcd128(b.numerator, b.denominator);
    Int128 da = abs128(a.denominator) / ga, db = abs128(b.denominator) / gb;
    Int128 na = Int128{a.numerator} / ga * sign128(a.denominator);
    Int128 nb = Int128{b.numerator} / gb * sign128(b.denominator);
    Int128 common = da / gcd128(da, db) * db;
    Int128 sa = na * (common / da), sb = nb * (common / db);
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
  ASSERT_LT(abs128(m.numerator), Int128{m.denominator});
  if (m.numerator == 0) {
    ASSERT_EQ(m.denominator, 1);
    return;
  }
  ASSERT_EQ(gcd128(m.numerator, m.denominator), 1);
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
    Int128 n = 0, d = 0;
    mixed_value(m, n, d);
    Fraction improper = mixed_to_fraction(m);
    ASSERT_EQ(improper, canonical(n, d));

    // reduce_mixed: the same value in canonical shape, or invalid when a
    // field of that shape does not fit.
    MixedNumber reduced = reduce_mixed(m);
    if (n == 0) {
      ASSERT_EQ(reduced, (MixedNumber{0, 0, d < 0 ? -1 : 1}));
      continue;
    }
    Int128 g = gcd128(n, d);
    Int128 rn = abs128(n) / g, rd = abs128(d) / g;
    Int128 whole = rn / rd;
    if (!in_range(whole) || !in_range(rd)) {
      ASSERT_EQ(reduced, kInvalidMixed);
      continue;
    }
    ASSERT_NO_FATAL_FAILURE(expect_canonical_mixed(reduced));
    Int128 value_n = 0, value_d = 0;
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
    Int128 whole = abs128(f.numerator) / abs128(f.denominator);
    if (!in_range(whole) ||
        !in_range(abs128(f.denominator) / gcd128(f.numerator, f.denominator))) {
      ASSERT_EQ(m, kInvalidMixed);
      continue;
    }
    ASSERT_NO_FATAL_FAILURE(expect_canonical_mixed(m));
    Int128 n = 0, d = 0;
    mixed_value(m, n, d);
    ASSERT_EQ(n * f.denominator, Int128{f.numerator} * d);
  }
}

// numerator / denominator rounded half away from zero; 0 for an invalid f or
// a result beyond the field range.
Int128 nearest_integer(Fraction f) {
  if (!is_valid(f))
    return 0;
  Int128 n = abs128(f.numerator);
  Int128 d = abs128(f.denominator);
  Int128 rounded =
      (2 * n + d) / (2 * d) * sign128(f.numerator) * sign128(f.denominator);
  return in_range(rounded) ? rounded : 0;
}

class FractionModelText : public testing::BoundRuntimeTest {};

TEST_F(FractionModelText, TextsRoundTrip) {
  Operands operands(8);
  for (int i = 0; i < kRounds / 20; ++i) {
    Fraction f = operands.fraction();
    SCOPED_TRACE(::testing::PrintToString(f));
    Fraction reduced = reduce_fraction(f);
    sdk::Text text = format_fraction(f);
    if (is_valid(reduced)) {
      ASSERT_EQ(parse_fraction(text.c_str()), reduced);
      ASSERT_EQ(text_to_fraction(text.c_str()), reduced);
    }
    MixedNumber m = fraction_to_mixed(f);
    sdk::Text mixed_text = format_mixed(m);
    if (is_valid(m)) {
      // "-0&1/3" reads as plus one third: the whole part -0 is 0.
      MixedNumber read_back = m;
      if (m.whole == 0 && m.numerator < 0)
        read_back.numerator = -m.numerator;
      ASSERT_EQ(parse_mixed(mixed_text.c_str()), read_back);
      ASSERT_EQ(text_to_fraction(mixed_text.c_str()),
                mixed_to_fraction(read_back));
    }
    ASSERT_EQ(fraction_nearest_int(f), nearest_integer(f));
  }
}

} // namespace
} // namespace qx::fraction
