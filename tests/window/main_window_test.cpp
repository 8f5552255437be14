// Tests of the main window's declaration against the layout's facts.
#include "program/main_window.h"

#include "base/qx_abi.h"
#include "platform/gbk.h"
#include "program/app_icon.h"
#include "program/control_ids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace qx::window {
namespace {

using form::ControlRecord;
using form::MenuItemRecord;

// Stands in for the code section: hands out a distinct offset per routine
// and remembers how many argument words each was asked with.
struct RoutineTable {
  std::map<std::string, std::uint32_t> offsets;
  std::map<std::string, std::set<std::uint32_t>> arg_words;

  std::uint32_t offset_of(const HandlerRef &ref) {
    const std::string name(ref.routine);
    arg_words[name].insert(ref.arg_words);
    const auto [it, inserted] = offsets.try_emplace(
        name, 0x40 + 0x10 * static_cast<std::uint32_t>(offsets.size()));
    return it->second;
  }

  std::string routine_at(std::uint32_t offset) const {
    for (const auto &[name, at] : offsets) {
      if (at == offset)
        return name;
    }
    return "<unknown offset " + std::to_string(offset) + ">";
  }
};

std::string utf8(const std::string &gbk) {
  const platform::TextConversion converted = platform::convert_gbk_to_utf8(gbk);
  EXPECT_EQ(converted.replacements, 0u) << "bad GBK in " << converted.text;
  return converted.text;
}

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    form = main_window_form(
        [this](const HandlerRef &ref) { return routines.offset_of(ref); });
    for (const form::Record &record : form.records) {
      if (const auto *control = std::get_if<ControlRecord>(&record))
        controls.push_back(control);
      else
        menu_items.push_back(&std::get<MenuItemRecord>(record));
    }
  }

  const ControlRecord &control(std::uint32_t id) const {
    const auto it = std::find_if(
        controls.begin(), controls.end(),
        [id](const ControlRecord *record) { return record->id == id; });
    if (it == controls.end())
      throw std::runtime_error("no control " + std::to_string(id));
    return **it;
  }

  RoutineTable routines;
  form::Form form;
  std::vector<const ControlRecord *> controls;
  std::vector<const MenuItemRecord *> menu_items;
};

TEST_F(MainWindowTest, HoldsEveryKindInItsNumber) {
  ASSERT_EQ(form.records.size(), 114u);
  std::map<std::uint32_t, int> counts;
  for (const ControlRecord *record : controls)
    ++counts[record->unit_type];
  counts[QX_UNIT_MENU_ITEM] = static_cast<int>(menu_items.size());
  const std::map<std::uint32_t, int> expected = {
      {QX_UNIT_WINDOW, 1},        {QX_UNIT_MENU_ITEM, 5},
      {QX_UNIT_EDIT_BOX, 47},     {QX_UNIT_LABEL, 38},
      {QX_UNIT_BUTTON, 15},       {QX_UNIT_CHECK_BOX, 1},
      {QX_UNIT_COMBO_BOX, 2},     {QX_UNIT_TAB_CONTROL, 1},
      {QX_UNIT_HYPERLINK_BOX, 3}, {QX_UNIT_HYPERTEXT_VIEW, 1},
  };
  EXPECT_EQ(counts, expected);
}

