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
// Takes well under a millisecond for every n (trial division up to the cube
// root of what is left, after strong probable-prime and perfect-square tests
// that end the common cases early).
SquareSplit split_square(const base::UInt128 &n);

// Exactness checks, for n < 2^66: n is prime (deterministic Miller-Rabin),
// the floor of √n, the floor of ∛n.
bool is_prime(const base::UInt128 &n);
base::UInt128 integer_square_root(const base::UInt128 &n);
base::UInt128 integer_cube_root(const base::UInt128 &n);

} // namespace qx::solvers
