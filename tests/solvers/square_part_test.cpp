// The square part of discriminants against a slow reference, on constructed
// numbers up to 2^66 and on random ones.
#include "solvers/square_part.h"

#include <boost/multiprecision/cpp_int.hpp>
#include <boost/multiprecision/miller_rabin.hpp>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace qx::solvers {
namespace {

using base::UInt128;
using boost::multiprecision::cpp_int;

UInt128 u(const char *digits) { return UInt128(digits); }

// n = outside² · inside with inside square-free, by trial division up to
// the square root: slow, and only for n below 2^42.
SquareSplit reference_split(std::uint64_t n) {
  if (n == 0)
    return {0, 1};
  std::uint64_t outside = 1;
  std::uint64_t inside = 1;
  for (std::uint64_t p = 2; p * p <= n; ++p) {
    unsigned exponent = 0;
    while (n % p == 0) {
      n /= p;
      ++exponent;
    }
    for (unsigned i = 0; i < exponent / 2; ++i)
      outside *= p;
    if (exponent % 2 != 0)
      inside *= p;
  }
  return {outside, inside * n};
}

// The split found is the expected one and multiplies back to n.
void expect_split(const UInt128 &n, const SquareSplit &expected) {
  const SquareSplit got = split_square(n);
  EXPECT_EQ(got, expected) << n;
  EXPECT_EQ(got.outside * got.outside * got.inside, n);
}

TEST(SplitSquare, SmallAndConstructedNumbers) {
  const UInt128 p66 = (UInt128(1) << 66) - 5;  // prime
  const UInt128 p65 = (UInt128(1) << 65) - 49; // prime
  const UInt128 p64 = (UInt128(1) << 64) - 59; // prime
  const UInt128 p33 = u("8589934583");         // largest prime below 2^33
  const UInt128 p22 = 4194301;                 // largest prime below 2^22
  const UInt128 q22 = 4194287;                 // the prime before it
  const UInt128 semi_low = u("6074000981");    // primes beside 2^32.5
  const UInt128 semi_high = u("6074001001");
  const struct {
    UInt128 n;
    SquareSplit expected;
  } cases[] = {
      {0, {0, 1}},
      {1, {1, 1}},
      {2, {1, 2}},
      {4, {2, 1}},
      {8, {2, 2}},
      {12, {2, 3}},
      {48, {4, 3}},
      {72, {6, 2}},
      {1000000, {1000, 1}},
      // Primes on both sides of the first boundaries of the sieve's
      // segments (65539 and 131075), while the table grows.
      {UInt128(65537) * 65537 * 65539, {65537, 65539}},
      {UInt128(65539) * 65539 * 65537, {65539, 65537}},
      {UInt128(65537) * 65539 * 65543, {1, UInt128(65537) * 65539 * 65543}},
      {UInt128(131071) * 131071 * 131101, {131071, 131101}},
      {UInt128(131101) * 131101 * 131071 * 4, {2 * 131101, 131071}},
      {u("73786976294838206463"), {3, u("8198552921648689607")}}, // 2^66 - 1
      {UInt128(1) << 65, {UInt128(1) << 32, 2}},
      {p66, {1, p66}},
      {p65, {1, p65}},
      {p64, {1, p64}},
      {p33 * p33, {p33, 1}},
      {p22 * p22 * p22, {p22, p22}},
      {p22 * p22 * q22, {p22, q22}},
      {q22 * q22 * p22, {q22, p22}},
      {semi_low * semi_high, {1, semi_low * semi_high}},
      {p22 * q22 * 3, {1, p22 * q22 * 3}},
      {3 * p64, {1, 3 * p64}},
      {4 * u("18446744073709551557"), {2, p64}},
      // Discriminants of coefficients at the ends of the range: b² + 2^64
      // - 2^33 for a = -2^31, c = 2^31 - 1, a prime and a product of two
      // primes above its cube root; 1663997² · 1664009 for a = 1.
      {u("23058430036302364793"), {1, u("23058430036302364793")}},
      {u("23058426943926445913"), {1, u("23058426943926445913")}},
      {u("4607451250613120081"), {1663997, 1664009}},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.n);
    ASSERT_LT(c.n, kSquarePartLimit);
    expect_split(c.n, c.expected);
  }
}