TEST_F(MainWindowTest, WindowRecordComesFirstThenMenuLast) {
  const auto &window = std::get<ControlRecord>(form.records.front());
  EXPECT_EQ(window.id, QX_WINDOW_RECORD_ID);
  EXPECT_EQ(window.unit_type, QX_UNIT_WINDOW);
  EXPECT_TRUE(window.name.empty());
  EXPECT_EQ(window.rect, (form::Rect{50, 50, 542, 693}));
  EXPECT_EQ(window.parent, 0u);
  const auto &props = std::get<form::WindowProps>(window.props);
  EXPECT_EQ(props.title, "QuadrixV1.0");
  EXPECT_EQ(props.icon, app_icon_file());
  EXPECT_EQ(form.window_id, QX_MAIN_WINDOW);

  // The menu closes the list, in menu order, each level-1 item after the
  // level-0 menu that holds it.
  ASSERT_EQ(menu_items.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_TRUE(std::holds_alternative<MenuItemRecord>(
        form.records[form.records.size() - 5 + i]));
  }
  struct Expected {
    std::uint32_t id;
    std::uint32_t level;
    const char *caption;
  };
  const Expected expected[] = {
      {menu::常用工具, 0, "常用工具"}, {menu::计算器, 1, "计算器"},
      {menu::记事本, 1, "记事本"},     {menu::分隔线, 1, "-"},
      {menu::退出, 1, "退出(&X)"},
  };
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected[i].caption);
    EXPECT_EQ(menu_items[i]->id, expected[i].id);
    EXPECT_EQ(menu_items[i]->level, expected[i].level);
    EXPECT_EQ(utf8(menu_items[i]->caption), expected[i].caption);
    EXPECT_TRUE(menu_items[i]->name.empty());
  }
}

TEST_F(MainWindowTest, IdentifiersAndNamesAreUnique) {
  std::set<std::uint32_t> ids;
  std::set<std::string> names;
  for (const ControlRecord *record : controls) {
    EXPECT_TRUE(ids.insert(record->id).second) << record->id;
    if (record->unit_type == QX_UNIT_WINDOW)
      continue;
    EXPECT_EQ(record->id & 0xFFFF0000u, QX_CONTROL_ID_BASE);
    EXPECT_FALSE(record->name.empty());
    EXPECT_TRUE(names.insert(record->name).second) << utf8(record->name);
  }
  for (const MenuItemRecord *item : menu_items) {
    EXPECT_TRUE(ids.insert(item->id).second) << item->id;
    EXPECT_EQ(item->id & 0xFFFF0000u, QX_MENU_ITEM_ID_BASE);
  }
}

TEST_F(MainWindowTest, TabControlOwnsEveryPageControl) {
  const ControlRecord &tab = control(ctl::选择夹1);
  const auto &props = std::get<form::TabProps>(tab.props);
  ASSERT_EQ(tab.pages.size(), 5u);
  ASSERT_EQ(props.pages.size(), 5u);
  const char *captions[] = {"一元一次方程", "二元一次方程组", "一元二次方程",
                            "分数运算1", "分数运算2"};
  const std::size_t sizes[] = {8, 27, 13, 30, 25};
  std::size_t listed = 0;
  std::set<std::uint32_t> on_pages;
  for (std::size_t page = 0; page < 5; ++page) {
    EXPECT_EQ(utf8(props.pages[page]), captions[page]);
    EXPECT_EQ(tab.pages[page].size(), sizes[page]) << "page " << page;
    listed += tab.pages[page].size();
    for (std::uint32_t id : tab.pages[page]) {
      EXPECT_NE(id, 0u) << "a zero inside page " << page;
      EXPECT_TRUE(on_pages.insert(id).second) << "listed twice: " << id;
      EXPECT_EQ(control(id).parent, ctl::选择夹1);
    }
  }
  EXPECT_EQ(listed, 103u);

  // Everything else belongs to the window.
  std::set<std::uint32_t> window_level;
  for (const ControlRecord *record : controls) {
    if (on_pages.count(record->id) == 0) {
      EXPECT_EQ(record->parent, 0u) << utf8(record->name);
      window_level.insert(record->id);
    }
  }
  const std::set<std::uint32_t> expected = {
      QX_WINDOW_RECORD_ID, ctl::选择夹1,   ctl::清空,
      ctl::超文本浏览框1,  ctl::自动消块1, ctl::超级链接框1};
  EXPECT_EQ(window_level, expected);
}

