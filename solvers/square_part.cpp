// The square part of a number below 2^66: trial division by a table of the
// odd primes below 2^22 with multiply-only divisibility tests, Miller-Rabin
// in Montgomery form, and integer roots.
#include "solvers/square_part.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace qx::solvers {
namespace {

using base::UInt128;
using std::uint32_t;
using std::uint64_t;

constexpr uint64_t kLow32 = 0xFFFFFFFFu;

// The full product of two 64-bit numbers, from 32-bit halves (the same code
// on every target).
struct Wide {
  uint64_t high;
  uint64_t low;
};

Wide multiply(uint64_t a, uint64_t b) {
  const uint64_t a0 = a & kLow32;
  const uint64_t a1 = a >> 32;
  const uint64_t b0 = b & kLow32;
  const uint64_t b1 = b >> 32;
  const uint64_t p00 = a0 * b0;
  const uint64_t p01 = a0 * b1;
  const uint64_t p10 = a1 * b0;
  const uint64_t p11 = a1 * b1;
  const uint64_t middle = (p00 >> 32) + (p01 & kLow32) + (p10 & kLow32);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32),
          (middle << 32) | (p00 & kLow32)};
}

// x * y + add + carry, which always fits in 128 bits: returns the low word
// and leaves the high word in `carry`.
uint64_t multiply_add(uint64_t x, uint64_t y, uint64_t add, uint64_t &carry) {
  Wide product = multiply(x, y);
  product.low += add;
  product.high += product.low < add ? 1 : 0;
  product.low += carry;
  product.high += product.low < carry ? 1 : 0;
  carry = product.high;
  return product.low;
}

uint64_t low_word(const UInt128 &value) {
  return static_cast<uint64_t>(value & UInt128(~uint64_t{0}));
}

uint64_t high_word(const UInt128 &value) {
  return static_cast<uint64_t>(value >> 64);
}

UInt128 from_words(uint64_t high, uint64_t low) {
  return (UInt128(high) << 64) | UInt128(low);
}

// Arithmetic modulo an odd n < 2^66 in Montgomery form, R = 2^128, on two
// 64-bit words (coarsely interleaved multiplication and reduction).
class Montgomery {
public:
  using Value = std::array<uint64_t, 2>;

  explicit Montgomery(const UInt128 &n)
      : m_n{low_word(n), high_word(n)}, m_modulus(n) {
    assert((m_n[0] & 1) == 1);
    // -n^-1 mod 2^64 by Newton's iteration: each step doubles the correct
    // low bits, and n is its own inverse modulo 8.
    uint64_t inverse = m_n[0];
    for (int i = 0; i < 5; ++i)
      inverse *= 2 - m_n[0] * inverse;
    m_negated_inverse = 0 - inverse;
    using Wider = boost::multiprecision::uint256_t;
    const Wider r = Wider(1) << 128;
    const Wider n_wide(n);
    m_one = split(UInt128(r % n_wide));
    m_r_squared = split(UInt128((r % n_wide) * (r % n_wide) % n_wide));
  }

  Value to_form(const UInt128 &x) const {
    return multiply(split(x % m_modulus), m_r_squared);
  }
  const Value &one() const { return m_one; }
  Value minus_one() const { return split(m_modulus - join(m_one)); }

  Value multiply(const Value &a, const Value &b) const {
    std::array<uint64_t, 4> t{};
    for (std::size_t i = 0; i < 2; ++i) {
      uint64_t carry = 0;
      for (std::size_t j = 0; j < 2; ++j)
        t[j] = multiply_add(a[j], b[i], t[j], carry);
      t[2] += carry;
      t[3] = t[2] < carry ? 1 : 0;
      const uint64_t m = t[0] * m_negated_inverse;
      carry = 0;
      multiply_add(m, m_n[0], t[0], carry); // the low word becomes 0
      t[0] = multiply_add(m, m_n[1], t[1], carry);
      t[1] = t[2] + carry;
      t[2] = t[3] + (t[1] < carry ? 1 : 0);
    }
    UInt128 result = from_words(t[1], t[0]);
    if (t[2] != 0 || result >= m_modulus)
      result -= m_modulus; // t < 2n, and 2n < 2^67 fits
    return split(result);
  }

