// The whole click of a page, working included: the real image in an
// in-process runtime with the headless view. One iteration is one click as
// the user makes it (the routine reads the boxes, computes, builds its
// working, encodes it, the service decodes and checks it, the model keeps
// it and the view renders its plain text) followed by bringing the guide
// back, so that the next click shows its working afresh. The target: the
// slowest click under 1 ms.
//
//   build/bin/working_bench --benchmark_min_time=0.2
//
// BM_WorstInput clicks each of kWorstInputs, the inputs that cost each
// page and button the most; BM_FractionSweep clicks the fraction buttons
// over whole operand sets and reports the slowest operand's click;
// BM_StandInWorking shows a working of kStandInParagraphs paragraphs built
// here, as large as a page's. Before them, the program prints what the
// first click that builds the square part's table of primes costs.
#include "bench/fraction_operands.h"
#include "document/document.h"
#include "document/document_codec.h"
#include "program/control_ids.h"
#include "program/embedded_image.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace qx::bench {
namespace {

struct Typed {
  std::uint32_t box;
  const char *text;
};

// An operator chosen in a list: 0 ＋, 1 －, 2 ×, 3 ÷.
struct Chosen {
  std::uint32_t list;
  std::int32_t item;
};

struct WorstInput {
  const char *name;
  std::int32_t page;
  std::vector<Typed> typed;
  std::uint32_t button;
  std::vector<Chosen> chosen = {};
};

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kAdd = 0, kSubtract = 1, kMultiply = 2, kDivide = 3;

// The inputs that cost each page and each button the most: fields at the
// ends of their range, determinants and discriminants of 64 bits and more,
// square parts that need the table of primes, fractions whose reduction,
// common denominator or cancelling works on values near 2^31. Each gives a
// working (not an invalid value), apart from the one marked so.
const std::vector<WorstInput> kWorstInputs = {
    {"linear: coefficients at the field's ends",
     0,
     {{ctl::编辑框1, "-2147483647"}, {ctl::编辑框2, "-2147483648"}},
     ctl::求解},
    {"linear: a coefficient cut to its integer",
     0,
     {{ctl::编辑框1, "2147483646.9"}, {ctl::编辑框2, "2147483647"}},
     ctl::求解},
    {"system: D and Dx near 2^63",
     1,
     {{ctl::xya1, "-2147483648"},
      {ctl::xyb1, "-2147483647"},
      {ctl::xyc1, "2147483647"},
      {ctl::xya2, "2147483647"},
      {ctl::xyb2, "-2147483648"},
      {ctl::xyc2, "-2147483648"}},
     ctl::求方程组},
    {"system: determinants near 2^33",
     1,
     {{ctl::xya1, "2147483647"},
      {ctl::xyb1, "-2147483648"},
      {ctl::xyc1, "2147483647"},
      {ctl::xya2, "-2147483648"},
      {ctl::xyb2, "2147483646"},
      {ctl::xyc2, "-2147483647"}},
     ctl::求方程组},
    {"system: proportional rows near the limit",
     1,
     {{ctl::xya1, "2147483647"},
      {ctl::xyb1, "-2147483647"},
      {ctl::xyc1, "2147483646"},
      {ctl::xya2, "-2147483647"},
      {ctl::xyb2, "2147483647"},
      {ctl::xyc2, "-2147483647"}},
     ctl::求方程组},
    {"quadratic: discriminant 801981841 * 28751806793",
     2,
     {{ctl::二次项系数, "-2147483648"},
      {ctl::一次项系数, "2147482917"},
      {ctl::常数项, "2147483647"}},
     ctl::求根},
    {"quadratic: a prime discriminant near 2^64",
     2,
     {{ctl::二次项系数, "-2147483648"},
      {ctl::一次项系数, "2147483637"},
      {ctl::常数项, "2147483647"}},
     ctl::求根},
    {"quadratic: discriminant 1663997^2 * 1664009",
     2,
     {{ctl::二次项系数, "1"},
      {ctl::一次项系数, "2146497439"},
      {ctl::常数项, "1255109660"}},
     ctl::求根},
    {"quadratic: complex roots, discriminant near -2^64",
     2,
     {{ctl::二次项系数, "2147483647"},
      {ctl::一次项系数, "1"},
      {ctl::常数项, "2147483647"}},
     ctl::求根},
    {"stacked +: denominators 2147483646, reduced first",
     3,
     {{ctl::分子1, "1073741823"},
      {ctl::分母1, "2147483646"},
      {ctl::分子2, "-2147483645"},
      {ctl::分母2, "2147483646"}},
     ctl::计算,
     {{ctl::组合框1, kAdd}}},
    {"stacked -: coprime denominators near 2^15.5",
     3,
     {{ctl::分子1, "46336"},
      {ctl::分母1, "46337"},
      {ctl::分子2, "46326"},
      {ctl::分母2, "46327"}},
     ctl::计算,
     {{ctl::组合框1, kSubtract}}},
    {"stacked x: cancelling values near 2^31",
     3,
     {{ctl::分子1, "2147483646"},
      {ctl::分母1, "2147483647"},
      {ctl::分子2, "-2147483647"},
      {ctl::分母2, "2147483646"}},
     ctl::计算,
     {{ctl::组合框1, kMultiply}}},
    {"stacked ÷: the reciprocal near 2^31",
     3,
     {{ctl::分子1, "2147483646"},
      {ctl::分母1, "2147483647"},
      {ctl::分子2, "-2147483646"},
      {ctl::分母2, "2147483629"}},
     ctl::计算,
     {{ctl::组合框1, kDivide}}},
    {"text +: a mixed number near 2^31",
     3,
     {{ctl::编辑框4, "-1&1073741822/2147483646"},
      {ctl::编辑框5, "2147483645/2147483646"}},
     ctl::计算2,
     {{ctl::组合框2, kAdd}}},
    {"text -: coprime denominators near 2^15.5",
     3,
     {{ctl::编辑框4, "46336/46337"}, {ctl::编辑框5, "46326/46327"}},
     ctl::计算2,
     {{ctl::组合框2, kSubtract}}},
    {"text x: cancelling values near 2^31",
     3,
     {{ctl::编辑框4, "2147483646/2147483647"},
      {ctl::编辑框5, "-2147483647/2147483646"}},
     ctl::计算2,
     {{ctl::组合框2, kMultiply}}},
    {"text ÷: the reciprocal near 2^31",
     3,
     {{ctl::编辑框4, "-2147483646/2147483647"},
      {ctl::编辑框5, "2147483646/2147483629"}},
     ctl::计算2,
     {{ctl::组合框2, kDivide}}},
    {"reduce: a mixed number near 2^31",
     3,
     {{ctl::编辑框6, "-1&1073741822/2147483646"}},
     ctl::约分},
    {"common denominator: coprime, product near 2^31",
     3,
     {{ctl::编辑框8, "46336/46337"}, {ctl::编辑框9, "-46326/46327"}},
     ctl::通分},
    {"common denominator: beyond the range (invalid value)",
     3,
     {{ctl::编辑框8, "2147483645/2147483647"},
      {ctl::编辑框9, "2147483646/2147483629"}},
     ctl::通分},
    {"decimal to fraction: fifteen digits, nearest fraction",
     4,
     {{ctl::编辑框13, "-0.333333333333333"}},
     ctl::数值到分数},
    {"decimal to mixed number: fifteen digits",
     4,
     {{ctl::编辑框15, "3.14159265358979"}},
     ctl::数值到带分数},
    {"fraction to decimal: a recurring decimal near 2^31",
     4,
     {{ctl::编辑框17, "-2147483646/2147483647"}},
     ctl::分数到数值},
    {"mixed number to decimal: near 2^31",
     4,
     {{ctl::编辑框18, "-1&1073741822/2147483646"}},
     ctl::带分数到数值},
    {"square: a square just inside the range",
     4,
     {{ctl::编辑框21, "-46340/46339"}},
     ctl::求分数平方},
    {"nearest whole number: near 2^31",
     4,
     {{ctl::编辑框23, "-2147483647/2"}},
     ctl::约分到整数},
    {"fraction to mixed number: near 2^31",
     4,
     {{ctl::编辑框25, "-2147483647/2147483646"}},
     ctl::分数到带分数},
    {"mixed number to fraction: near 2^31",
     4,
     {{ctl::编辑框26, "-1&1073741822/2147483646"}},
     ctl::带分数到分数},
};

// The quadratic whose square part needs the table of primes (trial division
// up to the cube root of 801981841 * 28751806793).
constexpr std::size_t kFirstTableClick = 5;

constexpr int kStandInParagraphs = 40;

// A working of the shape the pages build: steps with fractions, roots and
// powers, and the return link.
doc::Document stand_in_working() {
  using namespace doc;
  const auto t = [](const char *utf8) { return Span{text(utf8)}; };
  Document d;
  for (int step = 0; d.paragraphs.size() + 1 < kStandInParagraphs; ++step) {
    d.add(ParagraphStyle::Heading, t("第二步：求根公式"));
    d.add(ParagraphStyle::Body, t("把 a、b、c 的值代入，得"));
    d.add(ParagraphStyle::Formula,
          {text("Δ = b"), superscript(t("2")), text(" − 4ac = (−2147483648)"),
           superscript(t("2")), text(" − 4 × (−2147483648) × 2147483647")});
    d.add(
        ParagraphStyle::Formula,
        {text("x"), subscript(t("1,2")), text(" = "),
         doc::fraction({text("2147483648 ± "), root(t("23058430070211297280"))},
                       {text("2 × (−2147483648)")}),
         text(" = "),
         doc::fraction({text("−1 ± 2"), root(t("1441151880638206080"))},
                       t("2147483648"))});
    d.add(ParagraphStyle::Note, t("2.9 按 2 计算"));
    static_cast<void>(step);
  }
  d.add(ParagraphStyle::ReturnLink, t("返回使用指南"));
  return d;
}

// The stand-in page's click routine: what a page does at its end.
void stand_in_click(std::int32_t, std::int32_t, std::int32_t) {
  sdk::show_working(ctl::超文本浏览框1, stand_in_working());
}

// A runtime running the real image, window loaded.
class Session {
public:
  Session() {
    auto view = std::make_unique<views::HeadlessView>();
    m_view = view.get();
    m_runtime = std::make_unique<rt::Runtime>(std::move(view));
    constexpr std::size_t kPage = 0x1000;
    m_image.assign((qx_program_image_size + kPage - 1) / kPage * kPage, 0);
    std::memcpy(m_image.data(), qx_program_image_pristine,
                qx_program_image_size);
    rt::load_program(*m_runtime,
                     std::span(m_image.data(), qx_program_image_size),
                     QX_BENCH_LIBRARY_DIR);
    m_runtime->load_window(QX_MAIN_WINDOW);
  }