// The clear link finds the page on show through one entry box per page, so
// each of these must sit on its own page.
TEST_F(MainWindowTest, ClearLinkProbesSitOnTheirPages) {
  const ControlRecord &tab = control(ctl::选择夹1);
  const std::uint32_t probes[] = {ctl::编辑框1, ctl::xya1, ctl::二次项系数,
                                  ctl::分子1, ctl::编辑框13};
  for (std::size_t page = 0; page < 5; ++page) {
    const auto &ids = tab.pages[page];
    EXPECT_NE(std::find(ids.begin(), ids.end(), probes[page]), ids.end())
        << "page " << page;
  }
}

TEST_F(MainWindowTest, BindsExactlyTheHandlerTable) {
  using Binding = std::tuple<std::uint32_t, std::int32_t, std::string>;
  constexpr std::int32_t kChosen = 0;
  std::set<Binding> actual;
  for (const ControlRecord *record : controls) {
    for (const form::EventBinding &event : record->events) {
      actual.emplace(record->id, event.event,
                     routines.routine_at(event.handler));
    }
  }
  for (const MenuItemRecord *item : menu_items) {
    if (item->handler != form::kNoHandler)
      actual.emplace(item->id, kChosen, routines.routine_at(item->handler));
  }
  const std::set<Binding> expected = {
      {QX_WINDOW_RECORD_ID, 0, "OnWindowCreated"},
      {menu::计算器, kChosen, "OnRunCalculator"},
      {menu::记事本, kChosen, "OnRunNotepad"},
      {menu::退出, kChosen, "OnExit"},
      {ctl::清空, -1, "OnClearPage"},
      {ctl::求解, 0, "OnSolveLinear"},
      {ctl::求方程组, 0, "OnSolveSystem"},
      {ctl::求根, 0, "OnSolveQuadratic"},
      {ctl::计算, 0, "OnFractionCalc"},
      {ctl::计算2, 0, "OnFractionCalcText"},
      {ctl::约分, 0, "OnReduce"},
      {ctl::转换到假分数, -1, "OnMixedToImproper"},
      {ctl::通分, 0, "OnCommonDenominator"},
      {ctl::随机1, -1, "OnRandomTest1"},
      {ctl::数值到分数, 0, "OnDecimalToFraction"},
      {ctl::数值到带分数, 0, "OnDecimalToMixed"},
      {ctl::分数到数值, 0, "OnFractionToDecimal"},
      {ctl::带分数到数值, 0, "OnMixedToDecimal"},
      {ctl::求分数平方, 0, "OnSquareFraction"},
      {ctl::约分到整数, 0, "OnReduceToInteger"},
      {ctl::分数到带分数, 0, "OnFractionToMixed"},
      {ctl::带分数到分数, 0, "OnMixedToFraction"},
      {ctl::随机2, -1, "OnRandomTest2"},
  };
  EXPECT_EQ(actual, expected);

  // Click handlers get three argument words, every other handler none.
  for (const auto &[id, event, routine] : expected) {
    const std::set<std::uint32_t> words = {event == -1 ? 3u : 0u};
    EXPECT_EQ(routines.arg_words.at(routine), words) << routine;
  }
  EXPECT_EQ(routines.offsets.size(), expected.size());
}

TEST_F(MainWindowTest, FlagsFollowTheKind) {
  for (const ControlRecord *record : controls) {
    SCOPED_TRACE(utf8(record->name));
    switch (record->unit_type) {
    case QX_UNIT_EDIT_BOX:
    case QX_UNIT_BUTTON:
    case QX_UNIT_COMBO_BOX:
    case QX_UNIT_CHECK_BOX:
    case QX_UNIT_HYPERTEXT_VIEW:
      EXPECT_EQ(record->flags, 5u);
      break;
    case QX_UNIT_LABEL:
      EXPECT_EQ(record->flags, record->id == ctl::转换到假分数 ? 2u : 1u);
      break;
    default:
      EXPECT_EQ(record->flags, 1u);
    }
  }
}

