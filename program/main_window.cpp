// The main window's layout, menu and event bindings, one line per record.
//
// Each control's identifier and name, and each menu item's, are written here
// once; at build time quadrix-image writes program/control_ids.h (ctl::,
// menu::, the edit boxes of each page) from these records for the routines.
#include "program/main_window.h"

#include "base/qx_abi.h"
#include "program/app_icon.h"
#include "program/gbk_text.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace qx::window {
namespace {

using form::ControlRecord;
using form::MenuItemRecord;
using form::Rect;
using OffsetOf = std::function<std::uint32_t(const HandlerRef &)>;

// Argument words the runtime passes to a handler of the click event -1.
constexpr std::uint32_t kClickArgWords = 3;
constexpr std::int32_t kClickEvent = QX_EVENT_CLICK;
constexpr std::int32_t kFirstEvent = QX_EVENT_KIND_FIRST;

constexpr std::uint32_t kFocusable = form::kFlagVisible | form::kFlagTakesFocus;
// Hidden (no visible bit) and disabled.
constexpr std::uint32_t kHiddenDisabled = form::kFlagDisabled;

constexpr std::uint32_t kBorderResult = 3;
constexpr std::uint32_t kBorderEntry = 5;

constexpr std::string_view kTitle = "QuadrixV1.0";
constexpr std::string_view kFontFace = "宋体";
constexpr std::string_view kViewAddress = "http://quadrix.invalid/ad1.htm";
constexpr std::string_view kSiteAddress = "http://quadrix.invalid/";

// How an edit box takes input and draws its border.
enum class EditKind {
  Entry,        // free text
  WholeNumber,  // whole numbers only
  Decimal,      // a decimal number
  Result,       // read-only, result border
  FramedResult, // read-only with the entry border of its neighbours
};

struct LabelStyle {
  std::int32_t font_px = 0; // 0: the window's default font
  bool blue = false;
  bool attr_a = false;
  bool two_lines = false;     // attribute B: the caption wraps once
  bool starts_hidden = false; // hidden and disabled until a handler shows it
  std::string_view on_click = {};
};

// Text as the form stores it. Every text here is written in this file, so a
// character GBK cannot hold is a mistake in the declaration.
std::string gbk(std::string_view utf8) {
  return image::to_gbk(utf8, "main window text \"" + std::string(utf8) + "\"");
}

// The Song face at a character height of `pixels`, normal weight, GB2312.
form::Font song(std::int32_t pixels) {
  form::Font font;
  font.height = -pixels;
  font.weight = 400;
  font.char_set = 134;
  const std::string face = gbk(kFontFace);
  std::copy(face.begin(), face.end(), font.face_name.begin());
  return font;
}

// Builds records, resolving routine names to code offsets as it goes.
class Declaration {
public:
  explicit Declaration(const OffsetOf &offset_of) : offset_of_(offset_of) {}

  form::EventBinding on_first_event(std::string_view routine) const {
    return {kFirstEvent, offset_of_(HandlerRef{routine, 0})};
  }

  form::EventBinding on_click(std::string_view routine) const {
    return {kClickEvent, offset_of_(HandlerRef{routine, kClickArgWords})};
  }

  ControlRecord edit(std::uint32_t id, std::string_view name, Rect rect,
                     EditKind kind) const {
    form::EditProps props;
    props.border_style =
        kind == EditKind::Result ? kBorderResult : kBorderEntry;
    props.input_mode = input_mode(kind);
    return control(id, QX_UNIT_EDIT_BOX, name, rect, kFocusable, props);
  }

  ControlRecord label(std::uint32_t id, std::string_view name, Rect rect,
                      std::string_view caption, LabelStyle style = {}) const {
    form::LabelProps props;
    props.text_colour = style.blue ? form::kBlue : form::kBlack;
    props.attr_a = style.attr_a ? 1 : 0;
    props.attr_b = style.two_lines ? 1 : 0;
    if (style.font_px != 0)
      props.font = song(style.font_px);
    props.caption = gbk(caption);
    const std::uint32_t flags =
        style.starts_hidden ? kHiddenDisabled : form::kFlagVisible;
    ControlRecord record =
        control(id, QX_UNIT_LABEL, name, rect, flags, std::move(props));
    if (!style.on_click.empty())
      record.events.push_back(on_click(style.on_click));
    return record;
  }

