// The arithmetic of the three equation pages, on plain values.
//
// The page handlers read the boxes, call these, and write the results; the
// constants of the image (4.0, 2.0, the tolerance) come in as arguments so
// that these functions need no loaded image.
#pragma once

#include <cstdint>
#include <optional>

namespace qx::solvers {

// The coefficient a box's number stands for: the number truncated toward
// zero. Empty when the truncated value lies outside the signed 32-bit range,
// and for infinities and NaN, which lie in no range.
std::optional<std::int32_t> coefficient_from(double value);

// b*b - (a*c)*four in doubles, never cut to 32 bits.
double quadratic_discriminant(std::int32_t a, std::int32_t b, std::int32_t c,
                              double four);

// The two real roots; `x1` is the one with the added square root (the
// larger for a > 0, the smaller for a < 0), `x2` the one with the
// subtracted square root.
struct QuadraticRoots {
  double x1;
  double x2;
};

// The roots of ax^2 + bx + c = 0 for a != 0, given the square root of the
// non-negative discriminant. Only the root whose two terms share a sign
// comes from the formula; the other comes from the product of the roots,
// c / a, so that neither loses digits to cancellation. An exact zero root is
// written as +0.
QuadraticRoots quadratic_roots(std::int32_t a, std::int32_t b, std::int32_t c,
                               double root_of_discriminant, double two);

// x = -b / a in doubles; a is not 0.
double linear_solution(std::int32_t a, std::int32_t b);

// a1 x + b1 y = c1, a2 x + b2 y = c2.
struct SystemCoefficients {
  std::int32_t a1;
  std::int32_t b1;
  std::int32_t c1;
  std::int32_t a2;
  std::int32_t b2;
  std::int32_t c2;
};

enum class SolutionKind { Unique, Infinite, None };

// The verdict on a system and, for a unique solution, x and y.
struct SystemSolution {
  SolutionKind kind;
  double x;
  double y;
};

// True when |p - q| is not greater than `tolerance`; a NaN difference
// counts as near.
bool is_near(double p, double q, double tolerance);

// Classifies the system by the ratios a1/a2, b1/b2, c1/c2 (divisions by
// zero give infinities or NaN and are classified by is_near), then solves a
// system with a determinant beyond the tolerance by Cramer's rule.
SystemSolution solve_system(const SystemCoefficients &k, double tolerance);

} // namespace qx::solvers