  Value power(Value base, UInt128 exponent) const {
    Value result = m_one;
    while (exponent != 0) {
      if ((low_word(exponent) & 1) != 0)
        result = multiply(result, base);
      base = multiply(base, base);
      exponent >>= 1;
    }
    return result;
  }

private:
  static Value split(const UInt128 &x) { return {low_word(x), high_word(x)}; }
  static UInt128 join(const Value &x) { return from_words(x[1], x[0]); }

  Value m_n;
  UInt128 m_modulus;
  uint64_t m_negated_inverse = 0;
  Value m_one{};
  Value m_r_squared{};
};

// The first twelve primes as bases decide primality below 3.1 * 10^23.
constexpr std::array<uint32_t, 12> kWitnesses = {2,  3,  5,  7,  11, 13,
                                                 17, 19, 23, 29, 31, 37};

// The odd primes below 2^22 (∛2^66) with their inverses modulo 2^64 and
// the limits (2^64 - 1) / p: p divides m < 2^64 exactly when
// m * inverse mod 2^64 is at most the limit, so a test is one
// multiplication and one comparison.
constexpr uint32_t kTrialLimit = uint32_t{1} << 22;

struct DivisibilityTest {
  uint64_t inverse;
  uint64_t limit;
};

DivisibilityTest divisibility_test(uint32_t p) {
  // (3p) xor 2 is p's inverse modulo 2^5; each Newton step doubles that.
  uint64_t inverse = (3 * uint64_t{p}) ^ 2;
  for (int i = 0; i < 4; ++i)
    inverse *= 2 - uint64_t{p} * inverse;
  // (2^64 - 1) / p from a double quotient, corrected by the exact
  // remainder, which stays far inside 64 bits: no 64-bit division.
  constexpr uint64_t kAll = ~uint64_t{0};
  const double two_to_64 = 18446744073709551616.0;
  auto limit = static_cast<uint64_t>(two_to_64 / p);
  // The double is within 2^10 of the quotient, so the remainder is within
  // 2^33 p of 0: one floating division more brings it next to the range.
  auto remainder = static_cast<int64_t>(kAll - limit * p);
  const auto step = static_cast<int64_t>(static_cast<double>(remainder) / p);
  limit += static_cast<uint64_t>(step);
  remainder -= step * static_cast<int64_t>(p);
  while (remainder < 0) {
    --limit;
    remainder += p;
  }
  while (remainder >= static_cast<int64_t>(p)) {
    ++limit;
    remainder -= p;
  }
  return {inverse, limit};
}

// The odd primes from 3 up to what the numbers split so far needed, with
// their tests; it grows a sieve segment at a time, each segment small
// enough to stay in the first-level cache, so that a number whose cube root
// is small never pays for the primes up to 2^22. One table per process; the
// program runs on one thread.
class PrimeTable {
public:
  // Makes the table hold every odd prime up to `bound` < kTrialLimit.
  void extend_to(uint32_t bound) {
    assert(bound < kTrialLimit);
    if (m_base.empty()) {
      m_base = base_primes();
      // Room for them all: the pages are taken only as they are written,
      // and the vectors never move.
      primes.reserve(kOddPrimes + kSegment + 1);
      tests.reserve(kOddPrimes);
    }
    while (m_sieved_to <= bound)
      sieve_segment();
    assert(m_sieved_to < kTrialLimit || primes.size() == kOddPrimes);
  }

  std::vector<uint32_t> primes;
  std::vector<DivisibilityTest> tests;

private:
  // The odd primes below 2048, whose multiples the segments strike out
  // (2048² = kTrialLimit).
  static std::vector<uint32_t> base_primes() {
    std::vector<uint32_t> base;
    for (uint32_t n = 3; n < 2048; n += 2) {
      bool prime = true;
      for (std::size_t i = 0; i < base.size() && prime; ++i) {
        if (base[i] * base[i] > n)
          break;
        prime = n % base[i] != 0;
      }
      if (prime)
        base.push_back(n);
    }
    return base;
  }

