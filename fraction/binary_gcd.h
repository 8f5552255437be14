// Greatest common divisors of magnitudes below 2^63 by the binary method,
// written without data-dependent branches inside the loop.
//
// Each step makes both values odd, replaces the larger by the difference and
// shifts out the difference's trailing zeros; a step costs a few cycles and
// never mispredicts, where Euclid's remainder costs a hardware division.
// Independent divisors run in lock step (three_gcds), so that the
// processor interleaves their steps instead of waiting on one chain.
//
// Portable: std::countr_zero and plain 64-bit arithmetic only.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace qx::fraction::binary {

// One divisor in progress, the common power of two set aside in `shift`.
// Between steps `odd` is odd, or 0 once the divisor is known, and `other`
// is the value still to be made odd by a shift of `other_zeros`; once either
// is 0 the other is the odd part of the divisor.
class GcdLane {
public:
  // a and b below 2^63; gcd(0, b) is b, gcd(a, 0) is a, gcd(0, 0) is 0.
  GcdLane(std::uint64_t a, std::uint64_t b) {
    // The top bit keeps each count below 64 for a zero operand.
    const int a_zeros = std::countr_zero(a | kTop);
    const int b_zeros = std::countr_zero(b | kTop);
    m_shift = std::min(a_zeros, b_zeros);
    m_other = a >> a_zeros;
    m_odd = b >> b_zeros;
  }

  bool busy() const { return (m_other != 0) & (m_odd != 0); }

  // One step; a finished lane settles on {divisor, 0} and stays there.
  void step() {
    const std::uint64_t made_odd = m_other >> m_other_zeros;
    // Both below 2^63, so the difference fits a signed 64-bit value.
    const std::int64_t difference =
        static_cast<std::int64_t>(m_odd) - static_cast<std::int64_t>(made_odd);
    // The difference has the trailing zeros of its magnitude; the top bit
    // keeps the count below 64 when the difference is 0.
    m_other_zeros =
        std::countr_zero(static_cast<std::uint64_t>(difference) | kTop);
    const std::int64_t negative = difference >> 63; // all ones or 0
    // The smaller of the two odd values, and the difference's magnitude.
    m_odd = static_cast<std::uint64_t>(static_cast<std::int64_t>(m_odd) -
                                       (difference & ~negative));
    m_other = static_cast<std::uint64_t>((difference ^ negative) - negative);
  }

  std::uint64_t result() const { return (m_odd | m_other) << m_shift; }

private:
  static constexpr std::uint64_t kTop = std::uint64_t{1} << 63;

  std::uint64_t m_other = 0;
  int m_other_zeros = 0;
  int m_shift = 0;
  std::uint64_t m_odd = 0;
};

// gcd(a, b) for a, b below 2^63; gcd(0, b) is b and gcd(0, 0) is 0.
inline std::uint64_t gcd(std::uint64_t a, std::uint64_t b) {
  GcdLane lane(a, b);
  // Two steps per test: a finished lane stays as it is, and the loop's
  // branch is taken half as often.
  while (lane.busy()) {
    lane.step();
    lane.step();
  }
  return lane.result();
}

// {gcd(a1, b1), gcd(a2, b2), gcd(a3, b3)}, each operand below 2^63.
inline std::array<std::uint64_t, 3>
three_gcds(std::uint64_t a1, std::uint64_t b1, std::uint64_t a2,
           std::uint64_t b2, std::uint64_t a3, std::uint64_t b3) {
  GcdLane first(a1, b1);
  GcdLane second(a2, b2);
  GcdLane third(a3, b3);
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
