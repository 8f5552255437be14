// Tests of the branch-free binary gcd against std::gcd, in 64-bit and 32-bit
// words: the edge operands (zeros, ones, powers of two, the field limits,
// equal values, the largest magnitudes allowed) in every pairing, random
// operands with planted common factors, and lanes run in lock step that
// finish at different steps.
#include "fraction/binary_gcd.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace qx::fraction {
namespace {

using U64 = std::uint64_t;

constexpr U64 kTwo31 = U64{1} << 31; // magnitude of -2147483648
constexpr U64 kLargest = (U64{1} << 63) - 1;

// Operands that stress the shifts and the sign of the difference.
std::vector<U64> edge_operands() {
  std::vector<U64> values = {0,
                             1,
                             2,
                             3,
                             6,
                             2147483647,
                             kTwo31,
                             kTwo31 + 1,
                             4294967295u,
                             4294967296u,
                             2147483647ull * 2147483647ull,
                             2147483647ull * 2147483646ull,
                             kTwo31 * kTwo31,
                             1836311903, // Fibonacci neighbours
                             1134903170,
                             U64{3} << 61,
                             kLargest,
                             kLargest - 1,
                             (U64{1} << 62) + 1};
  for (int shift = 1; shift < 63; shift += 7)
    values.push_back(U64{1} << shift);
  return values;
}

std::string pair_text(U64 a, U64 b) {
  return "gcd(" + std::to_string(a) + ", " + std::to_string(b) + ")";
}

TEST(BinaryGcd, EdgeOperandsInEveryPairing) {
  const std::vector<U64> values = edge_operands();
  for (U64 a : values) {
    for (U64 b : values) {
      SCOPED_TRACE(pair_text(a, b));
      ASSERT_EQ(binary::gcd(a, b), std::gcd(a, b));
    }
  }
}

TEST(BinaryGcd, RandomOperandsWithCommonFactors) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 200000; ++i) {
    // Widths from 1 to 62 bits, then a shared odd factor and shared powers
    // of two, kept below 2^63.
    const int width = 1 + static_cast<int>(random() % 62);
    const U64 mask = (U64{1} << width) - 1;
    U64 a = random() & mask;
    U64 b = random() & (i % 3 == 0 ? mask : (U64{1} << 31) - 1);
    if (i % 4 == 0) {
      const U64 factor = (random() % 1000) * 2 + 1;
      const int twos = static_cast<int>(random() % 8);
      if (a < (kLargest >> twos) / factor && b < (kLargest >> twos) / factor) {
        a = (a * factor) << twos;
        b = (b * factor) << twos;
      }
    }
    SCOPED_TRACE(pair_text(a, b));
    ASSERT_EQ(binary::gcd(a, b), std::gcd(a, b));
  }
}

TEST(BinaryGcd, LanesInLockStepKeepTheirOwnResult) {
  // A lane finishing long before the others (or at once, for a zero
  // operand) must keep its divisor while they run on, in every position.
  const std::vector<U64> values = edge_operands();
  std::mt19937_64 random(11);
  for (U64 a : values) {
    for (U64 b : values) {
      const U64 c = random() >> 2;
      const U64 d = random() >> (1 + random() % 62);
      const U64 e = random() >> (1 + random() % 62);
      SCOPED_TRACE(pair_text(a, b) + " beside " + pair_text(c, d) + " and " +
                   pair_text(d, e));
      const U64 ab = std::gcd(a, b);
      const U64 cd = std::gcd(c, d);
      const U64 de = std::gcd(d, e);
      const std::array<U64, 3> expected[] = {
          {ab, cd, de}, {cd, ab, de}, {cd, de, ab}};
      const std::array<U64, 3> results[] = {
          binary::three_gcds(a, b, c, d, d, e),
          binary::three_gcds(c, d, a, b, d, e),
          binary::three_gcds(c, d, d, e, a, b)};
      for (std::size_t i = 0; i < 3; ++i)
        ASSERT_EQ(results[i], expected[i]) << "order " << i;
    }
  }
}

TEST(BinaryGcd, ThirtyTwoBitWordsBelowTheTopBit) {
  using U32 = std::uint32_t;
  std::vector<U32> values;
  for (U64 value : edge_operands())
    if (value < kTwo31)
      values.push_back(static_cast<U32>(value));
  for (int shift = 0; shift < 31; shift += 3)
    values.push_back((U32{1} << shift) * 3 & 0x7FFFFFFF);
  std::mt19937 random(13);
  for (U32 a : values) {
    for (U32 b : values) {
      SCOPED_TRACE(pair_text(a, b));
      ASSERT_EQ(binary::gcd(a, b), std::gcd(a, b));
      const U32 c = random() >> 1;
      const U32 d = random() >> (1 + random() % 31);
      const std::array<U32, 3> expected = {std::gcd(c, d), std::gcd(a, b),
                                           std::gcd(d, a)};
      ASSERT_EQ(binary::three_gcds(c, d, a, b, d, a), expected);
    }
  }
  for (int i = 0; i < 200000; ++i) {
    // A shared factor below 2^10 on values below 2^21 stays below 2^31.
    const U32 factor = 1 + random() % 1024;
    const U32 a = i % 2 == 0 ? random() >> 1 : (random() >> 11) * factor;
    const U32 b = i % 2 == 0 ? random() >> 1 : (random() >> 11) * factor;
    SCOPED_TRACE(pair_text(a, b));
    ASSERT_EQ(binary::gcd(a, b), std::gcd(a, b));
  }
}

} // namespace
} // namespace qx::fraction
