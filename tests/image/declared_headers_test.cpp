// Tests of the headers quadrix-image writes from the declarations: the const
// offsets follow the items' byte sizes, the control identifiers and page
// lists follow the form, and declarations the headers cannot name are
// refused.
#include "program/tool/declared_headers.h"

#include "program/const_layout.h"

#include "base/qx_abi.h"
#include "tests/image/format_test_support.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace qx::image::tool {
namespace {

using Constants = std::map<std::string, std::uint32_t>;
using Lists = std::map<std::string, std::vector<std::uint32_t>>;

// The `std::uint32_t` constants a header defines.
Constants constants_of(const std::string &header) {
  static const std::regex line(
      R"(inline constexpr std::uint32_t (\S+) = (0x[0-9A-F]+);)");
  Constants found;
  for (std::sregex_iterator it(header.begin(), header.end(), line), end;
       it != end; ++it)
    found[(*it)[1]] = static_cast<std::uint32_t>(std::stoul((*it)[2], 0, 16));
  return found;
}

// The `std::array<std::uint32_t, N>` lists a header defines; checks that N
// matches the elements.
Lists lists_of(const std::string &header) {
  static const std::regex line(
      R"(std::array<std::uint32_t, (\d+)> (\S+) = \{([^}]*)\};)");
  Lists found;
  for (std::sregex_iterator it(header.begin(), header.end(), line), end;
       it != end; ++it) {
    std::vector<std::uint32_t> &ids = found[(*it)[2]];
    std::istringstream elements((*it)[3]);
    std::string element;
    while (std::getline(elements, element, ','))
      ids.push_back(static_cast<std::uint32_t>(std::stoul(element, 0, 16)));
    EXPECT_EQ(ids.size(), std::stoul((*it)[1])) << (*it)[2];
  }
  return found;
}

constexpr std::array<std::uint32_t, 2> kThree = {1, 3};
constexpr std::array<std::uint32_t, 4> kFilled = {1, 2, 7, 8};

constexpr ConstItem text(std::string_view name, std::string_view value) {
  return {0, ConstKind::Text, value, 0.0, {}, name};
}
constexpr ConstItem number(std::string_view name) {
  return {0, ConstKind::Double, {}, 0.5, {}, name};
}
constexpr ConstItem array(std::string_view name,
                          std::span<const std::uint32_t> words) {
  return {0, ConstKind::Array, {}, 0.0, words, name};
}

std::string const_header(std::vector<ConstItem> items, std::size_t classic) {
  assign_const_offsets(items);
  std::ostringstream out;
  write_const_offsets_header(items, classic, out);
  return out.str();
}

TEST(ConstOffsetsHeader, OffsetsFollowTheStoredSizes) {
  // "ab" and its zero: 3 bytes; a double: 8; an array of 2 words: 8; "方程"
  // in GBK and its zero: 5; an empty text: 1; an array of 4 words: 16.
  const std::vector<ConstItem> items = {
      text("kAb", "ab"),     number("kHalf"),    array("kThree", kThree),
      text("kWord", "方程"), text("kEmpty", ""), array("kFilled", kFilled)};
  const struct {
    std::size_t classic;
    std::uint32_t classic_size;
  } cases[] = {{0, 0}, {3, 19}, {5, 25}, {6, 41}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.classic);
    Constants expected = {{"kAb", 0},
                          {"kHalf", 3},
                          {"kThree", 11},
                          {"kWord", 19},
                          {"kEmpty", 24},
                          {"kFilled", 25},
                          {"kClassicSize", c.classic_size}};
    EXPECT_EQ(constants_of(const_header(items, c.classic)), expected);
  }
}