TEST(SplitSquare, AgreesWithTrialDivisionOnRandomNumbers) {
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 400; ++i) {
    // Sizes from a few bits to 2^40, and some with a square factor forced
    // in.
    const unsigned bits = 4 + static_cast<unsigned>(random() % 37);
    std::uint64_t n = random() >> (64 - bits);
    if (i % 3 == 0) {
      const std::uint64_t s = 1 + random() % 5000;
      n = (n >> 26) * s * s;
    }
    SCOPED_TRACE(n);
    const SquareSplit expected = reference_split(n);
    EXPECT_EQ(split_square(n), expected);
  }
}

TEST(SplitSquare, SquareOfARandomNumberTimesAPrime) {
  // n = s² · q for a random s and a prime q (by boost's probable-prime
  // test), up to 2^66: the split is {s, q}, whether or not q divides s.
  std::mt19937_64 random(7);
  int checked = 0;
  while (checked < 60) {
    const std::uint64_t s = 1 + random() % (std::uint64_t{1} << 20);
    const std::uint64_t q_candidate = random() >> 39 | 1; // below 2^25
    if (!boost::multiprecision::miller_rabin_test(cpp_int(q_candidate), 25))
      continue;
    const UInt128 n = UInt128(s) * s * q_candidate;
    if (n >= kSquarePartLimit)
      continue;
    SCOPED_TRACE(n);
    expect_split(n, {s, q_candidate});
    ++checked;
  }
}

TEST(IsPrime, AgreesWithAProbablePrimeTestAcrossTheRange) {
  std::mt19937_64 random(11);
  for (int i = 0; i < 2000; ++i) {
    const unsigned bits = 2 + static_cast<unsigned>(random() % 64);
    UInt128 n = UInt128(random()) << 2 | UInt128(random() & 3);
    n >>= 66 - bits;
    SCOPED_TRACE(n);
    EXPECT_EQ(is_prime(n),
              boost::multiprecision::miller_rabin_test(cpp_int(n), 30));
  }
  // Strong pseudoprimes to several small bases, and Carmichael numbers.
  for (const char *composite :
       {"561", "1373653", "25326001", "3215031751", "2152302898747",
        "3474749660383", "341550071728321", "3825123056546413051",
        "318665857834031151167461"}) {
    const UInt128 n(composite);
    if (n < kSquarePartLimit) {
      EXPECT_FALSE(is_prime(n)) << composite;
    }
  }
}

TEST(IntegerRoots, FloorsAtAndBesidePowers) {
  std::mt19937_64 random(3);
  std::vector<UInt128> numbers = {
      0, 1, 2, 3, 7, 8, 9, 26, 27, 28, kSquarePartLimit - 1};
  for (int i = 0; i < 300; ++i) {
    const UInt128 r = UInt128(random() >> (random() % 31));
    for (const UInt128 &power : {r * r, r * r * r})
      if (power < kSquarePartLimit)
        for (int delta = -1; delta <= 1; ++delta)
          if (power + delta < kSquarePartLimit && (power > 0 || delta >= 0))
            numbers.push_back(power + delta);
  }
  for (const UInt128 &n : numbers) {
    SCOPED_TRACE(n);
    const UInt128 s = integer_square_root(n);
    EXPECT_TRUE(s * s <= n && (s + 1) * (s + 1) > n);
    const UInt128 c = integer_cube_root(n);
    EXPECT_TRUE(c * c * c <= n && (c + 1) * (c + 1) * (c + 1) > n);
  }
}

} // namespace
} // namespace qx::solvers