TEST_F(MainWindowTest, EditBoxesTakeInputByRole) {
  // The boxes the handlers write their results into.
  const std::set<std::uint32_t> results = {
      ctl::编辑框3,  ctl::xyx,      ctl::xyy,      ctl::x1,       ctl::x2,
      ctl::分子3,    ctl::分母3,    ctl::编辑框12, ctl::编辑框7,  ctl::编辑框10,
      ctl::编辑框11, ctl::编辑框14, ctl::编辑框16, ctl::编辑框19, ctl::编辑框20,
      ctl::编辑框22, ctl::编辑框24, ctl::编辑框27, ctl::编辑框28};
  const std::set<std::uint32_t> whole = {ctl::分子1, ctl::分母1, ctl::分子2,
                                         ctl::分母2};
  const std::set<std::uint32_t> decimal = {ctl::编辑框13, ctl::编辑框15};
  const std::set<std::uint32_t> framed_results = {ctl::分子3, ctl::分母3};
  for (const ControlRecord *record : controls) {
    if (record->unit_type != QX_UNIT_EDIT_BOX)
      continue;
    SCOPED_TRACE(utf8(record->name));
    const auto &props = std::get<form::EditProps>(record->props);
    const std::uint32_t id = record->id;
    std::uint32_t mode = form::kInputFree;
    if (results.count(id) != 0)
      mode = form::kInputReadOnly;
    else if (whole.count(id) != 0)
      mode = form::kInputWholeNumber;
    else if (decimal.count(id) != 0)
      mode = form::kInputDecimal;
    EXPECT_EQ(props.input_mode, mode);
    const bool result_border =
        results.count(id) != 0 && framed_results.count(id) == 0;
    EXPECT_EQ(props.border_style, result_border ? 3u : 5u);
    EXPECT_EQ(props.text_colour, form::kBlack);
    EXPECT_EQ(props.background, form::kWhite);
  }
}

TEST_F(MainWindowTest, SampleOfEveryPageMatchesTheLayout) {
  struct Row {
    const char *name;
    form::Rect rect;
    const char *caption;  // nullptr: none
    std::int32_t font_px; // 0: the default font
  };
  const Row rows[] = {
      {"编辑框3", {105, 112, 192, 24}, nullptr, 0},
      {"求解", {316, 111, 72, 24}, "求解", 0},
      {"标签12",
       {39, 41, 235, 24},
       "解二元一次方程组：请先将方程组化为一般形式",
       12},
      {"标签21", {392, 66, 5, 8}, "2", 9},
      {"求方程组", {260, 83, 40, 58}, "求解", 0},
      {"标签4", {23, 124, 210, 16}, "Ｘ1 ＝                     Ｘ2 ＝", 0},
      {"标签11", {299, 37, 8, 8}, "2", 10},
      {"标签31",
       {15, 25, 305, 24},
       "本子夹小小地演示下分数运算模块的功能～分数书写格式例：四分之三: 3/4 "
       "二又三分之一: 2&&1/3",
       0},
      {"转换到假分数", {338, 25, 88, 24}, "点这里将带分数化为假分数", 0},
      {"标签30", {12, 74, 36, 16}, "-", 96},
      {"编辑框7", {365, 86, 61, 24}, nullptr, 0},
      {"带分数到分数", {280, 114, 84, 22}, "带分数到分数", 0},
      {"随机2", {256, 143, 139, 13}, "点这里生成随机数测试", 0},
      {"选择夹1", {53, 6, 434, 161}, nullptr, 0},
      {"清空", {452, 8, 33, 16}, "清空", 0},
      {"超文本浏览框1", {12, 176, 510, 422}, nullptr, 0},
      {"自动消块1", {389, 601, 128, 35}, nullptr, 12},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    const auto it = std::find_if(controls.begin(), controls.end(),
                                 [&row](const ControlRecord *record) {
                                   return utf8(record->name) == row.name;
                                 });
    ASSERT_NE(it, controls.end());
    const ControlRecord &record = **it;
    EXPECT_EQ(record.rect, row.rect);
    std::string caption;
    std::optional<form::Font> font;
    std::visit(
        [&](const auto &props) {
          if constexpr (requires { props.caption; })
            caption = props.caption;
          if constexpr (requires { props.font; })
            font = props.font;
        },
        record.props);
    if (row.caption != nullptr) {
      EXPECT_EQ(utf8(caption), row.caption);
    }
    ASSERT_EQ(font.has_value(), row.font_px != 0);
    if (font) {
      EXPECT_EQ(font->height, -row.font_px);
    }
  }
}

