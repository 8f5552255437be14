// Throughput of the fraction module's operations on random operands and on
// the worst cases, with the slowest single call of each as a counter.
//
// Every benchmark of single operations takes the operand set as its argument
// (0 random, 1 small, 2 denominators near 2^31); the long-text ones take the
// kind of text and its length. Each reports items per second and "slowest_us":
// the slowest operand's call (the fastest of three timings per operand, so
// that a context switch does not count as a slow call).
#include "bench/fraction_operands.h"
#include "fraction/fraction.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace qx::fraction::bench {
namespace {

// The operands of one set: a and b drawn with different seeds, with their
// texts, mixed forms and decimals prepared beforehand.
struct OperandSet {
  std::vector<Fraction> a;
  std::vector<Fraction> b;
  std::vector<Fraction> reduced; // a in lowest terms
  std::vector<MixedNumber> mixed;
  std::vector<double> decimals;
  std::vector<std::string> texts;
  std::vector<std::string> mixed_texts;
};

OperandSet make_set(OperandKind kind) {
  OperandSet set;
  set.a = make_operands(kind, 1);
  set.b = make_operands(kind, 2);
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    const Fraction &f = set.a[i];
    set.reduced.push_back(reduce_fraction(f));
    set.mixed.push_back(fraction_to_mixed(f));
    set.decimals.push_back(fraction_to_decimal(f));
    set.texts.push_back(std::to_string(f.numerator) + "/" +
                        std::to_string(f.denominator));
    const MixedNumber &m = set.mixed.back();
    set.mixed_texts.push_back(std::to_string(m.whole) + "&" +
                              std::to_string(m.numerator) + "/" +
                              std::to_string(m.denominator));
  }
  return set;
}

const OperandSet &operand_set(const benchmark::State &state) {
  static const OperandSet sets[] = {make_set(OperandKind::Random),
                                    make_set(OperandKind::Small),
                                    make_set(OperandKind::NearLimit)};
  return sets[state.range(0)];
}

template <typename Call> double slowest_call_us(const Call &call) {
  using Clock = std::chrono::steady_clock;
  Clock::duration slowest{};
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    Clock::duration fastest = Clock::duration::max();
    for (int repeat = 0; repeat < 3; ++repeat) {
      Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(call(i));
      fastest = std::min(fastest, Clock::now() - start);
    }
    slowest = std::max(slowest, fastest);
  }
  return std::chrono::duration<double, std::micro>(slowest).count();
}

template <typename Call> void run(benchmark::State &state, const Call &call) {
  constexpr std::size_t kMask = kOperandCount - 1;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(call(i));
    i = (i + 1) & kMask;
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["slowest_us"] = slowest_call_us(call);
}

void BM_Reduce(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) { return reduce_fraction(set.a[i]); });
}

void arith(benchmark::State &state, OperatorCode op) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) {
    return fraction_arith(set.a[i], static_cast<std::int32_t>(op), set.b[i]);
  });
}
void BM_Add(benchmark::State &state) { arith(state, OperatorCode::Add); }
void BM_Subtract(benchmark::State &state) {
  arith(state, OperatorCode::Subtract);
}
void BM_Multiply(benchmark::State &state) {
  arith(state, OperatorCode::Multiply);
}
void BM_Divide(benchmark::State &state) { arith(state, OperatorCode::Divide); }

void BM_Square(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) { return fraction_power(set.a[i], 2); });
}

void BM_CommonDenominator(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return common_denominator(set.a[i], set.b[i]); });
}

void BM_Lcm(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) {
    return lcm(set.a[i].denominator, set.b[i].denominator);
  });
}

void BM_FractionToMixed(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) { return fraction_to_mixed(set.a[i]); });
}

void BM_MixedToFraction(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) { return mixed_to_fraction(set.mixed[i]); });
}

void BM_NearestFraction(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) { return nearest_fraction(set.decimals[i]); });
}

// ---- Text forms ------------------------------------------------------------

void BM_ParseFraction(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return parse_fraction(set.texts[i].c_str()); });
}

void BM_ParseMixed(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return parse_mixed(set.mixed_texts[i].c_str()); });
}

void BM_FormatFraction(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return format_fraction(set.a[i]).view().size(); });
}

// The operands in lowest terms, formatted as they stand: the work of
// Python's str() on its Fraction, which is always reduced.
void BM_FormatReduced(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state, [&](std::size_t i) {
    return format_fraction(set.reduced[i], false).view().size();
  });
}

void BM_FormatMixed(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return format_mixed(set.mixed[i]).view().size(); });
}

void BM_DecimalToFraction(benchmark::State &state) {
  const OperandSet &set = operand_set(state);
  run(state,
      [&](std::size_t i) { return decimal_to_fraction(set.decimals[i]); });
}

// Long texts of range(1) bytes: blanks around a fraction (0), nothing but
// slashes (1), or digits over a slash (2).
std::string long_text(std::int64_t kind, std::int64_t size) {
  auto length = static_cast<std::size_t>(size);
  if (kind == 0)
    return std::string(length, ' ') + "6/8";
  if (kind == 1)
    return std::string(length, '/');
  return std::string(length, '9') + "/7";
}

void BM_ParseLongText(benchmark::State &state) {
  const std::string text = long_text(state.range(0), state.range(1));
  run(state, [&](std::size_t) { return parse_fraction(text.c_str()); });
}

void BM_TextToFractionLongText(benchmark::State &state) {
  const std::string text = long_text(state.range(0), state.range(1));
  run(state, [&](std::size_t) { return text_to_fraction(text.c_str()); });
}

#define FRACTION_BENCHMARK(name) BENCHMARK(name)->DenseRange(0, 2)

FRACTION_BENCHMARK(BM_Reduce);
FRACTION_BENCHMARK(BM_Add);
FRACTION_BENCHMARK(BM_Subtract);
FRACTION_BENCHMARK(BM_Multiply);
FRACTION_BENCHMARK(BM_Divide);
FRACTION_BENCHMARK(BM_Square);
FRACTION_BENCHMARK(BM_CommonDenominator);
FRACTION_BENCHMARK(BM_Lcm);
FRACTION_BENCHMARK(BM_FractionToMixed);
FRACTION_BENCHMARK(BM_MixedToFraction);
FRACTION_BENCHMARK(BM_NearestFraction);
FRACTION_BENCHMARK(BM_ParseFraction);
FRACTION_BENCHMARK(BM_ParseMixed);
FRACTION_BENCHMARK(BM_FormatFraction);
FRACTION_BENCHMARK(BM_FormatReduced);
FRACTION_BENCHMARK(BM_FormatMixed);
FRACTION_BENCHMARK(BM_DecimalToFraction);
BENCHMARK(BM_ParseLongText)
    ->ArgsProduct({{0, 1, 2}, {1024, 65536}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextToFractionLongText)
    ->ArgsProduct({{0, 1, 2}, {1024, 65536}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace qx::fraction::bench
