// What one click of a fraction page costs in calls across the service table:
// the real image in an in-process runtime, the calls counted by the runtime.
#include "program/control_ids.h"
#include "program/embedded_image.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/views/headless/headless_view.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace qx::test {
namespace {

constexpr std::int32_t kFractionPage = 3;
constexpr std::int32_t kConversionPage = 4;
// The texts parse and format without the runtime's text commands, so a
// click needs at most the operator's item value and, for a number beyond a
// plain decimal, the runtime's reading and writing of it.
constexpr std::uint64_t kMostCommandsPerClick = 4;

struct Typed {
  std::uint32_t box;
  const char *text;
};

struct Shown {
  std::uint32_t box;
  const char *text;
};

struct ClickCase {
  const char *name;
  std::int32_t page;
  std::vector<Typed> typed;
  std::uint32_t button;
  std::vector<Shown> shown;
  // Commands the click needs at least: the operator list's item value, and
  // for each number in exponent form its reading and its decimal text.
  std::uint64_t fewest_commands;
};

class ClickCostTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto view = std::make_unique<views::HeadlessView>();
    runtime = std::make_unique<rt::Runtime>(std::move(view));
    // The runtime relocates the image in place: a fresh padded copy.
    constexpr std::size_t kPage = 0x1000;
    image.assign((qx_program_image_size + kPage - 1) / kPage * kPage, 0);
    std::memcpy(image.data(), qx_program_image_pristine, qx_program_image_size);
    rt::load_program(*runtime, std::span(image.data(), qx_program_image_size),
                     QX_TEST_LIBRARY_DIR);
    runtime->load_window(QX_MAIN_WINDOW);
  }
  void TearDown() override {
    EXPECT_EQ(runtime->blocks().outstanding_blocks(), 0u);
  }

  std::string text(std::uint32_t box) {
    const rt::Control *control = runtime->window()->find(box);
    return control ? std::string(control->text()) : "<no control>";
  }

  std::vector<unsigned char> image;
  std::unique_ptr<rt::Runtime> runtime;
};

TEST_F(ClickCostTest, AFractionClickCrossesAtMostFourTimesForCommands) {
  const ClickCase cases[] = {
      {"typed fractions",
       kFractionPage,
       {{ctl::编辑框4, "1/2"}, {ctl::编辑框5, "-1 / 3"}},
       ctl::计算2,
       {{ctl::编辑框12, "1/6"}},
       1},
      {"mixed numbers",
       kFractionPage,
       {{ctl::编辑框4, "2&1/3"}, {ctl::编辑框5, "-0&1/2"}},
       ctl::计算2,
       {{ctl::编辑框12, "11/6"}},
       1},
      {"near the field limit",
       kFractionPage,
       {{ctl::编辑框4, "2147483647/2"}, {ctl::编辑框5, "-2147483646/2"}},
       ctl::计算2,
       {{ctl::编辑框12, "1/2"}},
       1},
      {"decimal operands",
       kFractionPage,
       {{ctl::编辑框4, "0.5"}, {ctl::编辑框5, "0.25"}},
       ctl::计算2,
       {{ctl::编辑框12, "3/4"}},
       1},
      {"a number in exponent form",
       kFractionPage,
       {{ctl::编辑框4, "1e-3"}, {ctl::编辑框5, "1/1000"}},
       ctl::计算2,
       {{ctl::编辑框12, "1/500"}},
       3},
      {"stacked operands",
       kFractionPage,
       {{ctl::分子1, "1"},
        {ctl::分母1, "2"},
        {ctl::分子2, "1"},
        {ctl::分母2, "3"}},
       ctl::计算,
       {{ctl::分子3, "5"}, {ctl::分母3, "6"}},
       1},
      {"reduction",
       kFractionPage,
       {{ctl::编辑框6, "6/-8"}},
       ctl::约分,
       {{ctl::编辑框7, "-3/4"}},
       0},
      {"mixed reduction",
       kFractionPage,
       {{ctl::编辑框6, "2&4/3"}},
       ctl::约分,
       {{ctl::编辑框7, "3&1/3"}},
       0},
      {"common denominator",
       kFractionPage,
       {{ctl::编辑框8, "1/4"}, {ctl::编辑框9, "5/6"}},
       ctl::通分,
       {{ctl::编辑框10, "3/12"}, {ctl::编辑框11, "10/12"}},
       0},
      {"decimal to fraction",
       kConversionPage,
       {{ctl::编辑框13, "0.75"}},
       ctl::数值到分数,
       {{ctl::编辑框14, "3/4"}},
       1},
      {"decimal to mixed number",
       kConversionPage,
       {{ctl::编辑框15, "-2.5"}},
       ctl::数值到带分数,
       {{ctl::编辑框16, "-2&1/2"}},
       1},
      {"fraction to decimal",
       kConversionPage,
       {{ctl::编辑框17, "1/8"}},
       ctl::分数到数值,
       {{ctl::编辑框19, "0.125"}},
       1},
      {"square",
       kConversionPage,
       {{ctl::编辑框21, "-2/3"}},
       ctl::求分数平方,
       {{ctl::编辑框22, "4/9"}},
       0},
      {"mixed number to fraction",
       kConversionPage,
       {{ctl::编辑框26, "1&1/2"}},
       ctl::带分数到分数,
       {{ctl::编辑框28, "3/2"}},
       0},
  };
  for (const ClickCase &c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(runtime->select_page(ctl::选择夹1, c.page));
    for (const Typed &t : c.typed)
      ASSERT_TRUE(runtime->type_text(t.box, t.text)) << t.text;
    const std::uint64_t before = runtime->command_calls();
    ASSERT_TRUE(runtime->click(c.button));
    const std::uint64_t commands = runtime->command_calls() - before;
    for (const Shown &s : c.shown)
      EXPECT_EQ(text(s.box), s.text);
    EXPECT_LE(commands, kMostCommandsPerClick);
    // Counting works: the calls the click cannot do without are seen.
    EXPECT_GE(commands, c.fewest_commands);
  }
}

TEST_F(ClickCostTest, AReductionWritesItsAnswerWithoutABlock) {
  // A click reads and writes boxes through the service table even when it
  // needs no more than one command.
  ASSERT_TRUE(runtime->select_page(ctl::选择夹1, kFractionPage));
  ASSERT_TRUE(runtime->type_text(ctl::编辑框6, "6/8"));
  const std::uint64_t calls_before = runtime->service_calls();
  const std::uint64_t commands_before = runtime->command_calls();
  ASSERT_TRUE(runtime->click(ctl::约分));
  EXPECT_EQ(text(ctl::编辑框7), "3/4");
  EXPECT_EQ(runtime->command_calls() - commands_before, 1u); // the "/" test
  // Read the box, free its text, the command, write the answer, show the
  // working. The answer's text is the module's own bytes: a block for it
  // would add its allocation and its freeing.
  EXPECT_EQ(runtime->service_calls() - calls_before, 5u);
}

} // namespace
} // namespace qx::test
