// The working a routine shows in a hypertext view: the service that takes
// it, what the model keeps, what the headless view renders, the return
// link, and the handshake that keeps an older runtime out.
#include "document/document_codec.h"
#include "tests/runtime/runtime_fixture.h"

#include <functional>
#include <string>

namespace qx::test {
namespace {

using WorkingTest = RuntimeTest;

doc::Document working(bool with_return_link = true) {
  doc::Document d;
  d.add(doc::ParagraphStyle::Heading, {doc::text("系数化为1")});
  d.add(doc::ParagraphStyle::Formula,
        {doc::text("x = "), doc::fraction({doc::text("3")}, {doc::text("4")})});
  if (with_return_link)
    d.add(doc::ParagraphStyle::ReturnLink, {doc::text("返回使用指南")});
  return d;
}

const rt::Control &view_control(rt::Runtime &runtime) {
  return *runtime.window()->find(kView);
}

TEST_F(WorkingTest, TheViewKeepsAndRendersWhatTheRoutineShows) {
  load_test_window();
  const std::size_t before = view->change_count();
  EXPECT_EQ(run([] { sdk::show_working(kView, working()); }), 0);
  EXPECT_EQ(view_control(*runtime).document(), working());
  EXPECT_EQ(view->shown_document(kView), "系数化为1\nx = 3/4\n返回使用指南\n");
  EXPECT_EQ(view->change_count(), before + 1);
}

TEST_F(WorkingTest, OnlyAChangeIsToldToTheView) {
  load_test_window();
  const struct {
    const char *name;
    std::function<void()> call;
    std::size_t changes;
    bool shows_working;
  } steps[] = {
      {"the guide to start with: nothing changes",
       [] { sdk::show_guide(kView); }, 0, false},
      {"a working", [] { sdk::show_working(kView, working()); }, 1, true},
      {"the same working again", [] { sdk::show_working(kView, working()); }, 0,
       true},
      {"another working", [] { sdk::show_working(kView, working(false)); }, 1,
       true},
      {"an empty working is the guide",
       [] { sdk::show_working(kView, doc::Document{}); }, 1, false},
  };
  for (const auto &step : steps) {
    const std::size_t before = view->change_count();
    run(step.call);
    EXPECT_EQ(view->change_count() - before, step.changes) << step.name;
    EXPECT_EQ(!view->shown_document(kView).empty(), step.shows_working)
        << step.name;
    EXPECT_EQ(!view_control(*runtime).document().empty(), step.shows_working)
        << step.name;
  }
}

TEST_F(WorkingTest, BadDocumentsAndTargetsAreRuntimeErrors) {
  const std::vector<std::uint8_t> good = doc::encode(working());
  std::vector<std::uint8_t> damaged = good;
  damaged[4] = 9; // the version
  std::vector<std::uint8_t> cut(good.begin(), good.end() - 1);
  const struct {
    const char *name;
    std::uint32_t window;
    std::uint32_t control;
    const std::uint8_t *bytes;
    std::uint32_t size;
    const char *report;
  } cases[] = {
      {"an edit box", QX_MAIN_WINDOW, kEditPage0, good.data(),
       static_cast<std::uint32_t>(good.size()),
       "runtime error 102: bad command argument: control 0x16010002 is not a "
       "hypertext view"},
      {"an unknown control", QX_MAIN_WINDOW, 0x1601FFFF, good.data(),
       static_cast<std::uint32_t>(good.size()), "runtime error 103"},
      {"another window", 0x52010002, kView, good.data(),
       static_cast<std::uint32_t>(good.size()), "runtime error 105"},
      {"bytes at null", QX_MAIN_WINDOW, kView, nullptr, 12,
       "runtime error 102: bad command argument: show_document: 12 bytes at a "
       "null "
       "address"},
      {"no bytes at all", QX_MAIN_WINDOW, kView, nullptr, 0,
       "runtime error 102: bad command argument: show_document for control "
       "0x16010008: document: magic"},
      {"a later version", QX_MAIN_WINDOW, kView, damaged.data(),
       static_cast<std::uint32_t>(damaged.size()), "version"},
      {"cut short", QX_MAIN_WINDOW, kView, cut.data(),
       static_cast<std::uint32_t>(cut.size()), "text"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    // An ended program stays ended: a fresh runtime for each case, showing
    // a working that a refused call must leave in place.
    restart();
    load_test_window();
    const doc::Document before = working(false);
    bool returned = false;
    const int status = run([&] {
      sdk::show_working(kView, before);
      sdk::services().show_document(c.window, c.control, c.bytes, c.size);
      returned = true;
    });
    EXPECT_FALSE(returned);
    EXPECT_EQ(status, rt::kRuntimeErrorStatus);
    EXPECT_NE(runtime->error_report().find(c.report), std::string::npos)
        << runtime->error_report();
    EXPECT_EQ(view_control(*runtime).document(), before);
  }
}

TEST_F(WorkingTest, TheReturnLinkBringsTheGuideBackOnlyWhenThereIsOne) {
  load_test_window();
  const struct {
    const char *name;
    std::function<void()> prepare;
    std::uint32_t control;
    bool accepted;
  } cases[] = {
      {"the guide shows", [] { sdk::show_guide(kView); }, kView, false},
      {"a working without the link",
       [] { sdk::show_working(kView, working(false)); }, kView, false},
      {"a working with the link", [] { sdk::show_working(kView, working()); },
       kView, true},
      {"not a hypertext view", [] { sdk::show_working(kView, working()); },
       kButton, false},
      {"the view is hidden",
       [] {
         sdk::show_working(kView, working());
         sdk::write_visible(kView, false);
       },
       kView, false},
  };
  for (const auto &c : cases) {
    // Called as a routine would be, with the program still running (a run
    // of the entry routine would end it).
    sdk::write_visible(kView, true);
    c.prepare();
    const doc::Document shown = view_control(*runtime).document();
    EXPECT_EQ(runtime->follow_return_link(c.control), c.accepted) << c.name;
    if (c.accepted) {
      EXPECT_TRUE(view_control(*runtime).document().empty()) << c.name;
      EXPECT_EQ(view->shown_document(kView), "") << c.name;
    } else {
      EXPECT_EQ(view_control(*runtime).document(), shown) << c.name;
    }
  }
}

TEST_F(WorkingTest, TheReturnLinkIsRefusedOnceTheProgramHasEnded) {
  load_test_window();
  EXPECT_EQ(run([] {
              sdk::show_working(kView, working());
              sdk::end_program(0);
            }),
            0);
  EXPECT_FALSE(runtime->follow_return_link(kView));
  EXPECT_FALSE(view_control(*runtime).document().empty());
}

TEST(SdkBind, RefusesATableWithoutTheDocumentService) {
  QxServiceTable table = rt::service_functions();
  QxLinkBlock link{};
  link.service_table = std::bit_cast<std::uintptr_t>(&table);
  // A runtime of the first version: smaller, older, no show_document.
  table.size = QX_SERVICE_TABLE_V1_SIZE;
  table.version = 1;
  table.show_document = nullptr;
  EXPECT_FALSE(sdk::bind(&link));
  // Any one of the three is reason enough.
  table.size = sizeof table;
  EXPECT_FALSE(sdk::bind(&link));
  table.version = QX_SERVICE_TABLE_VERSION;
  EXPECT_FALSE(sdk::bind(&link));
  table.show_document = rt::service_functions().show_document;
  table.size = QX_SERVICE_TABLE_V1_SIZE;
  EXPECT_FALSE(sdk::bind(&link));
  table.size = sizeof table;
  EXPECT_TRUE(sdk::bind(&link));
}

} // namespace
} // namespace qx::test