  ControlRecord button(std::uint32_t id, std::string_view name, Rect rect,
                       std::string_view caption,
                       std::string_view routine) const {
    form::ButtonProps props;
    props.caption = gbk(caption);
    ControlRecord record =
        control(id, QX_UNIT_BUTTON, name, rect, kFocusable, std::move(props));
    record.events.push_back(on_first_event(routine));
    return record;
  }

  // An operator list: "＋", "－", "×", "÷" with the operator codes 1 to 4.
  ControlRecord operator_combo(std::uint32_t id, std::string_view name,
                               Rect rect) const {
    form::ComboProps props;
    const std::array<std::string_view, 4> operators = {"＋", "－", "×", "÷"};
    for (std::size_t i = 0; i < operators.size(); ++i) {
      props.items.push_back(
          {static_cast<std::int32_t>(i + 1), gbk(operators[i])});
    }
    return control(id, QX_UNIT_COMBO_BOX, name, rect, kFocusable,
                   std::move(props));
  }

  // A link without a target that acts through its click handler.
  ControlRecord action_link(std::uint32_t id, std::string_view name, Rect rect,
                            std::string_view caption,
                            std::string_view routine) const {
    form::HyperlinkProps props;
    props.caption = gbk(caption);
    ControlRecord record = control(id, QX_UNIT_HYPERLINK_BOX, name, rect,
                                   form::kFlagVisible, std::move(props));
    record.events.push_back(on_click(routine));
    return record;
  }

  // A link that opens `target` in the browser and runs no routine.
  ControlRecord web_link(std::uint32_t id, std::string_view name, Rect rect,
                         std::string_view caption,
                         std::string_view target) const {
    form::HyperlinkProps props;
    props.attr_18 = 1;
    props.link_colours = {form::kBlue, 0x00000080, 0x00C56A31};
    props.caption = gbk(caption);
    props.target = std::string(target);
    return control(id, QX_UNIT_HYPERLINK_BOX, name, rect, form::kFlagVisible,
                   std::move(props));
  }

  ControlRecord tab(std::uint32_t id, std::string_view name, Rect rect) const {
    return control(id, QX_UNIT_TAB_CONTROL, name, rect, form::kFlagVisible,
                   form::TabProps{});
  }

  ControlRecord hypertext_view(std::uint32_t id, std::string_view name,
                               Rect rect, std::string_view address) const {
    form::HypertextProps props;
    props.address = std::string(address);
    return control(id, QX_UNIT_HYPERTEXT_VIEW, name, rect, kFocusable,
                   std::move(props));
  }

  ControlRecord check_box(std::uint32_t id, std::string_view name, Rect rect,
                          std::string_view caption,
                          std::int32_t font_px) const {
    form::CheckBoxProps props;
    props.font = song(font_px);
    props.caption = gbk(caption);
    return control(id, QX_UNIT_CHECK_BOX, name, rect, kFocusable,
                   std::move(props));
  }

  MenuItemRecord menu_item(const MenuEntry &entry) const {
    MenuItemRecord record;
    record.id = entry.id;
    record.level = entry.level;
    record.caption = gbk(entry.caption);
    if (!entry.routine.empty())
      record.handler = offset_of_(HandlerRef{entry.routine, 0});
    return record;
  }

private:
  static std::uint32_t input_mode(EditKind kind) {
    switch (kind) {
    case EditKind::Entry:
      return form::kInputFree;
    case EditKind::WholeNumber:
      return form::kInputWholeNumber;
    case EditKind::Decimal:
      return form::kInputDecimal;
    case EditKind::Result:
    case EditKind::FramedResult:
      return form::kInputReadOnly;
    }
    return form::kInputFree;
  }

