// The items of the image's const section: their offsets and their values.
//
// Declared once, here. The image writer lays the items out back to back in
// this order (texts zero-terminated in GBK, doubles as 8 little-endian bytes,
// arrays as dimension count, sizes, elements) and checks that each lands at
// its declared offset; program code reads them from the loaded image by the
// same offsets.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace qx::image {

namespace konst {
inline constexpr std::uint32_t kEmptyText = 0x000;
inline constexpr std::uint32_t kQuadraticIncomplete = 0x001;
inline constexpr std::uint32_t kQuadraticZeroCoefficient = 0x03D;
inline constexpr std::uint32_t kFour = 0x076;
inline constexpr std::uint32_t kNoRealRoots = 0x07E;
inline constexpr std::uint32_t kTwo = 0x08B;
inline constexpr std::uint32_t kSlash = 0x093;
inline constexpr std::uint32_t kAmpersand = 0x095;
inline constexpr std::uint32_t kEmptyArray = 0x097;
inline constexpr std::uint32_t kInvalidFraction = 0x09F;
inline constexpr std::uint32_t kInvalidMixed = 0x0A3;
inline constexpr std::uint32_t kTolerance = 0x0A9;
inline constexpr std::uint32_t kNegativeTolerance = 0x0B1;
inline constexpr std::uint32_t kSystemRoot = 0x0B9;
inline constexpr std::uint32_t kNotepadPath = 0x0C4;
inline constexpr std::uint32_t kDecimalPoint = 0x0DA;
inline constexpr std::uint32_t kOne = 0x0DC;
inline constexpr std::uint32_t kDigitZero = 0x0E4;
inline constexpr std::uint32_t kDigitOne = 0x0E6;
inline constexpr std::uint32_t kCalculatorPath = 0x0E8;
inline constexpr std::uint32_t kWebAddress = 0x0FB;
inline constexpr std::uint32_t kStartPageKey = 0x113;
inline constexpr std::uint32_t kMinus = 0x148;
inline constexpr std::uint32_t kDivisors = 0x14A;
inline constexpr std::uint32_t kThreeElementArray = 0x15E;
inline constexpr std::uint32_t kLinearIncomplete = 0x166;
inline constexpr std::uint32_t kLinearZeroCoefficient = 0x196;
inline constexpr std::uint32_t kSystemIncomplete = 0x1CF;
inline constexpr std::uint32_t kInfiniteSolutions = 0x1E8;
inline constexpr std::uint32_t kNoSolution = 0x1F7;
// Size of the classic table; items after it were added by this build.
inline constexpr std::uint32_t kClassicSize = 0x202;
inline constexpr std::uint32_t kCoefficientOutOfRange = 0x202;
} // namespace konst

enum class ConstKind { Text, Double, Array };

// One item: a UTF-8 text (stored in GBK), a double, or an array given as its
// words (dimension count, one size per dimension, then any elements).
struct ConstItem {
  std::uint32_t offset;
  ConstKind kind;
  std::string_view text;
  double number;
  std::span<const std::uint32_t> array_words;
};

// All items in section order.
std::span<const ConstItem> const_items();

} // namespace qx::image
