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

double quadratic_discriminant(std::int32_t a, std::int32_t b, std::int32_t c,
                              double four) {
  const double b_squared = static_cast<double>(b) * b;
  const double four_ac = static_cast<double>(a) * c * four;
  return b_squared - four_ac;
}

QuadraticRoots quadratic_roots(std::int32_t a, std::int32_t b, std::int32_t c,
                               double root_of_discriminant, double two) {
  const double da = a;
  const double db = b;
  const double dc = c;
  const double twice_a = da * two;
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

bool is_near(double p, double q, double tolerance) {
  return !(std::fabs(p - q) > tolerance);
}

SystemSolution solve_system(const SystemCoefficients &k, double tolerance) {
  const double a1 = k.a1, b1 = k.b1, c1 = k.c1;
  const double a2 = k.a2, b2 = k.b2, c2 = k.c2;
  const double ra = a1 / a2;
  const double rb = b1 / b2;
  const double rc = c1 / c2;
  const bool rows_proportional = is_near(ra, rb, tolerance);
  if (rows_proportional && is_near(rb, rc, tolerance))
    return {SolutionKind::Infinite, 0.0, 0.0};

  const double determinant = a1 * b2 - a2 * b1;
  if (rows_proportional || !(std::fabs(determinant) > tolerance))
    return {SolutionKind::None, 0.0, 0.0};

  const double x = (b2 * c1 - b1 * c2) / determinant;
  const double y = (a1 * c2 - a2 * c1) / determinant;
  return {SolutionKind::Unique, x, y};
}

} // namespace qx::solvers