  static ControlRecord control(std::uint32_t id, std::uint32_t unit_type,
                               std::string_view name, Rect rect,
                               std::uint32_t flags, form::Props props) {
    ControlRecord record;
    record.id = id;
    record.unit_type = unit_type;
    record.name = gbk(name);
    record.rect = rect;
    record.flags = flags;
    record.props = std::move(props);
    return record;
  }

  const OffsetOf &offset_of_;
};

using enum EditKind;

// Page 0: ax + b = 0.
std::vector<ControlRecord> linear_page(const Declaration &d) {
  return {
      d.label(0x1601009E, "标签7", {76, 32, 304, 24},
              "解一元一次方程：请先将方程化为一般形式 ax + b = 0"),
      d.edit(0x1601009F, "编辑框1", {67, 67, 95, 24}, Entry),
      d.label(0x160100A0, "标签8", {184, 68, 40, 24}, "Ｘ  ＋"),
      d.edit(0x160100A3, "编辑框2", {242, 67, 95, 24}, Entry),
      d.label(0x160100A4, "标签9", {360, 68, 43, 24}, "＝ 0"),
      d.label(0x160100A5, "标签10", {54, 112, 40, 24}, "Ｘ ＝"),
      d.edit(0x160100A6, "编辑框3", {105, 112, 192, 24}, Result),
      d.button(0x160100A7, "求解", {316, 111, 72, 24}, "求解", "OnSolveLinear"),
  };
}

// Page 1: a₁x + b₁y = c₁, a₂x + b₂y = c₂, drawn with braces and subscripts.
std::vector<ControlRecord> system_page(const Declaration &d) {
  return {
      d.label(0x160100D7, "标签12", {39, 41, 235, 24},
              "解二元一次方程组：请先将方程组化为一般形式",
              {.font_px = 12, .attr_a = true, .two_lines = true}),
      d.label(0x160100D8, "标签13", {271, 33, 24, 40}, "{", {.font_px = 48}),
      d.label(0x160100D9, "标签14", {300, 29, 94, 16}, "a x + b y = c",
              {.font_px = 14}),
      d.label(0x160100DB, "标签15", {300, 59, 96, 16}, "a x + b y = c",
              {.font_px = 14}),
      d.label(0x160100DC, "标签16", {308, 37, 5, 8}, "1", {.font_px = 9}),
      d.label(0x160100DE, "标签18", {350, 37, 5, 8}, "1", {.font_px = 9}),
      d.label(0x160100E0, "标签20", {392, 37, 5, 8}, "1", {.font_px = 9}),
      d.label(0x160100DD, "标签17", {308, 67, 5, 8}, "2", {.font_px = 9}),
      d.label(0x160100DF, "标签19", {350, 67, 5, 8}, "2", {.font_px = 9}),
      d.label(0x160100E1, "标签21", {392, 66, 5, 8}, "2", {.font_px = 9}),
      d.label(0x160100E2, "标签22", {2, 76, 24, 72}, "{", {.font_px = 60}),
      d.edit(0x160100E3, "xya1", {32, 84, 53, 24}, Entry),
      d.label(0x160100E4, "标签23", {92, 84, 24, 24}, "Ｘ＋"),
      d.edit(0x160100E5, "xyb1", {116, 84, 53, 24}, Entry),
      d.label(0x160100E6, "标签24", {174, 83, 22, 24}, "ｙ＝"),
      d.edit(0x160100E7, "xyc1", {201, 84, 53, 24}, Entry),
      d.edit(0x160100EA, "xya2", {31, 115, 53, 24}, Entry),
      d.label(0x160100EB, "标签25", {92, 116, 28, 24}, "Ｘ＋"),
      d.edit(0x160100EC, "xyb2", {116, 115, 53, 24}, Entry),
      d.label(0x160100ED, "标签26", {174, 117, 24, 24}, "ｙ＝"),
      d.edit(0x160100EE, "xyc2", {201, 116, 53, 24}, Entry),
      d.button(0x160100F1, "求方程组", {260, 83, 40, 58}, "求解",
               "OnSolveSystem"),
      d.label(0x160100F2, "标签27", {291, 74, 24, 75}, "{", {.font_px = 60}),
      d.label(0x160100F5, "标签28", {321, 83, 24, 24}, "Ｘ＝"),
      d.edit(0x160100F7, "xyx", {350, 83, 64, 24}, Result),
      d.label(0x160100F6, "标签29", {320, 120, 32, 16}, "ｙ＝"),
      d.edit(0x160100F8, "xyy", {349, 116, 64, 24}, Result),
  };
}

// Page 2: ax² + bx + c = 0; 标签11 and 标签6 are the small exponents.
std::vector<ControlRecord> quadratic_page(const Declaration &d) {
  return {
      d.label(0x16010093, "标签5", {51, 34, 344, 24},
              "解一元二次方程：请先将方程化为一般形式 ax   + bx + c = 0"),
      d.label(0x160100B3, "标签11", {299, 37, 8, 8}, "2", {.font_px = 10}),
      d.edit(0x1601009D, "二次项系数", {51, 70, 67, 24}, Entry),
      d.label(0x16010097, "标签1", {130, 70, 40, 24}, "Ｘ  ＋"),
      d.label(0x16010092, "标签6", {142, 67, 8, 16}, "2"),
      d.edit(0x1601009C, "一次项系数", {171, 69, 67, 24}, Entry),
      d.label(0x16010096, "标签2", {245, 69, 32, 24}, "Ｘ ＋"),
      d.edit(0x1601009B, "常数项", {279, 69, 67, 24}, Entry),
      d.label(0x16010095, "标签3", {355, 69, 26, 24}, "＝ 0"),
      d.label(0x16010094, "标签4", {23, 124, 210, 16},
              "Ｘ1 ＝                     Ｘ2 ＝"),
      d.edit(0x1601009A, "x1", {61, 118, 120, 24}, Result),
      d.edit(0x16010099, "x2", {225, 118, 120, 24}, Result),
      d.button(0x16010098, "求根", {355, 117, 56, 24}, "求根",
               "OnSolveQuadratic"),
  };
}

// Page 3: stacked-fraction calculator, text calculator, reduction and
// common denominators. 随机1 and 转换到假分数 share one place; one of the
// two is visible at a time.
std::vector<ControlRecord> fraction_page_1(const Declaration &d) {
  return {
      d.label(0x16010160, "标签31", {15, 25, 305, 24},
              "本子夹小小地演示下分数运算模块的功能～分数书写格式例：四分之三: "
              "3/4 二又三分之一: 2&&1/3",
              {.two_lines = true}),
      d.label(0x1601036C, "随机1", {338, 25, 88, 24}, "点这里生成随机数测试",
              {.blue = true,
               .attr_a = true,
               .two_lines = true,
               .on_click = "OnRandomTest1"}),
      d.label(0x160101D3, "转换到假分数", {338, 25, 88, 24},
              "点这里将带分数化为假分数",
              {.blue = true,
               .attr_a = true,
               .two_lines = true,
               .starts_hidden = true,
               .on_click = "OnMixedToImproper"}),
      d.edit(0x1601015A, "分子1", {21, 56, 19, 19}, WholeNumber),
      d.label(0x1601015B, "标签30", {12, 74, 36, 16}, "-", {.font_px = 96}),
      d.edit(0x1601015C, "分母1", {21, 90, 19, 19}, WholeNumber),
      d.operator_combo(0x1601015F, "组合框1", {56, 72, 40, 20}),
      d.edit(0x16010161, "分子2", {113, 56, 19, 19}, WholeNumber),
      d.label(0x16010162, "标签32", {103, 74, 36, 16}, "-", {.font_px = 96}),
      d.edit(0x16010163, "分母2", {113, 90, 19, 19}, WholeNumber),
      d.label(0x16010164, "标签33", {139, 70, 14, 24}, "＝", {.font_px = 28}),
      d.edit(0x16010165, "分子3", {167, 56, 19, 19}, FramedResult),
      d.label(0x16010166, "标签34", {158, 74, 36, 16}, "-", {.font_px = 96}),
      d.edit(0x16010167, "分母3", {167, 90, 19, 19}, FramedResult),
      d.button(0x16010168, "计算", {198, 58, 32, 48}, "计算", "OnFractionCalc"),
      d.edit(0x16010399, "编辑框4", {238, 53, 30, 24}, Entry),
      d.operator_combo(0x1601039A, "组合框2", {275, 54, 40, 20}),
      d.edit(0x1601039B, "编辑框5", {318, 53, 30, 24}, Entry),
      d.button(0x1601039C, "计算2", {351, 52, 32, 24}, "计算",
               "OnFractionCalcText"),
      d.edit(0x1601039D, "编辑框12", {386, 53, 40, 24}, Result),
      d.edit(0x160101AD, "编辑框6", {238, 84, 64, 24}, Entry),
      d.button(0x160101AB, "约分", {309, 84, 49, 24}, "约分", "OnReduce"),
      d.edit(0x160101AE, "编辑框7", {365, 86, 61, 24}, Result),
      d.edit(0x160101B0, "编辑框8", {17, 121, 68, 24}, Entry),
      d.label(0x160101B1, "标签35", {95, 122, 19, 24}, "和"),
      d.edit(0x160101B2, "编辑框9", {120, 122, 69, 24}, Entry),
      d.button(0x160101B3, "通分", {198, 121, 55, 24}, "通分",
               "OnCommonDenominator"),
      d.edit(0x160101B4, "编辑框10", {260, 120, 68, 24}, Result),
      d.label(0x160101B5, "标签36", {335, 124, 16, 16}, "和"),
      d.edit(0x160101B6, "编辑框11", {356, 119, 68, 24}, Result),
  };
}

// Page 4: eight conversions, each an entry box, a button and a result box.
std::vector<ControlRecord> fraction_page_2(const Declaration &d) {
  return {
      d.edit(0x1601048E, "编辑框13", {12, 32, 55, 24}, Decimal),
      d.button(0x1601048F, "数值到分数", {72, 32, 80, 24}, "数值到分数",
               "OnDecimalToFraction"),
      d.edit(0x16010490, "编辑框14", {160, 31, 62, 24}, Result),
      d.edit(0x16010491, "编辑框15", {12, 63, 55, 24}, Decimal),
      d.button(0x16010492, "数值到带分数", {72, 62, 80, 24}, "数值到带分数",
               "OnDecimalToMixed"),
      d.edit(0x16010493, "编辑框16", {160, 62, 62, 24}, Result),
      d.edit(0x1601049A, "编辑框17", {12, 93, 55, 24}, Entry),
      d.button(0x1601049C, "分数到数值", {72, 93, 80, 24}, "分数到数值",
               "OnFractionToDecimal"),
      d.edit(0x1601049E, "编辑框19", {160, 92, 62, 24}, Result),
      d.edit(0x1601049B, "编辑框18", {12, 124, 55, 24}, Entry),
      d.button(0x1601049D, "带分数到数值", {72, 124, 80, 24}, "带分数到数值",
               "OnMixedToDecimal"),
      d.edit(0x1601049F, "编辑框20", {160, 124, 62, 24}, Result),
      d.edit(0x160104E7, "编辑框21", {229, 31, 55, 21}, Entry),
      d.button(0x160104E8, "求分数平方", {289, 29, 68, 22}, "求分数平方",
               "OnSquareFraction"),
      d.edit(0x160104E9, "编辑框22", {364, 29, 57, 24}, Result),
      d.edit(0x160104EA, "编辑框23", {229, 58, 55, 21}, Entry),
      d.button(0x160104EB, "约分到整数", {289, 57, 68, 22}, "约分到整数",
               "OnReduceToInteger"),
      d.edit(0x160104EC, "编辑框24", {364, 57, 57, 24}, Result),
      d.edit(0x160104ED, "编辑框25", {229, 86, 47, 21}, Entry),
      d.button(0x160104EF, "分数到带分数", {280, 85, 84, 22}, "分数到带分数",
               "OnFractionToMixed"),
      d.edit(0x160104F2, "编辑框27", {367, 85, 53, 24}, Result),
      d.edit(0x160104F0, "编辑框26", {229, 114, 47, 21}, Entry),
      d.button(0x160104F3, "带分数到分数", {280, 114, 84, 22}, "带分数到分数",
               "OnMixedToFraction"),
      d.edit(0x160104F6, "编辑框28", {367, 114, 53, 24}, Result),
      d.action_link(0x160104F7, "随机2", {256, 143, 139, 13},
                    "点这里生成随机数测试", "OnRandomTest2"),
  };
}

// The controls that belong to the window itself, below and beside the tabs.
std::vector<ControlRecord> window_controls(const Declaration &d) {
  return {
      d.action_link(0x160100CE, "清空", {452, 8, 33, 16}, "清空",
                    "OnClearPage"),
      d.hypertext_view(0x160108D1, "超文本浏览框1", {12, 176, 510, 422},
                       kViewAddress),
      d.check_box(0x160108D2, "自动消块1", {389, 601, 128, 35},
                  "把 Quadrix 数学门户设为浏览器主页", 12),
      d.web_link(0x160108D6, "超级链接框1", {4, 608, 96, 24}, "Quadrix 网站",
                 kSiteAddress),
  };
}

// The menu "常用工具" in menu order.
constexpr std::array<MenuEntry, 5> kToolsMenu = {{
    {"常用工具", 0x26010001, 0, "常用工具", {}},
    {"计算器", 0x26010002, 1, "计算器", "OnRunCalculator"},
    {"记事本", 0x26010003, 1, "记事本", "OnRunNotepad"},
    {"分隔线", 0x26010004, 1, "-", {}},
    {"退出", 0x26010005, 1, "退出(&X)", "OnExit"},
}};

ControlRecord window_record(const Declaration &d) {
  ControlRecord record;
  record.id = QX_WINDOW_RECORD_ID;
  record.unit_type = QX_UNIT_WINDOW;
  record.rect = {50, 50, 542, 693};
  record.events.push_back(d.on_first_event("OnWindowCreated"));
  form::WindowProps props;
  props.icon = app_icon_file();
  props.title = gbk(kTitle);
  record.props = std::move(props);
  return record;
}

struct Page {
  std::string_view caption;
  std::vector<ControlRecord> controls;
};

} // namespace

