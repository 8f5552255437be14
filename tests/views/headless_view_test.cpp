// The headless view over the main window: what each edit box shows of its
// text, how typed text is folded, and which button Enter presses.
#include "platform/gbk.h"
#include "program/control_ids.h"
#include "program/main_window.h"
#include "runtime/core/input_mode.h"
#include "runtime/core/runtime.h"
#include "runtime/views/headless/headless_view.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace {

namespace ctl = qx::ctl;
using qx::platform::gbk_to_utf8;
using qx::platform::utf8_to_gbk;

void doNothing() {}

// The main window with every routine bound to one that does nothing.
class HeadlessViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto view = std::make_unique<qx::views::HeadlessView>();
    m_view = view.get();
    m_runtime = std::make_unique<qx::rt::Runtime>(std::move(view));
    std::map<std::string, std::uint32_t> offsets;
    qx::form::Form form = qx::window::main_window_form(
        [&](const qx::window::HandlerRef &ref) -> std::uint32_t {
          const auto [it, added] = offsets.try_emplace(
              std::string(ref.routine),
              static_cast<std::uint32_t>(0x18 + 0x10 * offsets.size()));
          (void)added;
          return it->second;
        });
    for (const auto &[name, offset] : offsets)
      m_runtime->bind_routine(offset, {name, &doNothing, nullptr});
    m_runtime->install_form(std::move(form));
    m_runtime->load_window(QX_MAIN_WINDOW);
  }

  qx::rt::WindowModel &window() { return *m_runtime->window(); }
  const qx::rt::Control &box(std::uint32_t id) { return *window().find(id); }
  void page(std::int32_t index) {
    ASSERT_TRUE(m_view->actions().select_page(ctl::选择夹1, index));
  }
  void write(std::uint32_t id, const char *utf8) {
    window().set_text(*window().find(id), utf8_to_gbk(utf8));
  }
  bool type(std::uint32_t id, const char *utf8) {
    return m_view->actions().type_text(id, utf8_to_gbk(utf8));
  }
  std::string shown(std::uint32_t id) {
    return gbk_to_utf8(m_view->shown_text(id).part);
  }
  std::string tooltip(std::uint32_t id) {
    return gbk_to_utf8(m_view->shown_text(id).tooltip);
  }

  qx::views::HeadlessView *m_view = nullptr;
  std::unique_ptr<qx::rt::Runtime> m_runtime;
};

// ---- What a box shows
// --------------------------------------------------------

TEST_F(HeadlessViewTest, AWrittenTextShowsItsStart) {
  // Box widths 192, 120, 40 and 19 pixels: 30, 18, 5 and 1 bytes fit.
  const struct {
    int page;
    std::uint32_t id;
    const char *text;
    const char *shown;
  } cases[] = {
      {0, ctl::编辑框3, "-2.333333333333333333333333333333",
       "-2.333333333333333333333333333"},
      {2, ctl::x1, "0.666666666666666666667", "0.6666666666666666"},
      {3, ctl::编辑框12, "2446/285", "2446/"},
      {3, ctl::分子3, "41152", "4"},
      // A double-byte character is never cut in two.
      {3, ctl::编辑框12, "方程无实数根", "方程"},
      {3, ctl::编辑框12, "ab方程", "ab方"},
      {3, ctl::编辑框12, "a方程", "a方程"}, // exactly fits
  };
  for (const auto &c : cases) {
    page(c.page);
    write(c.id, c.text);
    EXPECT_EQ(shown(c.id), c.shown) << c.text;
    EXPECT_EQ(tooltip(c.id), std::string(c.text) == c.shown ? "" : c.text)
        << c.text;
  }
}

TEST_F(HeadlessViewTest, ATypedTextShowsItsEndUntilARoutineRewritesIt) {
  // 编辑框1 is 95 pixels wide: 14 bytes fit.
  const std::string digits = "123456789012345678901234567890";
  ASSERT_TRUE(type(ctl::编辑框1, digits.c_str()));
  EXPECT_EQ(shown(ctl::编辑框1), "78901234567890");
  EXPECT_EQ(tooltip(ctl::编辑框1), digits);
  ASSERT_TRUE(type(ctl::编辑框1, "方程方程方程方程a"));
  EXPECT_EQ(shown(ctl::编辑框1), "方程方程方程a"); // no half character
  write(ctl::编辑框1, digits.c_str());
  EXPECT_EQ(shown(ctl::编辑框1), "12345678901234");
  // A refused typing changes nothing: the start stays in view.
  EXPECT_FALSE(type(ctl::编辑框3, "1"));
  write(ctl::编辑框3, digits.c_str());
  EXPECT_FALSE(type(ctl::编辑框3, "1"));
  EXPECT_EQ(shown(ctl::编辑框3), digits.substr(0, 30));
}

TEST_F(HeadlessViewTest, AShortTextShowsWholeWithoutATooltip) {
  for (const char *text : {"", "1", "-1.5", "3/4"}) {
    write(ctl::编辑框3, text);
    EXPECT_EQ(shown(ctl::编辑框3), text);
    EXPECT_EQ(tooltip(ctl::编辑框3), "");
  }
  // What is not an edit box shows nothing.
  EXPECT_EQ(shown(ctl::求解), "");
  EXPECT_EQ(shown(0x1601FFFF), "");
}