  // Entry k of the segment stands for m_sieved_to + 2k.
  void sieve_segment() {
    const uint32_t start = m_sieved_to;
    const uint32_t end = std::min<uint32_t>(start + 2 * kSegment, kTrialLimit);
    std::fill(m_composite.begin(), m_composite.end(), 0);
    for (uint32_t p : m_base) {
      if (p * p >= end)
        break;
      // The first odd multiple of p at or after max(p², start).
      uint32_t first = std::max(p * p, (start + p - 1) / p * p);
      if (first % 2 == 0)
        first += p;
      for (uint32_t multiple = first; multiple < end; multiple += 2 * p)
        m_composite[(multiple - start) / 2] = 1;
    }
    // Written without a branch: every odd number is stored at the next free
    // place, which moves on only for a prime.
    const std::size_t old_size = primes.size();
    primes.resize(old_size + kSegment + 1);
    std::size_t count = old_size;
    for (uint32_t n = start; n < end; n += 2) {
      primes[count] = n;
      count += m_composite[(n - start) / 2] ^ 1;
    }
    primes.resize(count);
    for (std::size_t i = old_size; i < count; ++i)
      tests.push_back(divisibility_test(primes[i]));
    m_sieved_to = end;
  }

  static constexpr uint32_t kSegment = 32768;
  // The odd primes below kTrialLimit: π(2^22) - 1.
  static constexpr std::size_t kOddPrimes = 295946;
  std::vector<uint32_t> m_base;
  std::vector<unsigned char> m_composite = std::vector<unsigned char>(kSegment);
  uint32_t m_sieved_to = 3;
};

PrimeTable &prime_table() {
  static PrimeTable table;
  return table;
}

// p divides m < 2^67 (two words): m + k p is a multiple of 8 for the k below
// 8 with k p = -m mod 8 (p is its own inverse modulo 8), and p divides m
// exactly when it divides (m + k p) / 8 < 2^64.
bool divides_words(uint64_t high, uint64_t low, uint32_t p,
                   const DivisibilityTest &test) {
  const uint64_t k = ((0 - low) * p) & 7;
  const uint64_t sum = low + k * p;
  const uint64_t carried = high + (sum < low ? 1 : 0);
  return ((carried << 61) | (sum >> 3)) * test.inverse <= test.limit;
}

// The first index in [from, end) whose prime divides m, or end.
std::size_t next_divisor(const PrimeTable &table, std::size_t from,
                         std::size_t end, const UInt128 &m) {
  const uint64_t high = high_word(m);
  const uint64_t low = low_word(m);
  const DivisibilityTest *tests = table.tests.data();
  if (high == 0) {
    for (std::size_t i = from; i < end; ++i)
      if (low * tests[i].inverse <= tests[i].limit)
        return i;
    return end;
  }
  const uint32_t *primes = table.primes.data();
  for (std::size_t i = from; i < end; ++i)
    if (divides_words(high, low, primes[i], tests[i]))
      return i;
  return end;
}

bool is_square(const UInt128 &n) {
  // Squares are 0, 1, 4 or 9 modulo 16: three quarters of the rest go at
  // once.
  const auto low = static_cast<unsigned>(low_word(n) & 15);
  if (low != 0 && low != 1 && low != 4 && low != 9)
    return false;
  const UInt128 root = integer_square_root(n);
  return root * root == n;
}

// Moves every factor p out of m into the split.
void take_prime(UInt128 &m, uint32_t p, SquareSplit &split) {
  unsigned exponent = 0;
  while (m % p == 0) {
    m /= p;
    ++exponent;
  }
  for (unsigned i = 0; i < exponent / 2; ++i)
    split.outside *= p;
  if (exponent % 2 != 0)
    split.inside *= p;
}

// The primes tried before the first primality and square tests.
constexpr uint32_t kSmallPrimeBound = 1000;