TEST_F(MainWindowTest, FontsAreSongInGbk) {
  // "宋体" in GBK, then the terminator.
  const std::uint8_t face[] = {0xCB, 0xCE, 0xCC, 0xE5, 0x00};
  int fonts = 0;
  for (const ControlRecord *record : controls) {
    std::optional<form::Font> font;
    if (const auto *label = std::get_if<form::LabelProps>(&record->props))
      font = label->font;
    if (const auto *check = std::get_if<form::CheckBoxProps>(&record->props))
      font = check->font;
    if (!font)
      continue;
    SCOPED_TRACE(utf8(record->name));
    ++fonts;
    EXPECT_LT(font->height, 0);
    EXPECT_EQ(font->weight, 400);
    EXPECT_EQ(font->char_set, 134);
    EXPECT_EQ(std::memcmp(font->face_name.data(), face, sizeof face), 0);
  }
  // 17 labels with a font of their own, and the check box.
  EXPECT_EQ(fonts, 18);
}

TEST_F(MainWindowTest, LabelAttributesAndColours) {
  const std::set<std::uint32_t> attr_a = {ctl::随机1, ctl::转换到假分数,
                                          ctl::标签12};
  const std::set<std::uint32_t> two_lines = {ctl::随机1, ctl::转换到假分数,
                                             ctl::标签12, ctl::标签31};
  const std::set<std::uint32_t> blue = {ctl::随机1, ctl::转换到假分数};
  for (const ControlRecord *record : controls) {
    const auto *label = std::get_if<form::LabelProps>(&record->props);
    if (label == nullptr)
      continue;
    SCOPED_TRACE(utf8(record->name));
    EXPECT_EQ(label->attr_a, attr_a.count(record->id));
    EXPECT_EQ(label->attr_b, two_lines.count(record->id));
    EXPECT_EQ(label->text_colour,
              blue.count(record->id) != 0 ? form::kBlue : form::kBlack);
    EXPECT_EQ(label->background, form::kNoColour);
  }
}

TEST_F(MainWindowTest, OperatorListsCarryOperatorCodes) {
  // "＋", "－", "×", "÷" in GBK.
  const std::vector<form::ComboItem> items = {
      {1, "\xA3\xAB"}, {2, "\xA3\xAD"}, {3, "\xA1\xC1"}, {4, "\xA1\xC2"}};
  for (std::uint32_t id : {ctl::组合框1, ctl::组合框2})
    EXPECT_EQ(std::get<form::ComboProps>(control(id).props).items, items);
}

