// The values of the const section's items.
#include "image/const_pool.h"

#include <array>

namespace qx::image {
namespace {

using namespace konst;

constexpr std::array<std::uint32_t, 2> kEmptyArrayWords = {1, 0};
constexpr std::array<std::uint32_t, 5> kDivisorWords = {1, 3, 10, 100, 1000};
constexpr std::array<std::uint32_t, 2> kThreeElementWords = {1, 3};

constexpr ConstItem text(std::uint32_t offset, std::string_view value) {
  return {offset, ConstKind::Text, value, 0.0, {}};
}
constexpr ConstItem number(std::uint32_t offset, double value) {
  return {offset, ConstKind::Double, {}, value, {}};
}
constexpr ConstItem array(std::uint32_t offset,
                          std::span<const std::uint32_t> words) {
  return {offset, ConstKind::Array, {}, 0.0, words};
}

const std::array kItems = {
    text(kEmptyText, ""),
    text(kQuadraticIncomplete,
         "请完整输入系数和常数项，没有一次项系数或常数项的方程请填0。"),
    text(kQuadraticZeroCoefficient,
         "二次项系数不能为0，请勿输入其它非数字字符，否则将转换为0"),
    number(kFour, 4.0),
    text(kNoRealRoots, "方程无实数根"),
    number(kTwo, 2.0),
    text(kSlash, "/"),
    text(kAmpersand, "&"),
    array(kEmptyArray, kEmptyArrayWords),
    text(kInvalidFraction, "0/0"),
    text(kInvalidMixed, "0&0/0"),
    number(kTolerance, 1e-07),
    number(kNegativeTolerance, -1e-07),
    text(kSystemRoot, "SystemRoot"),
    text(kNotepadPath, "\\system32\\notepad.exe"),
    text(kDecimalPoint, "."),
    number(kOne, 1.0),
    text(kDigitZero, "0"),
    text(kDigitOne, "1"),
    text(kCalculatorPath, "\\system32\\calc.exe"),
    // The home page offered by the check box; 23 bytes.
    text(kWebAddress, "http://quadrix.invalid/"),
    text(kStartPageKey,
         "Software\\Microsoft\\Internet Explorer\\Main\\Start Page"),
    text(kMinus, "-"),
    array(kDivisors, kDivisorWords),
    array(kThreeElementArray, kThreeElementWords),
    text(kLinearIncomplete, "请完整输入系数和常数项，没有常数项的方程请填0。"),
    text(kLinearZeroCoefficient,
         "未知数系数不能为0，请勿输入其它非数字字符，否则将转换为0"),
    text(kSystemIncomplete, "请完整输入系数和常数项。"),
    text(kInfiniteSolutions, "方程组有无数解"),
    text(kNoSolution, "方程组无解"),
    text(kCoefficientOutOfRange,
         "系数超出范围，请输入 -2147483648 到 2147483647 之间的数。"),
};

} // namespace

std::span<const ConstItem> const_items() { return kItems; }

} // namespace qx::image