// The odd primes below kSmallPrimeBound, so that the common cases never
// build the large table.
constexpr std::size_t kSmallPrimeCount = 167;
constexpr std::array<uint32_t, kSmallPrimeCount> small_primes() {
  std::array<uint32_t, kSmallPrimeCount> primes{};
  std::size_t count = 0;
  for (uint32_t n = 3; n < kSmallPrimeBound; n += 2) {
    bool prime = true;
    for (uint32_t d = 3; d * d <= n && prime; d += 2)
      prime = n % d != 0;
    if (prime)
      primes[count++] = n;
  }
  return primes;
}
constexpr std::array<uint32_t, kSmallPrimeCount> kSmallPrimes = small_primes();
static_assert(kSmallPrimes.back() == 997);

} // namespace

bool is_prime(const UInt128 &n) {
  assert(n < kSquarePartLimit);
  if (n < 2)
    return false;
  for (uint32_t p : kWitnesses) {
    if (n == p)
      return true;
    if (n % p == 0)
      return false;
  }
  UInt128 odd = n - 1;
  unsigned twos = 0;
  while ((low_word(odd) & 1) == 0) {
    odd >>= 1;
    ++twos;
  }
  const Montgomery field(n);
  const Montgomery::Value minus_one = field.minus_one();
  for (uint32_t witness : kWitnesses) {
    Montgomery::Value x = field.power(field.to_form(witness), odd);
    if (x == field.one() || x == minus_one)
      continue;
    bool reached_minus_one = false;
    for (unsigned i = 1; i < twos && !reached_minus_one; ++i) {
      x = field.multiply(x, x);
      reached_minus_one = x == minus_one;
    }
    if (!reached_minus_one)
      return false;
  }
  return true;
}

UInt128 integer_square_root(const UInt128 &n) {
  assert(n < kSquarePartLimit);
  auto root = UInt128(static_cast<uint64_t>(std::sqrt(static_cast<double>(n))));
  while (root * root > n)
    --root;
  while ((root + 1) * (root + 1) <= n)
    ++root;
  return root;
}

UInt128 integer_cube_root(const UInt128 &n) {
  assert(n < kSquarePartLimit);
  auto root = UInt128(static_cast<uint64_t>(std::cbrt(static_cast<double>(n))));
  while (root * root * root > n)
    --root;
  while ((root + 1) * (root + 1) * (root + 1) <= n)
    ++root;
  return root;
}

void prepare_square_part() { prime_table().extend_to(kTrialLimit - 1); }

SquareSplit split_square(const UInt128 &n) {
  assert(n < kSquarePartLimit);
  if (n == 0)
    return {0, 1};
  SquareSplit split{1, 1};
  UInt128 m = n;
  const auto twos = static_cast<unsigned>(boost::multiprecision::lsb(m));
  m >>= twos;
  split.outside <<= twos / 2;
  split.inside <<= twos % 2;

  for (uint32_t p : kSmallPrimes)
    if (m % p == 0)
      take_prime(m, p, split);

  // The table's primes below kSmallPrimeBound are the small ones above.
  std::size_t next = kSmallPrimeCount;
  // Every prime factor of m is at least the prime at `next`.
  while (m != 1) {
    if (is_square(m)) {
      split.outside *= integer_square_root(m);
      return split;
    }
    if (is_prime(m)) {
      split.inside *= m;
      return split;
    }
    const auto bound = static_cast<uint64_t>(integer_cube_root(m));
    if (bound < kSmallPrimeBound) {
      // No prime factor up to ∛m: see below.
      split.inside *= m;
      return split;
    }
    PrimeTable &table = prime_table();
    table.extend_to(static_cast<uint32_t>(bound));
    const auto end = static_cast<std::size_t>(
        std::upper_bound(table.primes.begin() +
                             static_cast<std::ptrdiff_t>(next),
                         table.primes.end(), bound) -
        table.primes.begin());
    next = next_divisor(table, next, end, m);
    if (next == end) {
      // No prime factor up to ∛m: m is a product of two distinct primes
      // (a square of one was caught above).
      split.inside *= m;
      return split;
    }
    take_prime(m, table.primes[next], split);
    ++next;
  }
  return split;
}

} // namespace qx::solvers