form::Form main_window_form(const OffsetOf &offset_of) {
  const Declaration d(offset_of);
  std::array<Page, 5> pages = {{
      {"一元一次方程", linear_page(d)},
      {"二元一次方程组", system_page(d)},
      {"一元二次方程", quadratic_page(d)},
      {"分数运算1", fraction_page_1(d)},
      {"分数运算2", fraction_page_2(d)},
  }};

  ControlRecord tab = d.tab(0x16010091, "选择夹1", {53, 6, 434, 161});
  auto &tab_props = std::get<form::TabProps>(tab.props);
  for (const Page &page : pages) {
    tab_props.pages.push_back(gbk(page.caption));
    std::vector<std::uint32_t> &ids = tab.pages.emplace_back();
    for (const ControlRecord &control : page.controls)
      ids.push_back(control.id);
  }

  form::Form form;
  form.records.emplace_back(window_record(d));
  const std::uint32_t tab_id = tab.id;
  form.records.emplace_back(std::move(tab));
  for (Page &page : pages) {
    for (ControlRecord &control : page.controls) {
      control.parent = tab_id;
      form.records.emplace_back(std::move(control));
    }
  }
  for (ControlRecord &control : window_controls(d))
    form.records.emplace_back(std::move(control));
  for (const MenuEntry &entry : kToolsMenu)
    form.records.emplace_back(d.menu_item(entry));
  return form;
}

std::span<const MenuEntry> tools_menu() { return kToolsMenu; }

} // namespace qx::window
