// The fraction pages' clicks with their working: each benchmark runs what a
// handler computes (the page's own conversion, or the arithmetic and its
// text) and then builds the working of it, on operand set range(0) (0
// random, 1 small, 2 denominators near 2^31). "slowest_us" is the slowest
// operand's click (the fastest of three timings per operand), the figure
// that must stay under 1 ms.
#include "bench/fraction_operands.h"
#include "fraction/fraction.h"
#include "fraction/pages/conversions.h"
#include "fraction/working/working.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace qx::fraction::bench {
namespace {

// The entry texts of one operand set, typed as a pupil would.
struct EntrySet {
  std::vector<Fraction> a;
  std::vector<Fraction> b;
  std::vector<std::string> fractions;
  std::vector<std::string> others;
  std::vector<std::string> mixed;
  std::vector<std::string> decimals;
};

EntrySet make_entries(OperandKind kind) {
  EntrySet set;
  set.a = make_operands(kind, 1);
  set.b = make_operands(kind, 2);
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    const Fraction f = set.a[i];
    const Fraction g = set.b[i];
    set.fractions.push_back(std::to_string(f.numerator) + "/" +
                            std::to_string(f.denominator));
    set.others.push_back(std::to_string(g.numerator) + "/" +
                         std::to_string(g.denominator));
    const MixedNumber m = fraction_to_mixed(f);
    const bool negative = m.numerator < 0;
    set.mixed.push_back(std::string(negative ? "-" : "") +
                        std::to_string(m.whole) + "&" +
                        std::to_string(negative ? -m.numerator : m.numerator) +
                        "/" + std::to_string(m.denominator));
    set.decimals.push_back(
        std::string(sdk::to_text(fraction_to_decimal(f)).view()));
  }
  return set;
}

const EntrySet &entry_set(const benchmark::State &state) {
  static const EntrySet sets[] = {make_entries(OperandKind::Random),
                                  make_entries(OperandKind::Small),
                                  make_entries(OperandKind::NearLimit)};
  return sets[state.range(0)];
}

template <typename Call> double slowest_call_us(const Call &call) {
  using Clock = std::chrono::steady_clock;
  Clock::duration slowest{};
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    Clock::duration fastest = Clock::duration::max();
    for (int repeat = 0; repeat < 3; ++repeat) {
      const Clock::time_point start = Clock::now();
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

// ---- Page 分数运算1 ------------------------------------------------------

void stacked(benchmark::State &state, OperatorCode op) {
  const EntrySet &set = entry_set(state);
  const auto code = static_cast<std::int32_t>(op);
  run(state, [&](std::size_t i) {
    const Fraction r = fraction_arith(set.a[i], code, set.b[i]);
    const sdk::Text numerator = sdk::to_text(r.numerator);
    const sdk::Text denominator = sdk::to_text(r.denominator);
    return working::stacked_arith_working(set.a[i], code, set.b[i])
               .paragraphs.size() +
           numerator.view().size() + denominator.view().size();
  });
}
void BM_StackedAdd(benchmark::State &state) {
  stacked(state, OperatorCode::Add);
}
void BM_StackedSubtract(benchmark::State &state) {
  stacked(state, OperatorCode::Subtract);
}
void BM_StackedMultiply(benchmark::State &state) {
  stacked(state, OperatorCode::Multiply);
}
void BM_StackedDivide(benchmark::State &state) {
  stacked(state, OperatorCode::Divide);
}

void BM_TextAdd(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *a_text = set.mixed[i].c_str();
    const char *b_text = set.others[i].c_str();
    const Fraction a = text_to_fraction(a_text);
    const Fraction b = text_to_fraction(b_text);
    const fraction::ShortText box = format_fraction(fraction_arith(a, 1, b));
    return working::text_arith_working(a_text, a, 1, b_text, b)
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_Reduce(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.fractions[i].c_str();
    const fraction::ShortText box =
        format_fraction(reduce_fraction(parse_fraction(text)));
    return working::reduce_working(text).paragraphs.size() + box.view().size();
  });
}

void BM_ReduceMixed(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.mixed[i].c_str();
    const fraction::ShortText box = format_mixed(fraction_to_mixed(
        reduce_fraction(mixed_to_fraction(parse_mixed(text)))));
    return working::reduce_working(text).paragraphs.size() + box.view().size();
  });
}

