// basert.rtp loaded the way the launcher loads it: GetNewSock, and a program
// image built here run headless through QxRunHeadless, with its routines
// exported by this executable.
#include "platform/library.h"
#include "program/image_builder.h"
#include "runtime/basert/headless_api.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/sdk/routine.h"
#include "runtime/sdk/sdk.h"
#include "runtime/views/headless/headless_view.h"
#include "tests/runtime/runtime_fixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

QX_IMAGE_ROUTINE void qxt_on_created() { qx::sdk::set_random_seed(); }

QX_IMAGE_ROUTINE void qxt_on_button() {
  qx::sdk::Text text = qx::sdk::read_text(qx::test::kEditPage0);
  qx::sdk::Text doubled = qx::sdk::concat({text.c_str(), text.c_str()});
  qx::sdk::write_text(qx::test::kEditPage0, doubled.c_str());
  qx::sdk::message_box(doubled.c_str(), QX_MB_INFORMATION);
}

QX_IMAGE_ROUTINE void qxt_on_label(std::int32_t, std::int32_t, std::int32_t) {
  qx::sdk::Text held = qx::sdk::to_text(1.5);
  qx::sdk::TextArray pieces = qx::sdk::split_text("1/2", "/");
  static_cast<void>(pieces.at(0)); // runtime error 4
}

QX_IMAGE_ROUTINE void qxt_on_exit() {
  qx::sdk::Text held = qx::sdk::to_text(7);
  qx::sdk::end_program(0);
}

namespace qx::test {
namespace {

// The test form with its handlers bound through the image's directory.
std::vector<std::uint8_t> build_test_image(const char *button_routine) {
  const image::ProgramImage program =
      image::build_program_image([&](const image::HandlerOffsetFn &offset) {
        const std::map<std::uint32_t, std::uint32_t> handlers = {
            {0x10, offset({button_routine, 0})},
            {0x20, offset({"qxt_on_label", 3})},
            {0x30, offset({"qxt_on_exit", 0})},
            {0x40, offset({"qxt_on_created", 0})},
        };
        form::Form form = make_test_form();
        for (form::Record &record : form.records) {
          if (auto *item = std::get_if<form::MenuItemRecord>(&record)) {
            if (item->handler != form::kNoHandler)
              item->handler = handlers.at(item->handler);
            continue;
          }
          for (form::EventBinding &binding :
               std::get<form::ControlRecord>(record).events)
            binding.handler = handlers.at(binding.handler);
        }
        return form;
      });
  std::vector<std::uint8_t> bytes = program.bytes;
  bytes.resize(bytes.size() + 0x1000); // the padding an executable carries
  return bytes;
}

struct Script {
  std::vector<std::string> messages;
  std::size_t blocks_after_click = 99;
  std::optional<std::string> text_after_click;
  bool typed_rejected = false;
  bool ended_after_menu = false;
  enum class Action { Click, Label, Exit, Close } last = Action::Close;
};

class BasertTest : public ::testing::Test {
protected:
  void SetUp() override {
    // Loaded once and kept, as the launcher keeps it.
    static platform::LibraryHandle basert =
        platform::load_library(QX_BASERT_PATH);
    ASSERT_NE(basert, nullptr) << QX_BASERT_PATH;
    library.handle = basert;
    run_headless = library.symbol<QxRunHeadlessFn>(QX_RUN_HEADLESS_NAME);
    ASSERT_NE(run_headless, nullptr);
  }

