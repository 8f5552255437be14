// The arithmetic of the three equation pages.
#include "solvers/equations.h"

#include <cmath>

namespace qx::solvers {
namespace {

// Every double that truncates into the signed 32-bit range lies strictly
// between these two, both exact in a double.
constexpr double kBelowInt32 = -2147483649.0;
constexpr double kAboveInt32 = 2147483648.0;

// The root paired with `root`: their product is c / a. A zero c makes it
// exactly zero.
double companion_root(double a, double c, double root) {
  if (c == 0)
    return 0.0;
  return c / (a * root);
}

} // namespace

std::optional<std::int32_t> coefficient_from(double value) {
  if (!(value > kBelowInt32 && value < kAboveInt32))
    return std::nullopt;
  return static_cast<std::int32_t>(std::trunc(value));
}

base::Int128 quadratic_discriminant(std::int32_t a, std::int32_t b,
                                    std::int32_t c) {
  // Each product of two 32-bit numbers fits in 64 bits exactly.
  const base::Int128 b_squared = std::int64_t{b} * b;
  const base::Int128 ac = std::int64_t{a} * c;
  return b_squared - 4 * ac;
}

QuadraticRoots quadratic_roots(std::int32_t a, std::int32_t b, std::int32_t c,
                               double root_of_discriminant, double two) {
  const double da = a;
  const double db = b;
  const double dc = c;
  const double twice_a = da * two;
  if (root_of_discriminant == 0) {
    // A double root; adding +0 turns -0 into +0.
    const double root = -db / twice_a + 0.0;
    return {root, root};
  }
  if (b >= 0) {
    // -b and -sqrt(d) have the same sign: no cancellation.
    const double minus_root = (-db - root_of_discriminant) / twice_a;
    if (minus_root == 0)
      return {0.0, 0.0};
    return {companion_root(da, dc, minus_root), minus_root};
  }
  // -b > 0 and +sqrt(d) >= 0: no cancellation, and the sum is not zero.
  const double plus_root = (-db + root_of_discriminant) / twice_a;
  return {plus_root, companion_root(da, dc, plus_root)};
}

double linear_solution(std::int32_t a, std::int32_t b) {
  return -static_cast<double>(b) / static_cast<double>(a);
}

SystemSolution solve_system(const SystemCoefficients &k) {
  // Products of two 32-bit numbers fit in 64 bits, their differences in
  // 65: 128 bits hold every determinant exactly.
  const auto product = [](std::int32_t p, std::int32_t q) {
    return base::Int128(std::int64_t{p} * q);
  };
  const base::Int128 d = product(k.a1, k.b2) - product(k.a2, k.b1);
  const base::Int128 dx = product(k.c1, k.b2) - product(k.b1, k.c2);
  const base::Int128 dy = product(k.a1, k.c2) - product(k.a2, k.c1);
  if (d != 0)
    return {SolutionKind::Unique, base::nearest_quotient(dx, d),
            base::nearest_quotient(dy, d)};

  const bool no_coefficients = k.a1 == 0 && k.b1 == 0 && k.a2 == 0 && k.b2 == 0;
  // Rows of rank one: the system is consistent exactly when replacing
  // either column by the right-hand sides keeps the determinant 0.
  const bool consistent =
      no_coefficients ? k.c1 == 0 && k.c2 == 0 : dx == 0 && dy == 0;
  return {consistent ? SolutionKind::Infinite : SolutionKind::None, 0.0, 0.0};
}

} // namespace qx::solvers