TEST_F(MainWindowTest, LinksAndView) {
  for (std::uint32_t id : {ctl::清空, ctl::随机2}) {
    const auto &link = std::get<form::HyperlinkProps>(control(id).props);
    EXPECT_EQ(link.attr_18, 0u);
    EXPECT_EQ(link.link_colours, (std::array<std::uint32_t, 3>{
                                     0x00FF0000, 0x00FF0000, 0x00FE9933}));
    EXPECT_TRUE(link.target.empty());
  }
  const auto &site =
      std::get<form::HyperlinkProps>(control(ctl::超级链接框1).props);
  EXPECT_EQ(site.attr_18, 1u);
  EXPECT_EQ(site.link_colours,
            (std::array<std::uint32_t, 3>{0x00FF0000, 0x00000080, 0x00C56A31}));
  EXPECT_FALSE(site.caption.empty());
  EXPECT_EQ(site.target.rfind("http://", 0), 0u) << site.target;

  const auto &view =
      std::get<form::HypertextProps>(control(ctl::超文本浏览框1).props);
  EXPECT_EQ(view.attr_18, 2u);
  const std::string page = "/ad1.htm";
  ASSERT_GT(view.address.size(), page.size());
  EXPECT_EQ(view.address.substr(view.address.size() - page.size()), page);

  const auto &check =
      std::get<form::CheckBoxProps>(control(ctl::自动消块1).props);
  EXPECT_FALSE(check.caption.empty());
  EXPECT_TRUE(control(ctl::自动消块1).events.empty());
}

std::uint32_t read_le(const std::vector<std::uint8_t> &bytes, std::size_t at,
                      std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;)
    value = value << 8 | bytes.at(at + i);
  return value;
}

TEST(AppIconTest, IconFileIsOne32By32Image) {
  const std::vector<std::uint8_t> icon = app_icon_file();
  ASSERT_EQ(icon.size(), 3262u);
  EXPECT_EQ(icon, app_icon_file()) << "not deterministic";
  struct Field {
    std::size_t offset;
    std::size_t width;
    std::uint32_t value;
    const char *what;
  };
  const Field fields[] = {
      {0, 2, 0, "reserved"},       {2, 2, 1, "type icon"},
      {4, 2, 1, "image count"},    {6, 1, 32, "entry width"},
      {7, 1, 32, "entry height"},  {10, 2, 1, "entry planes"},
      {12, 2, 24, "entry bits"},   {14, 4, 3240, "image bytes"},
      {18, 4, 22, "image offset"}, {22, 4, 40, "info size"},
      {26, 4, 32, "width"},        {30, 4, 64, "colour + mask rows"},
      {34, 2, 1, "planes"},        {36, 2, 24, "bits"},
      {38, 4, 0, "compression"},
  };
  for (const Field &field : fields)
    EXPECT_EQ(read_le(icon, field.offset, field.width), field.value)
        << field.what;

  // Mask and pixels agree: transparent pixels are black, the corners are
  // transparent, the middle is drawn.
  constexpr std::size_t kPixels = 62;
  constexpr std::size_t kMask = kPixels + 32 * 32 * 3;
  const auto is_transparent = [&icon](int row_from_bottom, int column) {
    const std::uint8_t bits = icon[kMask + row_from_bottom * 4 + column / 8];
    return (bits & (0x80 >> (column % 8))) != 0;
  };
  int opaque = 0;
  for (int row = 0; row < 32; ++row) {
    for (int column = 0; column < 32; ++column) {
      const std::size_t at = kPixels + (row * 32 + column) * 3;
      if (!is_transparent(row, column)) {
        ++opaque;
        continue;
      }
      EXPECT_EQ(icon[at] | icon[at + 1] | icon[at + 2], 0)
          << row << "," << column;
    }
  }
  EXPECT_TRUE(is_transparent(0, 0));
  EXPECT_TRUE(is_transparent(31, 31));
  EXPECT_FALSE(is_transparent(16, 16));
  EXPECT_GT(opaque, 32 * 32 * 3 / 4);
  EXPECT_LT(opaque, 32 * 32);
}