  int run(std::vector<std::uint8_t> &image, Script &script) {
    QxHeadlessOptions options{};
    options.size = sizeof options;
    options.fix_seed = 1;
    options.seed = 5;
    options.context = &script;
    options.image_size = static_cast<std::uint32_t>(image.size());
    options.on_message = [](const char *text, std::uint32_t, void *context) {
      static_cast<Script *>(context)->messages.emplace_back(text);
    };
    options.driver = [](rt::HeadlessSession &session, void *context) {
      Script &s = *static_cast<Script *>(context);
      s.typed_rejected = !session.type_text("edit1", "12"); // page hidden
      EXPECT_TRUE(session.type_text("edit0", "ab"));
      EXPECT_TRUE(session.click("button"));
      s.text_after_click = session.text("edit0");
      s.blocks_after_click = session.outstanding_blocks();
      switch (s.last) {
      case Script::Action::Label:
        session.click("label");
        break;
      case Script::Action::Exit:
        EXPECT_TRUE(session.choose_menu_item("Exit"));
        s.ended_after_menu = session.ended();
        EXPECT_FALSE(session.click("button"));
        break;
      default:
        session.close_window();
      }
    };
    return run_headless(image.data(), &options);
  }

  // Borrowed: never released.
  struct Borrowed {
    platform::LibraryHandle handle = nullptr;
    template <typename T> T symbol(const char *name) const {
      return reinterpret_cast<T>(platform::find_symbol(handle, name));
    }
  } library;
  QxRunHeadlessFn run_headless = nullptr;
};

TEST_F(BasertTest, GetNewSockHandsOutTheStartRoutineFor1000Only) {
  auto get_new_sock = library.symbol<QxGetNewSockFn>(QX_GET_NEW_SOCK_NAME);
  ASSERT_NE(get_new_sock, nullptr);
  EXPECT_NE(get_new_sock(QX_GET_NEW_SOCK_START), nullptr);
  for (std::int32_t other : {0, 1, 999, 1001, -1000})
    EXPECT_EQ(get_new_sock(other), nullptr) << other;
}

TEST_F(BasertTest, RunsHandlersThroughTheRealAbi) {
  const struct {
    Script::Action last;
    int status;
  } cases[] = {
      {Script::Action::Close, 0},
      {Script::Action::Exit, 0},
      {Script::Action::Label, rt::kRuntimeErrorStatus},
  };
  for (const auto &c : cases) {
    std::vector<std::uint8_t> image = build_test_image("qxt_on_button");
    Script script;
    script.last = c.last;
    EXPECT_EQ(run(image, script), c.status);
    EXPECT_TRUE(script.typed_rejected);
    EXPECT_EQ(script.text_after_click, "abab");
    EXPECT_EQ(script.messages, std::vector<std::string>{"abab"});
    // Every block the handler got was freed before it returned.
    EXPECT_EQ(script.blocks_after_click, 0u);
    EXPECT_EQ(script.ended_after_menu, c.last == Script::Action::Exit);
  }
}

TEST_F(BasertTest, LoadErrorsAreReportedNotCrashes) {
  std::vector<std::uint8_t> missing = build_test_image("qxt_not_exported");
  Script script;
  EXPECT_EQ(run(missing, script), QX_HEADLESS_LOAD_ERROR);
  EXPECT_FALSE(script.text_after_click.has_value());

  std::vector<std::uint8_t> broken = build_test_image("qxt_on_button");
  broken[0] = 'X';
  EXPECT_EQ(run(broken, script), QX_HEADLESS_LOAD_ERROR);

  std::vector<std::uint8_t> chain = build_test_image("qxt_on_button");
  const std::uint32_t far = 0x7FFFFFF0;
  std::memcpy(chain.data() + 0x24, &far, 4);
  EXPECT_EQ(run(chain, script), QX_HEADLESS_LOAD_ERROR);
}

TEST(Loader, MissingSupportLibraryIsNamed) {
  std::vector<std::uint8_t> image = build_test_image("qxt_on_button");
  rt::Runtime runtime(std::make_unique<views::HeadlessView>());
  try {
    rt::load_program(runtime, image, "/nonexistent-directory");
    ADD_FAILURE() << "loaded without its support library";
  } catch (const rt::LoadError &error) {
    EXPECT_NE(std::string(error.what()).find("WebPane"), std::string::npos)
        << error.what();
  }
}

} // namespace
} // namespace qx::test
