// The equation pages' workings on their worst inputs: the square part of
// discriminants built to make trial division go all the way (a prime, a
// product of two primes above the cube root, a large square times a large
// prime), and the whole working of the quadratic equations that have them.
//
// Before the benchmarks it prints what building the table of primes costs,
// once per process, on the first number that needs it.
#include "document/plain_text.h"
#include "runtime/core/text_rules.h"
#include "solvers/equations.h"
#include "solvers/square_part.h"
#include "solvers/working.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace qx::solvers::bench {
namespace {

using base::UInt128;

struct NamedNumber {
  const char *name;
  UInt128 n;
};

const NamedNumber kNumbers[] = {
    {"prime 2^66-5", (UInt128(1) << 66) - 5},
    {"p*q beside 2^32.5", UInt128(6074000981ull) * UInt128(6074001001ull)},
    {"p^2*q below 2^22", UInt128(4194301) * 4194301 * 4194287},
    {"q^2*p below 2^22", UInt128(4194287) * 4194287 * 4194301},
    {"p^2 below 2^33", UInt128(8589934583ull) * UInt128(8589934583ull)},
    {"2^66-1", (UInt128(1) << 66) - 1},
};

struct NamedEquation {
  const char *name;
  std::int32_t a;
  std::int32_t b;
  std::int32_t c;
};

// Discriminants b² + 2^64 - 2^33 (a = -2^31, c = 2^31 - 1): a prime, and
// 801981841 · 28751806793; and 1663997² · 1664009 for a = 1.
const NamedEquation kEquations[] = {
    {"textbook x^2-3x+2", 1, -3, 2},
    {"prime discriminant", -2147483647 - 1, 2147483637, 2147483647},
    {"two large primes", -2147483647 - 1, 2147482917, 2147483647},
    {"large square", 1, 2146497439, 1255109660},
    {"no real roots", 2147483647, 1, 2147483647},
};

void SplitSquare(benchmark::State &state) {
  const NamedNumber &number = kNumbers[state.range(0)];
  state.SetLabel(number.name);
  for (auto _ : state)
    benchmark::DoNotOptimize(split_square(number.n));
}
BENCHMARK(SplitSquare)
    ->DenseRange(0, std::size(kNumbers) - 1)
    ->Unit(benchmark::kMicrosecond);

// What the page does after reading the boxes: the roots, their texts, the
// working; and the plain text that the headless view makes of it.
void QuadraticWorking(benchmark::State &state) {
  const NamedEquation &e = kEquations[state.range(0)];
  state.SetLabel(e.name);
  for (auto _ : state) {
    const base::Int128 d = quadratic_discriminant(e.a, e.b, e.c);
    std::string x1;
    std::string x2;
    if (d >= 0) {
      const QuadraticRoots roots = quadratic_roots(
          e.a, e.b, e.c, std::sqrt(base::nearest_double(d)), 2.0);
      x1 = rt::text::format_double(roots.x1);
      x2 = rt::text::format_double(roots.x2);
    }
    const doc::Document working =
        quadratic_working({{e.a, ""}, {e.b, ""}, {e.c, ""}}, x1, x2);
    benchmark::DoNotOptimize(doc::to_plain_text(working));
  }
}
BENCHMARK(QuadraticWorking)
    ->DenseRange(0, std::size(kEquations) - 1)
    ->Unit(benchmark::kMicrosecond);

void SystemWorking(benchmark::State &state) {
  const SystemInput k{{2147483647, ""}, {-2147483647 - 1, ""},
                      {2147483647, ""}, {2147483646, ""},
                      {2147483647, ""}, {-2147483647 - 1, ""}};
  for (auto _ : state) {
    const SystemSolution s = solve_system({k.a1.value, k.b1.value, k.c1.value,
                                           k.a2.value, k.b2.value, k.c2.value});
    const doc::Document working = system_working(
        k, rt::text::format_double(s.x), rt::text::format_double(s.y));
    benchmark::DoNotOptimize(doc::to_plain_text(working));
  }
}
BENCHMARK(SystemWorking)->Unit(benchmark::kMicrosecond);

void LinearWorking(benchmark::State &state) {
  for (auto _ : state) {
    const doc::Document working = linear_working(
        {-2147483647, "-2147483647.5"}, {2147483647, ""},
        rt::text::format_double(linear_solution(-2147483647, 2147483647)));
    benchmark::DoNotOptimize(doc::to_plain_text(working));
  }
}
BENCHMARK(LinearWorking)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace qx::solvers::bench

int main(int argc, char **argv) {
  const auto start = std::chrono::steady_clock::now();
  qx::solvers::prepare_square_part();
  const std::chrono::duration<double, std::micro> first =
      std::chrono::steady_clock::now() - start;
  std::printf("building the table of primes: %.0f us\n", first.count());
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