// The program file's icon (the Windows resource): one image of each size
// at 32 bits per pixel, the rendered design bottom-up in blue-green-red-
// alpha order, and a mask padded to whole words that marks exactly the
// fully transparent pixels.
TEST(AppIconTest, ProgramFileIconKeepsAlphaAtEverySize) {
  struct Case {
    int size;
    std::uint32_t entry_side; // 256 is written as 0
    std::uint32_t mask_stride;
    std::size_t file_size;
  };
  const Case cases[] = {
      {1, 1, 4, 70},
      {31, 31, 4, 4030},
      {48, 48, 8, 9662},
      {256, 0, 32, 270398},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.size);
    const std::vector<std::uint8_t> icon = app_icon_file_rgba(c.size);
    ASSERT_EQ(icon.size(), c.file_size);
    const auto side = static_cast<std::uint32_t>(c.size);
    const std::uint32_t pixel_bytes = side * side * 4;
    const std::uint32_t image_bytes = 40 + pixel_bytes + c.mask_stride * side;
    EXPECT_EQ(read_le(icon, 2, 2), 1u) << "type icon";
    EXPECT_EQ(read_le(icon, 4, 2), 1u) << "one image";
    EXPECT_EQ(read_le(icon, 6, 1), c.entry_side);
    EXPECT_EQ(read_le(icon, 7, 1), c.entry_side);
    EXPECT_EQ(read_le(icon, 12, 2), 32u) << "entry bits";
    EXPECT_EQ(read_le(icon, 14, 4), image_bytes);
    EXPECT_EQ(read_le(icon, 18, 4), 22u);
    EXPECT_EQ(read_le(icon, 26, 4), side);
    EXPECT_EQ(read_le(icon, 30, 4), side * 2) << "colour + mask rows";
    EXPECT_EQ(read_le(icon, 36, 2), 32u) << "bits";
    EXPECT_EQ(read_le(icon, 42, 4), pixel_bytes + c.mask_stride * side);

    const std::vector<std::uint8_t> rgba = render_app_icon(c.size);
    constexpr std::size_t kPixels = 62;
    const std::size_t mask = kPixels + pixel_bytes;
    int mismatches = 0;
    for (std::uint32_t row = 0; row < side; ++row) {
      const std::uint32_t from_bottom = side - 1 - row;
      for (std::uint32_t column = 0; column < side; ++column) {
        const std::size_t in = (std::size_t{row} * side + column) * 4;
        const std::size_t out =
            kPixels + (std::size_t{from_bottom} * side + column) * 4;
        const bool masked =
            (icon[mask + from_bottom * c.mask_stride + column / 8] &
             (0x80 >> (column % 8))) != 0;
        if (icon[out] != rgba[in + 2] || icon[out + 1] != rgba[in + 1] ||
            icon[out + 2] != rgba[in] || icon[out + 3] != rgba[in + 3] ||
            masked != (rgba[in + 3] == 0))
          ++mismatches;
      }
    }
    EXPECT_EQ(mismatches, 0);
  }
  // The 48 x 48 image the Windows program carries has a transparent corner
  // and a drawn middle.
  const std::vector<std::uint8_t> icon = app_icon_file_rgba(48);
  EXPECT_EQ(icon[62 + 3], 0) << "bottom-left corner";
  EXPECT_EQ(icon[62 + (24 * 48 + 24) * 4 + 3], 255) << "middle";
}

TEST(AppIconTest, RenderedSizesKeepTheDesign) {
  for (int size : {32, 48}) {
    SCOPED_TRACE(size);
    const std::vector<std::uint8_t> rgba = render_app_icon(size);
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(size * size * 4));
    const auto alpha = [&](int row, int column) {
      return rgba[static_cast<std::size_t>(row * size + column) * 4 + 3];
    };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(size - 1, size - 1), 0);
    EXPECT_EQ(alpha(size / 2, 2), 255);
    // Both blue background and white strokes appear.
    bool has_white = false;
    bool has_blue = false;
    for (std::size_t at = 0; at < rgba.size(); at += 4) {
      if (rgba[at + 3] != 255)
        continue;
      has_white |=
          rgba[at] == 255 && rgba[at + 1] == 255 && rgba[at + 2] == 255;
      has_blue |= rgba[at + 2] > rgba[at] + 0x60;
    }
    EXPECT_TRUE(has_white);
    EXPECT_TRUE(has_blue);
  }
}

} // namespace
} // namespace qx::window