  rt::Runtime &runtime() { return *m_runtime; }
  const views::HeadlessView &view() const { return *m_view; }

private:
  std::vector<unsigned char> m_image;
  views::HeadlessView *m_view = nullptr;
  std::unique_ptr<rt::Runtime> m_runtime;
};

// Clicks `button` over and over; after each click the guide comes back (as
// the program shows it, through the service), so that the next click's
// working is a change the view renders.
void click_loop(benchmark::State &state, Session &session,
                std::uint32_t button) {
  rt::Runtime &runtime = session.runtime();
  const std::vector<std::uint8_t> guide = doc::encode(doc::Document{});
  std::size_t shown_bytes = 0;
  for (auto _ : state) {
    if (!runtime.click(button)) {
      state.SkipWithError("the click was refused");
      return;
    }
    if (!session.view().messages().empty()) {
      state.SkipWithError("the click ended in a message box");
      return;
    }
    shown_bytes = session.view().shown_document(ctl::超文本浏览框1).size();
    runtime.show_document(QX_MAIN_WINDOW, ctl::超文本浏览框1, guide.data(),
                          static_cast<std::uint32_t>(guide.size()));
  }
  if (runtime.ended()) {
    state.SkipWithError(runtime.error_report().c_str());
    return;
  }
  state.counters["working_bytes"] = static_cast<double>(shown_bytes);
  state.counters["blocks_left"] =
      static_cast<double>(runtime.blocks().outstanding_blocks());
}

// Selects the input's page and fills in its boxes and lists.
bool enter(rt::Runtime &runtime, const WorstInput &input) {
  if (!runtime.select_page(ctl::选择夹1, input.page))
    return false;
  for (const Chosen &chosen : input.chosen)
    if (!runtime.select_item(chosen.list, chosen.item))
      return false;
  for (const Typed &typed : input.typed)
    if (!runtime.type_text(typed.box, typed.text))
      return false;
  return true;
}

void BM_WorstInput(benchmark::State &state) {
  const WorstInput &input =
      kWorstInputs.at(static_cast<std::size_t>(state.range(0)));
  state.SetLabel(input.name);
  Session session;
  rt::Runtime &runtime = session.runtime();
  if (!enter(runtime, input)) {
    state.SkipWithError("a box or a list refused its input");
    return;
  }
  click_loop(state, session, input.button);
}

void BM_StandInWorking(benchmark::State &state) {
  state.SetLabel("a working of 40 paragraphs, built in the click");
  Session session;
  // The clear link's routine gives way to the stand-in page.
  const auto offset =
      session.runtime().window()->find(ctl::清空)->handler(QX_EVENT_CLICK);
  if (!offset) {
    state.SkipWithError("the clear link has no routine");
    return;
  }
  session.runtime().bind_routine(*offset,
                                 {"stand_in_click", nullptr, &stand_in_click});
  click_loop(state, session, ctl::清空);
  if (state.counters["working_bytes"] == 0)
    state.SkipWithError("the stand-in showed no working");
}

// ---- The fraction buttons over whole operand sets ------------------------

// The texts typed for operand i of a set: a fraction, another fraction, a
// mixed number and a decimal.
struct Entries {
  std::vector<std::string> fractions;
  std::vector<std::string> others;
  std::vector<std::string> mixed;
  std::vector<std::string> decimals;
};

Entries make_entries(fraction::bench::OperandKind kind) {
  using fraction::bench::kOperandCount;
  Entries set;
  const auto a = fraction::bench::make_operands(kind, 1);
  const auto b = fraction::bench::make_operands(kind, 2);
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

// range(1): 0 random operands, 1 small, 2 denominators near 2^31.
const Entries &entries(const benchmark::State &state) {
  using fraction::bench::OperandKind;
  static const Entries sets[] = {make_entries(OperandKind::Random),
                                 make_entries(OperandKind::Small),
                                 make_entries(OperandKind::NearLimit)};
  return sets[state.range(1)];
}

struct SweptButton {
  const char *name;
  std::int32_t page;
  std::uint32_t control;
  // The boxes typed into, and which entry list each takes.
  std::uint32_t first_box;
  const std::vector<std::string> Entries::*first;
  std::uint32_t second_box = 0;
  const std::vector<std::string> Entries::*second = nullptr;
};

const SweptButton kSweptButtons[] = {
    {"text calculator", 3, ctl::计算2, ctl::编辑框4, &Entries::mixed,
     ctl::编辑框5, &Entries::others},
    {"reduce", 3, ctl::约分, ctl::编辑框6, &Entries::fractions},
    {"common denominator", 3, ctl::通分, ctl::编辑框8, &Entries::fractions,
     ctl::编辑框9, &Entries::others},
    {"decimal to mixed number", 4, ctl::数值到带分数, ctl::编辑框15,
     &Entries::decimals},
    {"fraction to decimal", 4, ctl::分数到数值, ctl::编辑框17,
     &Entries::fractions},
    {"mixed number to decimal", 4, ctl::带分数到数值, ctl::编辑框18,
     &Entries::mixed},
    {"square", 4, ctl::求分数平方, ctl::编辑框21, &Entries::fractions},
    {"fraction to mixed number", 4, ctl::分数到带分数, ctl::编辑框25,
     &Entries::fractions},
};

const char *const kSetNames[] = {"random", "small", "near 2^31"};

// Clicks button range(0) on each operand of set range(1) in turn, each
// click showing its working over the last one. "slowest_us" is the slowest
// operand's click (the fastest of three timings of it).
void BM_FractionSweep(benchmark::State &state) {
  const SweptButton &button =
      kSweptButtons[static_cast<std::size_t>(state.range(0))];
  state.SetLabel(std::string(button.name) + ", " + kSetNames[state.range(1)]);
  Session session;
  rt::Runtime &runtime = session.runtime();
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
  constexpr std::size_t kMask = fraction::bench::kOperandCount - 1;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(one(i));
    i = (i + 1) & kMask;
  }
  Clock::duration slowest{};
  for (std::size_t k = 0; k < fraction::bench::kOperandCount; ++k) {
    Clock::duration fastest = Clock::duration::max();
    for (int repeat = 0; repeat < 3; ++repeat) {
      const Clock::time_point start = Clock::now();
      benchmark::DoNotOptimize(one(k));
      fastest = std::min(fastest, Clock::now() - start);
    }
    slowest = std::max(slowest, fastest);
  }
  if (runtime.ended() || !session.view().messages().empty()) {
    state.SkipWithError("a click ended the program or showed a message");
    return;
  }
  state.counters["slowest_us"] =
      std::chrono::duration<double, std::micro>(slowest).count();
}

BENCHMARK(BM_WorstInput)
    ->DenseRange(0, static_cast<int>(kWorstInputs.size()) - 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StandInWorking)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FractionSweep)
    ->ArgsProduct({benchmark::CreateDenseRange(
                       0, static_cast<int>(std::size(kSweptButtons)) - 1, 1),
                   {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// The first click in a process whose discriminant needs the table of primes
// builds it; the benchmarks above run after that. This times that first
// click in a fresh session and the same click again, once.
void print_first_click() {
  const WorstInput &input = kWorstInputs.at(kFirstTableClick);
  Session session;
  rt::Runtime &runtime = session.runtime();
  if (!enter(runtime, input)) {
    std::fprintf(stderr, "the first click's input was refused\n");
    return;
  }
  // The time on the clock and in the processor (std::clock, the process's
  // processor time), as other work on the machine stretches the first.
  Clock::duration times[2]{};
  double processor_us[2]{};
  for (int k = 0; k < 2; ++k) {
    const std::clock_t processor_start = std::clock();
    const Clock::time_point start = Clock::now();
    const bool clicked = runtime.click(input.button);
    times[k] = Clock::now() - start;
    processor_us[k] = 1e6 *
                      static_cast<double>(std::clock() - processor_start) /
                      CLOCKS_PER_SEC;
    if (!clicked || !session.view().messages().empty()) {
      std::fprintf(stderr, "the first click failed\n");
      return;
    }
  }
  const auto us = [](Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
  };
  std::printf("first click that needs the table of primes (%s): %.0f us "
              "(processor %.0f us); the same click again: %.0f us "
              "(processor %.0f us)\n",
              input.name, us(times[0]), processor_us[0], us(times[1]),
              processor_us[1]);
}
} // namespace
} // namespace qx::bench

int main(int argc, char **argv) {
  qx::bench::print_first_click();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
