// The hypertext view of the real program: a working shown there (by a
// stand-in for a page that calls the SDK as the pages do), and the ways
// back to the guide: the return link and "清空" on every page.
#include "document/document.h"
#include "program/control_ids.h"
#include "runtime/sdk/sdk.h"
#include "tests/program/program_run.h"

#include <gtest/gtest.h>

#include <string>

namespace qx::test {
namespace {

constexpr const char *kView = "超文本浏览框1";

doc::Document working() {
  doc::Document d;
  d.add(doc::ParagraphStyle::Heading, {doc::text("移项")});
  d.add(doc::ParagraphStyle::Formula,
        {doc::text("x"), doc::subscript({doc::text("1")}), doc::text(" = "),
         doc::fraction({doc::text("3 ± "), doc::root({doc::text("5")})},
                       {doc::text("2")})});
  d.add(doc::ParagraphStyle::ReturnLink, {doc::text("返回使用指南")});
  return d;
}

constexpr const char *kWorkingText = "移项\nx₁ = (3 ± √5)/2\n返回使用指南";

// What a page does at the end of a successful click.
void show_stand_in_working() {
  sdk::show_working(ctl::超文本浏览框1, working());
}

TEST(WorkingView, TheGuideComesBackByEachWay) {
  // -1: the return link; a page number: "清空" on that page.
  for (std::int32_t way = -1; way < 5; ++way) {
    SCOPED_TRACE(testing::Message() << "way " << way);
    run_program([&](Player &p) {
      EXPECT_EQ(p.text(kView), "");
      if (way >= 0)
        p.page(way);
      show_stand_in_working();
      EXPECT_EQ(p.text(kView), kWorkingText);
      if (way < 0)
        EXPECT_TRUE(p.session().follow_return_link(kView));
      else
        p.click("清空");
      EXPECT_EQ(p.text(kView), "");
      // With the guide back there is no link to follow.
      EXPECT_FALSE(p.session().follow_return_link(kView));
      EXPECT_EQ(p.outstanding_blocks(), 0u);
    });
  }
}

TEST(WorkingView, WhatEndsInAMessageBoxLeavesTheViewAsItWas) {
  run_program([](Player &p) {
    show_stand_in_working();
    p.page(2);
    p.type("二次项系数", "0");
    p.type("一次项系数", "1");
    p.type("常数项", "1");
    p.click("求根");
    EXPECT_EQ(p.take_messages().size(), 1u);
    p.page(0);
    p.click("求解"); // both boxes empty
    EXPECT_EQ(p.take_messages().size(), 1u);
    EXPECT_EQ(p.text(kView), kWorkingText);
  });
}

TEST(WorkingView, RandomDataOnTheConversionPageBringsTheGuideBack) {
  // The random link empties the page first, as "清空" does, and with it
  // the working of the boxes it empties.
  run_program([](Player &p) {
    show_stand_in_working();
    p.page(4);
    p.click("随机2");
    EXPECT_EQ(p.text(kView), "");
  });
}

} // namespace
} // namespace qx::test
