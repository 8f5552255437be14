// The const section's items, in section order.
#include "program/const_items.h"

#include "program/const_layout.h"

#include <array>
#include <vector>

namespace qx::image {
namespace {

constexpr std::array<std::uint32_t, 2> kEmptyArrayWords = {1, 0};
constexpr std::array<std::uint32_t, 5> kDivisorWords = {1, 3, 10, 100, 1000};
constexpr std::array<std::uint32_t, 2> kThreeElementWords = {1, 3};

constexpr ConstItem text(std::string_view name, std::string_view value) {
  return {0, ConstKind::Text, value, 0.0, {}, name};
}
constexpr ConstItem number(std::string_view name, double value) {
  return {0, ConstKind::Double, {}, value, {}, name};
}
constexpr ConstItem array(std::string_view name,
                          std::span<const std::uint32_t> words) {
  return {0, ConstKind::Array, {}, 0.0, words, name};
}

// The classic table.
constexpr std::array kClassicItems = {
    text("kEmptyText", ""),
    text("kQuadraticIncomplete",
         "请完整输入系数和常数项，没有一次项系数或常数项的方程请填0。"),
    text("kQuadraticZeroCoefficient",
         "二次项系数不能为0，请勿输入其它非数字字符，否则将转换为0"),
    number("kFour", 4.0),
    text("kNoRealRoots", "方程无实数根"),
    number("kTwo", 2.0),
    text("kSlash", "/"),
    text("kAmpersand", "&"),
    array("kEmptyArray", kEmptyArrayWords),
    text("kInvalidFraction", "0/0"),
    text("kInvalidMixed", "0&0/0"),
    number("kTolerance", 1e-07),
    number("kNegativeTolerance", -1e-07),
    text("kSystemRoot", "SystemRoot"),
    text("kNotepadPath", "\\system32\\notepad.exe"),
    text("kDecimalPoint", "."),
    number("kOne", 1.0),
    text("kDigitZero", "0"),
    text("kDigitOne", "1"),
    text("kCalculatorPath", "\\system32\\calc.exe"),
    // The home page offered by the check box; 23 bytes.
    text("kWebAddress", "http://quadrix.invalid/"),
    text("kStartPageKey",
         "Software\\Microsoft\\Internet Explorer\\Main\\Start Page"),
    text("kMinus", "-"),
    array("kDivisors", kDivisorWords),
    array("kThreeElementArray", kThreeElementWords),
    text("kLinearIncomplete",
         "请完整输入系数和常数项，没有常数项的方程请填0。"),
    text("kLinearZeroCoefficient",
         "未知数系数不能为0，请勿输入其它非数字字符，否则将转换为0"),
    text("kSystemIncomplete", "请完整输入系数和常数项。"),
    text("kInfiniteSolutions", "方程组有无数解"),
    text("kNoSolution", "方程组无解"),
};

// Items this build added after the classic table.
constexpr std::array kAddedItems = {
    text("kCoefficientOutOfRange",
         "系数超出范围，请输入 -2147483648 到 2147483647 之间的数。"),
};

std::vector<ConstItem> laid_out_items() {
  std::vector<ConstItem> items(kClassicItems.begin(), kClassicItems.end());
  items.insert(items.end(), kAddedItems.begin(), kAddedItems.end());
  assign_const_offsets(items);
  return items;
}

} // namespace

std::span<const ConstItem> const_items() {
  static const std::vector<ConstItem> items = laid_out_items();
  return items;
}

std::size_t classic_item_count() { return kClassicItems.size(); }

} // namespace qx::image
