// Greatest common divisors by the binary method, written without
// data-dependent branches inside the loop, in 32-bit words for magnitudes
// below 2^31 and in 64-bit words for magnitudes below 2^63.
//
// Each step makes both values odd, replaces the larger by the difference and
// shifts out the difference's trailing zeros; a step costs a few cycles and
// never mispredicts, where Euclid's remainder costs a hardware division.
// Independent divisors run in lock step (three_gcds), so that the
// processor interleaves their steps instead of waiting on one chain.
//
// Portable: std::countr_zero and plain arithmetic in the word's width only
// (a 32-bit processor runs the 32-bit form in single registers).
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <concepts>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace qx::fraction::binary {

// The words a divisor runs in: its values stay below the top bit, so a
// difference of two fits the signed word of the same width.
template <typename Word>
concept GcdWord =
    std::same_as<Word, std::uint32_t> || std::same_as<Word, std::uint64_t>;

// One divisor in progress, the common power of two set aside in `shift`.
// Between steps `odd` is odd, or 0 once the divisor is known, and `other`
// is the value still to be made odd by a shift of `other_zeros`; once either
// is 0 the other is the odd part of the divisor.
template <GcdWord Word> class GcdLane {
public:
  // a and b below the top bit; gcd(0, b) is b, gcd(a, 0) is a, gcd(0, 0) is
  // 0.
  GcdLane(Word a, Word b) {
    // The top bit keeps each count below the width for a zero operand.
    const int a_zeros = std::countr_zero(static_cast<Word>(a | kTop));
    const int b_zeros = std::countr_zero(static_cast<Word>(b | kTop));
    m_shift = std::min(a_zeros, b_zeros);
    m_other = a >> a_zeros;
    m_odd = b >> b_zeros;
  }

  bool busy() const { return (m_other != 0) & (m_odd != 0); }

  // One step; a finished lane settles on {0, divisor} and stays there.
  void step() {
    const Word made_odd = m_other >> m_other_zeros;
    // Both below the top bit, so the difference fits the signed word.
    const Signed difference = static_cast<Signed>(
        static_cast<Signed>(m_odd) - static_cast<Signed>(made_odd));
    // The difference has the trailing zeros of its magnitude; the top bit
    // keeps the count below the width when the difference is 0.
    m_other_zeros = std::countr_zero(
        static_cast<Word>(static_cast<Word>(difference) | kTop));
    const Signed negative =
        static_cast<Signed>(difference >> (kBits - 1)); // all ones or 0
    // The smaller of the two odd values (made_odd, plus the difference when
    // that is negative), and the difference's magnitude.
    m_odd = static_cast<Word>(static_cast<Signed>(made_odd) +
                              static_cast<Signed>(difference & negative));
    m_other = static_cast<Word>((difference ^ negative) - negative);
  }

  Word result() const {
    return static_cast<Word>((m_odd | m_other) << m_shift);
  }

private:
  using Signed = std::make_signed_t<Word>;
  static constexpr int kBits = std::numeric_limits<Word>::digits;
  static constexpr Word kTop = Word{1} << (kBits - 1);

  Word m_other = 0;
  int m_other_zeros = 0;
  int m_shift = 0;
  Word m_odd = 0;
};

// gcd(a, b) for a, b below the word's top bit; gcd(0, b) is b and gcd(0, 0)
// is 0.
template <GcdWord Word> Word gcd(Word a, Word b) {
  GcdLane<Word> lane(a, b);
  // Two steps per test: a finished lane stays as it is, and the loop's
  // branch is taken half as often.
  while (lane.busy()) {
    lane.step();
    lane.step();
  }
  return lane.result();
}

// {gcd(a1, b1), gcd(a2, b2), gcd(a3, b3)}, each operand below the word's top
// bit.
template <GcdWord Word>
std::array<Word, 3> three_gcds(Word a1, Word b1, Word a2, Word b2, Word a3,
                               Word b3) {
  GcdLane<Word> first(a1, b1);
  GcdLane<Word> second(a2, b2);
  GcdLane<Word> third(a3, b3);
  // Two steps per test, as in gcd.
  while (first.busy() | second.busy() | third.busy()) {
    first.step();
    second.step();
    third.step();
    first.step();
    second.step();
    third.step();
  }
  return {first.result(), second.result(), third.result()};
}

} // namespace qx::fraction::binary