void BM_CommonDenominator(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *a_text = set.fractions[i].c_str();
    const char *b_text = set.others[i].c_str();
    const Fraction a = text_to_fraction(a_text);
    const Fraction b = text_to_fraction(b_text);
    const auto [first, second] = common_denominator(a, b);
    const fraction::ShortText one = format_fraction(first, false);
    const fraction::ShortText two = format_fraction(second, false);
    return working::common_denominator_working(a_text, a, b_text, b)
               .paragraphs.size() +
           one.view().size() + two.view().size();
  });
}

// ---- Page 分数运算2 ------------------------------------------------------

void BM_DecimalToFraction(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.decimals[i].c_str();
    const fraction::ShortText box =
        fraction_pages::decimal_to_fraction_text(text);
    const double x = sdk::text_to_number(text);
    const sdk::Text number = sdk::to_text(x);
    return working::decimal_to_fraction_working(number.view(),
                                                decimal_to_fraction(x))
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_DecimalToMixed(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.decimals[i].c_str();
    const fraction::ShortText box = fraction_pages::decimal_to_mixed_text(text);
    const double x = sdk::text_to_number(text);
    const sdk::Text number = sdk::to_text(x);
    return working::decimal_to_mixed_working(number.view(),
                                             decimal_to_fraction(x))
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_FractionToDecimal(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.fractions[i].c_str();
    const sdk::Text box = fraction_pages::fraction_to_decimal_text(text);
    return working::fraction_to_decimal_working(text, text_to_fraction(text),
                                                box.view())
        .paragraphs.size();
  });
}

void BM_MixedToDecimal(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.mixed[i].c_str();
    const sdk::Text box = fraction_pages::mixed_to_decimal_text(text);
    return working::mixed_to_decimal_working(text, box.view())
        .paragraphs.size();
  });
}

void BM_Square(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.fractions[i].c_str();
    const fraction::ShortText box = fraction_pages::square_fraction_text(text);
    return working::square_working(text, text_to_fraction(text))
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_NearestInteger(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.fractions[i].c_str();
    const sdk::Text box = fraction_pages::reduce_to_integer_text(text);
    return working::nearest_integer_working(text, text_to_fraction(text))
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_FractionToMixed(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.fractions[i].c_str();
    const fraction::ShortText box =
        fraction_pages::fraction_to_mixed_text(text);
    return working::fraction_to_mixed_working(text, text_to_fraction(text))
               .paragraphs.size() +
           box.view().size();
  });
}

void BM_MixedToFraction(benchmark::State &state) {
  const EntrySet &set = entry_set(state);
  run(state, [&](std::size_t i) {
    const char *text = set.mixed[i].c_str();
    const fraction::ShortText box =
        fraction_pages::mixed_to_fraction_text(text);
    return working::mixed_to_fraction_working(text).paragraphs.size() +
           box.view().size();
  });
}

#define WORKING_BENCHMARK(name) BENCHMARK(name)->DenseRange(0, 2)

WORKING_BENCHMARK(BM_StackedAdd);
WORKING_BENCHMARK(BM_StackedSubtract);
WORKING_BENCHMARK(BM_StackedMultiply);
WORKING_BENCHMARK(BM_StackedDivide);
WORKING_BENCHMARK(BM_TextAdd);
WORKING_BENCHMARK(BM_Reduce);
WORKING_BENCHMARK(BM_ReduceMixed);
WORKING_BENCHMARK(BM_CommonDenominator);
WORKING_BENCHMARK(BM_DecimalToFraction);
WORKING_BENCHMARK(BM_DecimalToMixed);
WORKING_BENCHMARK(BM_FractionToDecimal);
WORKING_BENCHMARK(BM_MixedToDecimal);
WORKING_BENCHMARK(BM_Square);
WORKING_BENCHMARK(BM_NearestInteger);
WORKING_BENCHMARK(BM_FractionToMixed);
WORKING_BENCHMARK(BM_MixedToFraction);

} // namespace
} // namespace qx::fraction::bench