// ---- Folding
// -------------------------------------------------------------------

TEST_F(HeadlessViewTest, TypedFullWidthFormsAreFoldedBeforeTheInputModeJudges) {
  const struct {
    int page;
    std::uint32_t id;
    const char *typed;
    const char *stored; // nullptr: refused
  } cases[] = {
      {0, ctl::编辑框1, "１２", "12"},
      {0, ctl::编辑框2, "－３", "-3"},
      {0, ctl::编辑框1, "１　２", "1 2"},    // ideographic space
      {0, ctl::编辑框1, "ａＺ！～", "aZ!~"}, // both ends of the range
      {0, ctl::编辑框1, "１２。", "12。"},   // not an ASCII form: kept
      {3, ctl::分子1, "－１２", "-12"},      // whole-number box
      {3, ctl::分子1, "１．５", nullptr},    // "1.5" is no whole number
      {3, ctl::编辑框4, "１／２", "1/2"},
      {4, ctl::编辑框13, "０．２５", "0.25"}, // decimal box
      {0, ctl::编辑框3, "１", nullptr},       // result box
  };
  for (const auto &c : cases) {
    page(c.page);
    write(c.id, "");
    EXPECT_EQ(type(c.id, c.typed), c.stored != nullptr) << c.typed;
    EXPECT_EQ(gbk_to_utf8(box(c.id).text()), c.stored ? c.stored : "")
        << c.typed;
  }
}

TEST_F(HeadlessViewTest, TextsARoutineWritesAndBadBytesAreNotFolded) {
  write(ctl::编辑框1, "＋１２");
  EXPECT_EQ(gbk_to_utf8(box(ctl::编辑框1).text()), "＋１２");
  // Bytes that are not GBK reach the runtime as they are.
  const std::string bad = "\x81\x20\xA3\xB1";
  ASSERT_TRUE(m_view->actions().type_text(ctl::编辑框1, bad));
  EXPECT_EQ(box(ctl::编辑框1).text(), bad);
}

TEST(FullWidthFolding, OnlyTheAsciiFormsAndTheIdeographicSpaceChange) {
  const struct {
    char32_t in, out;
  } cases[] = {
      {0xFF00, 0xFF00}, {0xFF01, U'!'},   {0xFF10, U'0'},   {0xFF19, U'9'},
      {0xFF0D, U'-'},   {0xFF0E, U'.'},   {0xFF0F, U'/'},   {0xFF06, U'&'},
      {0xFF5E, U'~'},   {0xFF5F, 0xFF5F}, {0x3000, U' '},   {0x3001, 0x3001},
      {U'1', U'1'},     {0xFFE5, 0xFFE5}, {0x2212, 0x2212},
  };
  for (const auto &c : cases)
    EXPECT_EQ(qx::rt::fold_full_width(c.in), c.out)
        << std::hex << static_cast<std::uint32_t>(c.in);

  const struct {
    std::string in, out;
  } texts[] = {
      {"", ""},
      {"１２", "12"},
      {"x＝－３．５", "x=-3.5"},
      {"方程　组", "方程 组"},
      {"\xEF\xBC", "\xEF\xBC"},      // cut off: kept
      {"\xEF\xBC\x91\xEF", "1\xEF"}, // cut off after a fold
      {"\x91\xBC\xEF\xBC\x91", "\x91\xBC"
                               "1"}, // stray trail bytes
  };
  for (const auto &t : texts)
    EXPECT_EQ(qx::rt::fold_full_width_utf8(t.in), t.out) << t.in;
}

// ---- Enter
// -----------------------------------------------------------------------

TEST_F(HeadlessViewTest, EnterPressesTheFirstButtonAfterTheBoxOnItsPage) {
  const struct {
    std::uint32_t box;
    std::uint32_t button; // 0: none
  } cases[] = {
      {ctl::编辑框1, ctl::求解},
      {ctl::编辑框2, ctl::求解},
      {ctl::xya1, ctl::求方程组},
      {ctl::xyc2, ctl::求方程组},
      {ctl::二次项系数, ctl::求根},
      {ctl::一次项系数, ctl::求根},
      {ctl::常数项, ctl::求根},
      {ctl::分子1, ctl::计算},
      {ctl::分母2, ctl::计算},
      {ctl::编辑框4, ctl::计算2},
      {ctl::编辑框5, ctl::计算2},
      {ctl::编辑框6, ctl::约分},
      {ctl::编辑框9, ctl::通分},
      {ctl::编辑框13, ctl::数值到分数},
      {ctl::编辑框26, ctl::带分数到分数},
      // Result boxes press nothing, also where a button of the next row
      // follows them.
      {ctl::编辑框3, 0},
      {ctl::编辑框14, 0},
      {ctl::编辑框12, 0},
      {ctl::分子3, 0},
  };
  for (const auto &c : cases) {
    const qx::rt::Control *button = window().enter_button(box(c.box));
    EXPECT_EQ(button ? button->id() : 0u, c.button) << std::hex << c.box;
  }
  // Not an edit box at all.
  EXPECT_EQ(window().enter_button(box(ctl::求解)), nullptr);
  EXPECT_EQ(window().enter_button(box(ctl::组合框1)), nullptr);
}

} // namespace
