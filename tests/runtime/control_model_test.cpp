// The control model, properties through the services, user actions and the
// dispatch of events to routines.
#include "base/format_error.h"
#include "runtime/core/input_mode.h"
#include "tests/runtime/runtime_fixture.h"

#include <string>

namespace qx::test {
namespace {

// What the bound routines saw.
struct Trace {
  int window_created = 0;
  int button = 0;
  int label = 0;
  int exits = 0;
};
Trace g_trace;

void on_window_created() { ++g_trace.window_created; }
void on_button() {
  ++g_trace.button;
  // Reads a text (a fresh block freed by its owner) and writes it back.
  sdk::Text text = sdk::read_text(kEditPage0);
  sdk::Text doubled = sdk::concat({text.c_str(), text.c_str()});
  sdk::write_text(kEditPage0, doubled.c_str());
}
void on_label(std::int32_t a, std::int32_t b, std::int32_t c) {
  g_trace.label += 1 + a + b + c;
  sdk::Text held = sdk::to_text(3);
  sdk::raise_runtime_error(4);
}
void on_exit() {
  ++g_trace.exits;
  sdk::Text held = sdk::to_text(3);
  sdk::end_program(0);
}

class ControlModelTest : public RuntimeTest {
protected:
  void SetUp() override {
    g_trace = {};
    runtime->bind_routine(0x10, {"on_button", on_button, {}});
    runtime->bind_routine(0x20, {"on_label", {}, on_label});
    runtime->bind_routine(0x30, {"on_exit", on_exit, {}});
    load_test_window(on_window_created);
  }
  rt::WindowModel &model() { return *runtime->window(); }
  rt::Control &control(std::uint32_t id) { return *model().find(id); }
  bool read_visible(std::uint32_t id) {
    return runtime->read_property(QX_MAIN_WINDOW, id, QX_PROP_VISIBLE, -1) != 0;
  }
};

TEST_F(ControlModelTest, InitialState) {
  EXPECT_TRUE(view->shown());
  EXPECT_EQ(g_trace.window_created, 1);
  EXPECT_EQ(model().window().text(), "Test");
  EXPECT_EQ(control(kButton).text(), "Go");
  EXPECT_EQ(control(kCombo).selection(), 0);
  EXPECT_EQ(control(kTab).selection(), 0);
  EXPECT_EQ(control(kEditPage1).tab(), kTab);
  EXPECT_EQ(control(kEditPage1).page(), 1);
  EXPECT_EQ(model().find_by_name("edit1"), &control(kEditPage1));
  EXPECT_EQ(model().find_by_name(""), nullptr);
  EXPECT_EQ(model().find(0x16019999), nullptr);
  EXPECT_EQ(model().find(QX_WINDOW_RECORD_ID), &model().window());
  ASSERT_NE(model().find_menu_item_by_caption("Exit"), nullptr);
  EXPECT_EQ(model().find_menu_item_by_caption("Exit")->id, kMenuExit);
}

TEST_F(ControlModelTest, VisibleReadsOwnFlagAndPageWritesOwnFlagOnly) {
  EXPECT_TRUE(read_visible(kEditPage0));
  EXPECT_FALSE(read_visible(kEditPage1)); // page 1 not on show
  EXPECT_TRUE(read_visible(kButton));     // on the window itself

  ASSERT_TRUE(runtime->select_page(kTab, 1));
  EXPECT_FALSE(read_visible(kEditPage0));
  EXPECT_TRUE(read_visible(kEditPage1));

  // Hidden by the program while its page is not on show...
  runtime->write_property(QX_MAIN_WINDOW, kEditPage0, QX_PROP_VISIBLE, -1, 0,
                          0);
  ASSERT_TRUE(runtime->select_page(kTab, 0));
  // ...it stays hidden when its page comes back.
  EXPECT_FALSE(read_visible(kEditPage0));
  EXPECT_FALSE(control(kEditPage0).own_visible());
  runtime->write_property(QX_MAIN_WINDOW, kEditPage0, QX_PROP_VISIBLE, -1, 1,
                          0);
  EXPECT_TRUE(read_visible(kEditPage0));
}

TEST_F(ControlModelTest, TextPropertyIsCopiedBothWays) {
  std::string text = "3/4";
  const auto address = std::bit_cast<std::uintptr_t>(text.c_str());
  runtime->write_property(QX_MAIN_WINDOW, kEditPage0, QX_PROP_TEXT, -1,
                          static_cast<std::uint32_t>(address),
                          static_cast<std::uint32_t>(address >> 32));
  text = "changed";
  EXPECT_EQ(control(kEditPage0).text(), "3/4");
  {
    sdk::Text read = sdk::read_text(kEditPage0);
    EXPECT_EQ(read.view(), "3/4");
  }
  // A null text is the empty text.
  runtime->write_property(QX_MAIN_WINDOW, kEditPage0, QX_PROP_TEXT, -1, 0, 0);
  EXPECT_EQ(control(kEditPage0).text(), "");
  sdk::write_disabled(kButton, true);
  EXPECT_TRUE(control(kButton).disabled());
  EXPECT_EQ(sdk::read_selection(kCombo), 0);
  EXPECT_GT(view->change_count(), 0u);
}

TEST_F(ControlModelTest, BadPropertyAccessIsARuntimeError) {
  const struct {
    const char *what;
    std::uint32_t window, control;
    std::int32_t property, element;
    std::int32_t code;
  } cases[] = {
      {"element index", QX_MAIN_WINDOW, kEditPage0, QX_PROP_TEXT, 0,
       rt::kErrorBadProperty},
      {"unknown control", QX_MAIN_WINDOW, 0x16019999, QX_PROP_TEXT, -1,
       rt::kErrorBadProperty},
      {"unknown window", 0x52010002, kEditPage0, QX_PROP_TEXT, -1,
       rt::kErrorBadWindow},
      {"unknown property", QX_MAIN_WINDOW, kEditPage0, 7, -1,
       rt::kErrorBadProperty},
  };
  for (const auto &c : cases) {
    try {
      runtime->read_property(c.window, c.control, c.property, c.element);
      ADD_FAILURE() << c.what << ": read returned";
    } catch (const rt::RuntimeFault &fault) {
      EXPECT_EQ(fault.code, c.code) << c.what;
    }
    EXPECT_THROW(runtime->write_property(c.window, c.control, c.property,
                                         c.element, 0, 0),
                 rt::RuntimeFault)
        << c.what;
  }
  EXPECT_THROW(runtime->write_property(QX_MAIN_WINDOW, kCombo,
                                       QX_PROP_SELECTION, -1, 4, 0),
               rt::RuntimeFault);
}

TEST_F(ControlModelTest, TypingFollowsInputModeAndState) {
  ASSERT_TRUE(runtime->select_page(kTab, 1));
  const struct {
    std::uint32_t control;
    const char *text;
    bool accepted;
  } cases[] = {
      {kEditPage1, "-12", true},  {kEditPage1, "1.5", false},
      {kEditPage1, "abc", false}, {kEditPage0, "x", false}, // page hidden
      {kCombo, "1", false},       {kResult, "", false},
      {0x16019999, "1", false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(runtime->type_text(c.control, c.text), c.accepted)
        << std::hex << c.control << " " << c.text;
  EXPECT_EQ(control(kEditPage1).text(), "-12");
  sdk::write_disabled(kEditPage1, true);
  EXPECT_FALSE(runtime->type_text(kEditPage1, "7"));
  EXPECT_TRUE(runtime->select_item(kCombo, 3));
  EXPECT_FALSE(runtime->select_item(kCombo, 4));
  EXPECT_EQ(sdk::read_selection(kCombo), 3);
  EXPECT_FALSE(runtime->select_page(kTab, 2));
}

TEST(InputMode, AcceptsPerMode) {
  const struct {
    std::uint32_t mode;
    const char *text;
    bool accepted;
  } cases[] = {
      {0, "anything 1.5", true},
      {1, "", false},
      {1, "1", false},
      {8, "", true},
      {8, "-", true},
      {8, "-123", true},
      {8, "1-2", false},
      {8, "1.5", false},
      {8, "+1", false},
      {10, "-1.25", true},
      {10, ".5", true},
      {10, "1.2.3", false},
      {10, "1e5", false},
      {10, "--1", false},
      {99, "x", true},
  };
  for (const auto &c : cases)
    EXPECT_EQ(rt::input_accepts(c.mode, c.text), c.accepted)
        << c.mode << " '" << c.text << "'";
}

TEST_F(ControlModelTest, ClicksRunBoundRoutines) {
  ASSERT_TRUE(runtime->type_text(kEditPage0, "ab"));
  EXPECT_TRUE(runtime->click(kButton));
  EXPECT_EQ(g_trace.button, 1);
  EXPECT_EQ(control(kEditPage0).text(), "abab");
  EXPECT_FALSE(runtime->ended());

  // A disabled or hidden control cannot be clicked.
  sdk::write_disabled(kButton, true);
  EXPECT_FALSE(runtime->click(kButton));
  sdk::write_disabled(kButton, false);
  sdk::write_visible(kButton, false);
  EXPECT_FALSE(runtime->click(kButton));
  EXPECT_EQ(g_trace.button, 1);
  // A control without a binding accepts the click and runs nothing.
  EXPECT_TRUE(runtime->click(kEditPage0));
  EXPECT_TRUE(runtime->choose_menu_item(kMenuNone));
  EXPECT_FALSE(runtime->choose_menu_item(0x26019999));
}

TEST_F(ControlModelTest, RuntimeErrorInAHandlerEndsTheProgram) {
  EXPECT_TRUE(runtime->click(kLabel));
  EXPECT_EQ(g_trace.label, 1); // arguments 0, 0, 0
  EXPECT_EQ(runtime->exit_status(), rt::kRuntimeErrorStatus);
  EXPECT_EQ(runtime->error_report(), "runtime error 4: array index below 1");
  // Nothing runs after the end.
  EXPECT_FALSE(runtime->click(kButton));
  EXPECT_FALSE(runtime->type_text(kEditPage0, "x"));
}

TEST_F(ControlModelTest, EndProgramFromAMenuItemInsideTheLoop) {
  view->set_driver([&](rt::UserActions &actions) {
    EXPECT_TRUE(actions.choose_menu_item(kMenuExit));
    EXPECT_TRUE(view->quit_requested());
    EXPECT_FALSE(actions.click(kButton));
  });
  bool after_loop = false;
  const int status = run([&] {
    sdk::message_loop();
    after_loop = true;
  });
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(after_loop); // end_program unwound through the loop's caller
  EXPECT_EQ(g_trace.exits, 1);
  EXPECT_EQ(g_trace.button, 0);
}

TEST_F(ControlModelTest, ClosingTheWindowEndsTheLoopNormally) {
  view->set_driver([](rt::UserActions &actions) { actions.close_window(); });
  bool after_loop = false;
  EXPECT_EQ(run([&] {
              sdk::message_loop();
              after_loop = true;
            }),
            0);
  EXPECT_TRUE(after_loop);
}

TEST_F(ControlModelTest, UnboundOffsetIsARuntimeError) {
  runtime->bind_routine(0x10, {"gone", nullptr, nullptr});
  EXPECT_TRUE(runtime->click(kButton));
  EXPECT_EQ(runtime->exit_status(), rt::kRuntimeErrorStatus);
}

TEST(WindowModel, RejectsBrokenForms) {
  form::Form no_window;
  EXPECT_THROW(rt::WindowModel{no_window}, qx::FormatError);

  form::Form twice = make_test_form();
  twice.records.push_back(twice.records[1]);
  EXPECT_THROW(rt::WindowModel{twice}, qx::FormatError);

  form::Form dangling = make_test_form();
  std::get<form::ControlRecord>(dangling.records[1])
      .pages[0]
      .push_back(0x16017777);
  EXPECT_THROW(rt::WindowModel{dangling}, qx::FormatError);
}

TEST(RuntimeSingleton, OneActiveRuntimeAtATime) {
  {
    rt::Runtime first(std::make_unique<views::HeadlessView>());
    EXPECT_EQ(rt::Runtime::current(), &first);
    EXPECT_THROW(rt::Runtime(std::make_unique<views::HeadlessView>()),
                 std::logic_error);
  }
  EXPECT_EQ(rt::Runtime::current(), nullptr);
}

} // namespace
} // namespace qx::test
