// Whole clicks of the fraction pages with their working: the real image in
// an in-process runtime with the headless view, so that each click includes
// reading the boxes, the calculation, the working's building, its passage
// through the service table and its plain-text rendering. Each benchmark
// clicks one button on the operand set range(0) (0 random, 1 small, 2
// denominators near 2^31); "slowest_us" is the slowest operand's click (the
// fastest of three timings per operand), the figure that must stay under
// 1 ms.
#include "bench/fraction_operands.h"
#include "program/control_ids.h"
#include "program/embedded_image.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/views/headless/headless_view.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace qx::fraction::bench {
namespace {

constexpr std::int32_t kCalculatorPage = 3;
constexpr std::int32_t kConversionPage = 4;

// The program loaded once for the whole run.
struct Program {
  std::vector<unsigned char> image;
  std::unique_ptr<rt::Runtime> runtime;

  Program() {
    runtime =
        std::make_unique<rt::Runtime>(std::make_unique<views::HeadlessView>());
    // The runtime relocates the image in place: a fresh padded copy.
    constexpr std::size_t kPage = 0x1000;
    image.assign((qx_program_image_size + kPage - 1) / kPage * kPage, 0);
    std::memcpy(image.data(), qx_program_image_pristine, qx_program_image_size);
    rt::load_program(*runtime, std::span(image.data(), qx_program_image_size),
                     QX_BENCH_LIBRARY_DIR);
    runtime->load_window(QX_MAIN_WINDOW);
  }
};

Program &program() {
  static Program instance;
  return instance;
}

// The texts typed for operand i: a fraction, another fraction, a mixed
// number and a decimal.
struct Entries {
  std::vector<std::string> fractions;
  std::vector<std::string> others;
  std::vector<std::string> mixed;
  std::vector<std::string> decimals;
};

Entries make_entries(OperandKind kind) {
  Entries set;
  const std::vector<Fraction> a = make_operands(kind, 1);
  const std::vector<Fraction> b = make_operands(kind, 2);
  for (std::size_t i = 0; i < kOperandCount; ++i) {
    set.fractions.push_back(std::to_string(a[i].numerator) + "/" +
                            std::to_string(a[i].denominator));
    set.others.push_back(std::to_string(b[i].numerator) + "/" +
                         std::to_string(b[i].denominator));
    // whole & |numerator| mod denominator / denominator, with the sign.
    const std::int64_t n = a[i].numerator;
    const std::int64_t d = a[i].denominator;
    const std::int64_t magnitude = n < 0 ? -n : n;
    set.mixed.push_back(
        std::string(n < 0 ? "-" : "") + std::to_string(magnitude / d) + "&" +
        std::to_string(magnitude % d) + "/" + std::to_string(d));
    set.decimals.push_back(
        std::to_string(static_cast<double>(n) / static_cast<double>(d)));
  }
  return set;
}

const Entries &entries(const benchmark::State &state) {
  static const Entries sets[] = {make_entries(OperandKind::Random),
                                 make_entries(OperandKind::Small),
                                 make_entries(OperandKind::NearLimit)};
  return sets[state.range(0)];
}

struct Button {
  std::int32_t page;
  std::uint32_t control;
  // The boxes typed into, and which entry list each takes.
  std::uint32_t first_box;
  const std::vector<std::string> Entries::*first;
  std::uint32_t second_box = 0;
  const std::vector<std::string> Entries::*second = nullptr;
};

void click(benchmark::State &state, const Button &button) {
  rt::Runtime &runtime = *program().runtime;
  const Entries &set = entries(state);
  runtime.select_page(ctl::选择夹1, button.page);
  const auto one = [&](std::size_t i) {
    runtime.type_text(button.first_box, (set.*button.first)[i]);
    if (button.second)
      runtime.type_text(button.second_box, (set.*button.second)[i]);
    return runtime.click(button.control);
  };
  if (!one(0)) {
    state.SkipWithError("the click was refused");
    return;
  }
  constexpr std::size_t kMask = kOperandCount - 1;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(one(i));
    i = (i + 1) & kMask;
  }
  state.SetItemsProcessed(state.iterations());

  using Clock = std::chrono::steady_clock;
  Clock::duration slowest{};
  for (std::size_t k = 0; k < kOperandCount; ++k) {
    Clock::duration fastest = Clock::duration::max();
    for (int repeat = 0; repeat < 3; ++repeat) {
      const Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(one(k));
      fastest = std::min(fastest, Clock::now() - start);
    }
    slowest = std::max(slowest, fastest);
  }
  state.counters["slowest_us"] =
      std::chrono::duration<double, std::micro>(slowest).count();
}

void BM_TextCalculator(benchmark::State &state) {
  click(state, {kCalculatorPage, ctl::计算2, ctl::编辑框4, &Entries::mixed,
                ctl::编辑框5, &Entries::others});
}
void BM_Reduce(benchmark::State &state) {
  click(state, {kCalculatorPage, ctl::约分, ctl::编辑框6, &Entries::fractions});
}
void BM_CommonDenominator(benchmark::State &state) {
  click(state, {kCalculatorPage, ctl::通分, ctl::编辑框8, &Entries::fractions,
                ctl::编辑框9, &Entries::others});
}
void BM_DecimalToMixed(benchmark::State &state) {
  click(state, {kConversionPage, ctl::数值到带分数, ctl::编辑框15,
                &Entries::decimals});
}
void BM_FractionToDecimal(benchmark::State &state) {
  click(state,
        {kConversionPage, ctl::分数到数值, ctl::编辑框17, &Entries::fractions});
}
void BM_MixedToDecimal(benchmark::State &state) {
  click(state,
        {kConversionPage, ctl::带分数到数值, ctl::编辑框18, &Entries::mixed});
}
void BM_Square(benchmark::State &state) {
  click(state,
        {kConversionPage, ctl::求分数平方, ctl::编辑框21, &Entries::fractions});
}
void BM_FractionToMixed(benchmark::State &state) {
  click(state, {kConversionPage, ctl::分数到带分数, ctl::编辑框25,
                &Entries::fractions});
}

#define CLICK_BENCHMARK(name) BENCHMARK(name)->DenseRange(0, 2)

CLICK_BENCHMARK(BM_TextCalculator);
CLICK_BENCHMARK(BM_Reduce);
CLICK_BENCHMARK(BM_CommonDenominator);
CLICK_BENCHMARK(BM_DecimalToMixed);
CLICK_BENCHMARK(BM_FractionToDecimal);
CLICK_BENCHMARK(BM_MixedToDecimal);
CLICK_BENCHMARK(BM_Square);
CLICK_BENCHMARK(BM_FractionToMixed);

} // namespace
} // namespace qx::fraction::bench

BENCHMARK_MAIN();
