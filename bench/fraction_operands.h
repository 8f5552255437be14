// Operand sets of the fraction benchmarks, drawn by splitmix64 so that
// bench/fraction_compare.py can draw exactly the same ones.
#pragma once

#include "fraction/fraction.h"

#include <cstdint>
#include <vector>

namespace qx::fraction::bench {

// How many operands each set holds (a power of two, cycled through).
inline constexpr std::size_t kOperandCount = 4096;

class SplitMix64 {
public:
  explicit SplitMix64(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }

private:
  std::uint64_t m_state;
};

enum class OperandKind {
  // Numerators anywhere in the field range, denominators 1 ... 2147483647.
  Random,
  // Numerators and denominators up to 1000 in magnitude.
  Small,
  // Denominators within 1000 of 2147483647: the worst case of lcm and of
  // common denominators.
  NearLimit,
};

inline std::vector<Fraction> make_operands(OperandKind kind,
                                           std::uint64_t seed) {
  constexpr std::uint64_t kLimit = 2147483647;
  SplitMix64 random(seed);
  std::vector<Fraction> operands;
  operands.reserve(kOperandCount);
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    std::uint64_t a = random.next();
    std::uint64_t b = random.next();
    std::int64_t numerator = 0;
    std::int64_t denominator = 0;
    switch (kind) {
    case OperandKind::Random:
      numerator = static_cast<std::int64_t>(a % (2 * kLimit + 1)) -
                  static_cast<std::int64_t>(kLimit);
      denominator = static_cast<std::int64_t>(1 + b % kLimit);
      break;
    case OperandKind::Small:
      numerator = static_cast<std::int64_t>(a % 2001) - 1000;
      denominator = static_cast<std::int64_t>(1 + b % 1000);
      break;
    case OperandKind::NearLimit:
      numerator = static_cast<std::int64_t>(a % (2 * kLimit + 1)) -
                  static_cast<std::int64_t>(kLimit);
      denominator = static_cast<std::int64_t>(kLimit - b % 1000);
      break;
    }
    operands.push_back({static_cast<std::int32_t>(numerator),
                        static_cast<std::int32_t>(denominator)});
  }
  return operands;
}

} // namespace qx::fraction::bench