TEST(ConstOffsetsHeader, RefusesWhatItCannotName) {
  const struct {
    const char *what;
    std::vector<ConstItem> items;
    std::size_t classic;
    const char *message;
  } cases[] = {
      {"a name used twice", {text("kA", "x"), number("kA")}, 2, "twice"},
      {"no name", {text("", "x")}, 1, "not an identifier"},
      {"a leading digit", {text("1st", "x")}, 1, "not an identifier"},
      {"a blank in the name", {text("k A", "x")}, 1, "not an identifier"},
      {"a classic table longer than the items",
       {text("kA", "x")},
       2,
       "classic table"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    std::string error =
        qx::test::error_of([&] { const_header(c.items, c.classic); });
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

TEST(ConstOffsetsHeader, TextWithoutAGbkFormIsRefused) {
  EXPECT_THROW(const_header({text("kFace", "\xF0\x9F\x98\x80")}, 1),
               FormatError);
}

// ---- Control identifiers
// -----------------------------------------------------

constexpr std::uint32_t kTab = 0x16010091;
constexpr std::uint32_t kFirst = 0x1601009F;
constexpr std::uint32_t kLabel = 0x1601009E;
constexpr std::uint32_t kSecond = 0x160100A3;
constexpr std::uint32_t kButton = 0x160100A7;
constexpr std::uint32_t kOutside = 0x160100CE;

form::ControlRecord control(std::uint32_t id, std::uint32_t unit,
                            std::string gbk_name, form::Props props) {
  form::ControlRecord record;
  record.id = id;
  record.unit_type = unit;
  record.name = std::move(gbk_name);
  record.props = std::move(props);
  return record;
}

// A window, a tab control whose first page holds an edit box, a label and a
// second edit box and whose second page holds only a button, and an edit
// box outside the tab. Names are GBK: "选择夹1", "编辑框1", ...
form::Form sample_form() {
  form::Form form;
  form.records.emplace_back(
      control(QX_WINDOW_RECORD_ID, QX_UNIT_WINDOW, "", form::WindowProps{}));
  form::ControlRecord tab = control(kTab, QX_UNIT_TAB_CONTROL,
                                    "\xD1\xA1\xD4\xF1\xBC\xD0"
                                    "1",
                                    form::TabProps{});
  tab.pages = {{kFirst, kLabel, kSecond}, {kButton}};
  form.records.emplace_back(std::move(tab));
  form.records.emplace_back(control(kFirst, QX_UNIT_EDIT_BOX,
                                    "\xB1\xE0\xBC\xAD\xBF\xF2"
                                    "1",
                                    form::EditProps{}));
  form.records.emplace_back(
      control(kLabel, QX_UNIT_LABEL, "label_1", form::LabelProps{}));
  form.records.emplace_back(
      control(kSecond, QX_UNIT_EDIT_BOX, "x2", form::EditProps{}));
  form.records.emplace_back(
      control(kButton, QX_UNIT_BUTTON, "solve", form::ButtonProps{}));
  form.records.emplace_back(
      control(kOutside, QX_UNIT_EDIT_BOX, "outside", form::EditProps{}));
  form::MenuItemRecord item;
  item.id = 0x26010001;
  form.records.emplace_back(item);
  return form;
}

const std::vector<NamedId> kMenu = {{"退出", 0x26010005}};

std::string ids_header(const form::Form &form,
                       const std::vector<NamedId> &menu = kMenu) {
  std::ostringstream out;
  write_control_ids_header(form, menu, out);
  return out.str();
}

TEST(ControlIdsHeader, NamesEveryNamedControlAndMenuItem) {
  const Constants expected = {{"选择夹1", kTab},   {"编辑框1", kFirst},
                              {"label_1", kLabel}, {"x2", kSecond},
                              {"solve", kButton},  {"outside", kOutside},
                              {"退出", 0x26010005}};
  EXPECT_EQ(constants_of(ids_header(sample_form())), expected);
}

TEST(ControlIdsHeader, PagesListTheirEditBoxesInRecordOrder) {
  const std::string header = ids_header(sample_form());
  const Lists expected = {{"kPage1EditBoxes", {kFirst, kSecond}},
                          {"kPage2EditBoxes", {}}};
  EXPECT_EQ(lists_of(header), expected);
  EXPECT_NE(header.find("std::array<std::span<const std::uint32_t>, 2> "
                        "kPageEditBoxes = {kPage1EditBoxes, kPage2EditBoxes};"),
            std::string::npos)
      << header;
}

TEST(ControlIdsHeader, RefusesWhatItCannotName) {
  const struct {
    const char *what;
    std::function<void(form::Form &, std::vector<NamedId> &)> change;
    const char *message;
  } cases[] = {
      {"a control name used twice",
       [](form::Form &f, auto &) {
         std::get<form::ControlRecord>(f.records[3]).name = "x2";
       },
       "twice"},
      {"a name that is no identifier",
       [](form::Form &f, auto &) {
         std::get<form::ControlRecord>(f.records[3]).name = "a-b";
       },
       "not an identifier"},
      {"a name that is no GBK text",
       [](form::Form &f, auto &) {
         std::get<form::ControlRecord>(f.records[3]).name = "\x81";
       },
       "not GBK"},
      {"a page listing a control the form lacks",
       [](form::Form &f, auto &) {
         std::get<form::ControlRecord>(f.records[1])
             .pages[1]
             .push_back(0x16010555);
       },
       "no named control"},
      {"a second tab control",
       [](form::Form &f, auto &) {
         f.records.emplace_back(control(0x16010600, QX_UNIT_TAB_CONTROL, "tab2",
                                        form::TabProps{}));
       },
       "more than one tab control"},
      {"a menu name used twice",
       [](form::Form &, auto &menu) {
         menu.push_back({"退出", 0x26010006});
       },
       "twice"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    form::Form form = sample_form();
    std::vector<NamedId> menu = kMenu;
    c.change(form, menu);
    std::string error = qx::test::error_of([&] { ids_header(form, menu); });
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

} // namespace
} // namespace qx::image::tool
