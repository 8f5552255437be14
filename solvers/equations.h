// The arithmetic of the three equation pages, on plain values.
//
// The page handlers read the boxes, call these, and write the results; the
// constant 2.0 of the image comes in as an argument so that these functions
// need no loaded image. Verdicts are decided on exact integers, never on
// rounded doubles.
#pragma once

#include "base/wide_integer.h"

#include <cstdint>
#include <optional>

namespace qx::solvers {

// The coefficient a box's number stands for: the number truncated toward
// zero. Empty when the truncated value lies outside the signed 32-bit range,
// and for infinities and NaN, which lie in no range.
std::optional<std::int32_t> coefficient_from(double value);

// b*b - 4*a*c exactly; its magnitude stays below 2^66.
base::Int128 quadratic_discriminant(std::int32_t a, std::int32_t b,
                                    std::int32_t c);

// The two real roots; `x1` is the one with the added square root (the
// larger for a > 0, the smaller for a < 0), `x2` the one with the
// subtracted square root.
struct QuadraticRoots {
  double x1;
  double x2;
};

// The roots of ax^2 + bx + c = 0 for a != 0, given the square root of the
// double nearest to the non-negative exact discriminant. A zero root of the
// discriminant gives -b / (a*two) for both. Otherwise only the root whose
// two terms share a sign comes from the formula; the other comes from the
// product of the roots, c / a, so that neither loses digits to
// cancellation. An exact zero root is written as +0.
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

// The verdict from the exact determinants D = a1 b2 - a2 b1,
// Dx = c1 b2 - b1 c2 and Dy = a1 c2 - a2 c1. For D != 0, x and y are the
// doubles nearest to Dx / D and Dy / D. For D = 0 the system has infinitely
// many solutions when it is consistent (Dx = Dy = 0, or, with all four
// coefficients 0, c1 = c2 = 0) and none otherwise.
SystemSolution solve_system(const SystemCoefficients &k);

} // namespace qx::solvers
