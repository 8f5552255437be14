// The largest square factor of a whole number below 2^66, the size of a
// discriminant of 32-bit coefficients, so that a square root can be written
// in simplest form: √8 = 2√2.
#pragma once

#include "base/wide_integer.h"

namespace qx::solvers {

// n = outside² · inside with `inside` square-free.
struct SquareSplit {
  base::UInt128 outside;
  base::UInt128 inside;

  bool operator==(const SquareSplit &) const = default;
};

// Numbers below this have their square part found; larger ones are a
// programming error (asserted).
inline const base::UInt128 kSquarePartLimit = base::UInt128(1) << 66;

// The split of n < 2^66: 0 gives {0, 1}, 1 gives {1, 1}, 8 gives {2, 2}.
// Trial division up to the cube root of what is left, after probable-prime
// and perfect-square tests that end the common cases early: a few
// microseconds for most n, about a quarter of a millisecond for the worst
// (two primes above the cube root). The first n that needs primes above
// 1000 builds a table of the primes below 2^22 (about 6 MB, a few
// milliseconds), once per process.
SquareSplit split_square(const base::UInt128 &n);

// Builds that table now, so that no later split pays for it.
void prepare_square_part();

// Exactness checks, for n < 2^66: n is prime (deterministic Miller-Rabin),
// the floor of √n, the floor of ∛n.
bool is_prime(const base::UInt128 &n);
base::UInt128 integer_square_root(const base::UInt128 &n);
base::UInt128 integer_cube_root(const base::UInt128 &n);

} // namespace qx::solvers
