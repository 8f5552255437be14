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
// kWorstInputs holds the inputs that cost each page the most; the page
// builders extend it as their working grows. The stand-in click shows a
// working of kStandInParagraphs paragraphs built here, as large as a page's.
#include "document/document.h"
#include "document/document_codec.h"
#include "program/control_ids.h"
#include "program/embedded_image.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace qx::bench {
namespace {

struct Typed {
  std::uint32_t box;
  const char *text;
};

struct WorstInput {
  const char *name;
  std::int32_t page;
  std::vector<Typed> typed;
  std::uint32_t button;
};

const std::vector<WorstInput> kWorstInputs = {
    {"linear: coefficients at the field's ends",
     0,
     {{ctl::编辑框1, "-2147483647"}, {ctl::编辑框2, "-2147483648"}},
     ctl::求解},
    {"system: determinants near 2^63",
     1,
     {{ctl::xya1, "2147483647"},
      {ctl::xyb1, "-2147483648"},
      {ctl::xyc1, "2147483647"},
      {ctl::xya2, "-2147483648"},
      {ctl::xyb2, "2147483646"},
      {ctl::xyc2, "-2147483647"}},
     ctl::求方程组},
    {"quadratic: discriminant near 2^64",
     2,
     {{ctl::二次项系数, "-2147483648"},
      {ctl::一次项系数, "-2147483648"},
      {ctl::常数项, "2147483647"}},
     ctl::求根},
    {"quadratic: a large square factor times a large prime",
     2,
     {{ctl::二次项系数, "1"},
      {ctl::一次项系数, "2147483646"},
      {ctl::常数项, "-2147483647"}},
     ctl::求根},
    {"fraction text: denominators near 2^31",
     3,
     {{ctl::编辑框4, "2147483646&2147483645/2147483647"},
      {ctl::编辑框5, "-2147483645/2147483646"}},
     ctl::计算2},
    {"reduce: a mixed number near the limit",
     3,
     {{ctl::编辑框6, "2147483647&2147483646/2147483647"}},
     ctl::约分},
    {"common denominator: coprime denominators near 2^31",
     3,
     {{ctl::编辑框8, "2147483645/2147483647"},
      {ctl::编辑框9, "2147483646/2147483629"}},
     ctl::通分},
    {"decimal to fraction: fifteen digits",
     4,
     {{ctl::编辑框13, "0.333333333333333"}},
     ctl::数值到分数},
    {"square: a mixed number near the limit",
     4,
     {{ctl::编辑框21, "46340&46339/46341"}},
     ctl::求分数平方},
};

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
    d.add(ParagraphStyle::Formula,
          {text("x"), subscript(t("1,2")), text(" = "),
           fraction({text("2147483648 ± "), root(t("23058430070211297280"))},
                    {text("2 × (−2147483648)")}),
           text(" = "),
           fraction({text("−1 ± 2"), root(t("1441151880638206080"))},
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

void BM_WorstInput(benchmark::State &state) {
  const WorstInput &input =
      kWorstInputs.at(static_cast<std::size_t>(state.range(0)));
  state.SetLabel(input.name);
  Session session;
  rt::Runtime &runtime = session.runtime();
  if (!runtime.select_page(ctl::选择夹1, input.page)) {
    state.SkipWithError("the page was refused");
    return;
  }
  for (const Typed &typed : input.typed)
    if (!runtime.type_text(typed.box, typed.text)) {
      state.SkipWithError("a box refused its text");
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

BENCHMARK(BM_WorstInput)
    ->DenseRange(0, static_cast<int>(kWorstInputs.size()) - 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StandInWorking)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace qx::bench

BENCHMARK_MAIN();
