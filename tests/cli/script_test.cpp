// quadrix-cli's script runner on a scripted session: the refusals the real
// window never reaches (a visible but disabled control, a list refusing an
// item) and what each action hands to the session.
#include "launcher/cli/script.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using qx::cli::FormFacts;

// A session over a few named controls that records what it is asked to do.
class FakeSession final : public qx::rt::HeadlessSession {
public:
  struct State {
    bool visible = true;
    bool disabled = false;
    std::string text;
    std::int32_t selection = 0;
  };
  std::map<std::string, State, std::less<>> controls;
  std::vector<std::string> calls;
  bool refuse = false; // the runtime refuses every action
  bool has_ended = false;

  bool type_text(std::string_view c, std::string_view text) override {
    calls.push_back("type " + std::string(c) + "=" + std::string(text));
    if (refuse)
      return false;
    controls[std::string(c)].text = text;
    return true;
  }
  bool choose_item(std::string_view c, std::int32_t index) override {
    calls.push_back("choose " + std::string(c) + "=" + std::to_string(index));
    if (refuse)
      return false;
    controls[std::string(c)].selection = index;
    return true;
  }
  bool select_page(std::string_view tab, std::int32_t page) override {
    calls.push_back("page " + std::string(tab) + "=" + std::to_string(page));
    if (refuse)
      return false;
    controls[std::string(tab)].selection = page;
    return true;
  }
  bool click(std::string_view c) override {
    calls.push_back("click " + std::string(c));
    return !refuse;
  }
  bool press_enter(std::string_view c) override {
    calls.push_back("enter " + std::string(c));
    return !refuse;
  }
  bool choose_menu_item(std::string_view caption) override {
    calls.push_back("menu " + std::string(caption));
    return !refuse && caption == "退出(X)";
  }
  bool follow_return_link(std::string_view c) override {
    calls.push_back("follow " + std::string(c));
    return !refuse;
  }
  void close_window() override {}
  std::optional<std::string> text(std::string_view c) override {
    const auto found = controls.find(c);
    if (found == controls.end())
      return std::nullopt;
    return found->second.text;
  }
  std::optional<bool> visible(std::string_view c) override {
    const auto found = controls.find(c);
    if (found == controls.end())
      return std::nullopt;
    return found->second.visible;
  }
  std::optional<bool> disabled(std::string_view c) override {
    const auto found = controls.find(c);
    if (found == controls.end())
      return std::nullopt;
    return found->second.disabled;
  }
  std::optional<std::int32_t> selection(std::string_view c) override {
    const auto found = controls.find(c);
    if (found == controls.end())
      return std::nullopt;
    return found->second.selection;
  }
  const qx::form::Form *form() const override { return nullptr; }
  bool ended() const override { return has_ended; }
  std::size_t outstanding_blocks() const override { return 0; }
  std::size_t outstanding_bytes() const override { return 0; }
};

class ScriptRunnerTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_facts.tab = "tabs";
    m_facts.controls["tabs"] = {QX_UNIT_TAB_CONTROL, 0, {"one", "two"}};
    m_facts.controls["box"] = {QX_UNIT_EDIT_BOX, 0, {}};
    m_facts.controls["list"] = {QX_UNIT_COMBO_BOX, 0, {"＋", "÷"}};
    m_facts.controls["go"] = {QX_UNIT_BUTTON, 0, {}};
    m_facts.controls["view"] = {QX_UNIT_HYPERTEXT_VIEW, 0, {}};
    for (const char *name : {"tabs", "box", "list", "go", "view"})
      m_session.controls[name];
  }

  // Runs `script` and returns what it wrote on the error stream.
  std::string run(const std::string &script) {
    qx::cli::ScriptRunner runner(m_facts, m_out, m_err);
    std::istringstream in(script);
    runner.run(m_session, in);
    m_failed = runner.failed();
    return m_err.str();
  }

  FormFacts m_facts;
  FakeSession m_session;
  std::ostringstream m_out, m_err;
  bool m_failed = false;
};

TEST_F(ScriptRunnerTest, DisabledControlsRefuseEveryAction) {
  for (const char *name : {"tabs", "box", "list", "go"})
    m_session.controls[name].disabled = true;
  const std::string err =
      run("type box 1\nchoose list ÷\nclick go\npage two\nstate go\n");
  EXPECT_EQ(err, "error: line 1: type box 1: box is disabled\n"
                 "error: line 2: choose list ÷: list is disabled\n"
                 "error: line 3: click go: go is disabled\n"
                 "error: line 4: page two: tabs is disabled\n");
  EXPECT_EQ(m_out.str(), "visible disabled\n");
  EXPECT_TRUE(m_session.calls.empty());
  EXPECT_TRUE(m_failed);
}

TEST_F(ScriptRunnerTest, ActionsTheRuntimeRefusesAreReported) {
  m_session.refuse = true;
  const std::string err =
      run("choose list ÷\nclick go\npage 1\nclick 退出(&X)\n");
  EXPECT_EQ(err, "error: line 1: choose list ÷: choosing \"÷\" was refused\n"
                 "error: line 2: click go: the click on go was refused\n"
                 "error: line 3: page 1: page \"1\" was refused\n"
                 "error: line 4: click 退出(&X): no control or menu item "
                 "named \"退出(&X)\"\n");
}

TEST_F(ScriptRunnerTest, HandsTheSessionWhatEachActionNames) {
  const std::string err = run("type box  a b \n"
                              "choose list ÷ \n"
                              "page two\n"
                              "page 0\n"
                              "click go \n"
                              "click 退出(&X)\n"
                              "print list\n"
                              "print tabs\n");
  EXPECT_EQ(err, "");
  EXPECT_FALSE(m_failed);
  const std::vector<std::string> expected = {
      "type box= a b ", // the text is the rest of the line after one space
      "choose list=1",  "page tabs=1",  "page tabs=0", "click go",
      "menu 退出(&X)",  "menu 退出(X)", // retried without access-key marks
  };
  EXPECT_EQ(m_session.calls, expected);
  EXPECT_EQ(m_out.str(), "÷\none\n");
}

TEST_F(ScriptRunnerTest, NothingIsDoneOnceTheProgramHasEnded) {
  m_session.has_ended = true;
  const std::string err = run("click go\nclick 退出(X)\nprint box\n");
  EXPECT_EQ(err, "error: line 1: click go: the program has ended\n"
                 "error: line 2: click 退出(X): the program has ended\n");
  EXPECT_EQ(m_out.str(), "\n");
  EXPECT_TRUE(m_session.calls.empty());
}

TEST_F(ScriptRunnerTest, AClickOnTheHypertextViewFollowsItsReturnLink) {
  m_session.controls["view"].text = "x = 3/4\n返回使用指南";
  EXPECT_EQ(run("click view\nprint view\n"), "");
  EXPECT_EQ(m_session.calls, std::vector<std::string>{"follow view"});
  EXPECT_EQ(m_out.str(), "x = 3/4\n返回使用指南\n");
  m_session.refuse = true;
  EXPECT_EQ(
      run("click view\n"),
      "error: line 1: click view: view shows the guide: no return link\n");
  EXPECT_TRUE(m_failed);
}

} // namespace
