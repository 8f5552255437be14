// The items of the image's const section: their names and their values.
//
// Declared once, in const_pool.cpp, without offsets: the items lie back to
// back in declaration order (texts zero-terminated in GBK, doubles as 8
// little-endian bytes, arrays as dimension count, sizes, elements), so each
// offset follows from the items before it. const_items() works the offsets
// out; at build time quadrix-image writes them into the generated
// program/const_pool.h (namespace konst), by which program code reads the items
// from the loaded image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qx::image {

enum class ConstKind { Text, Double, Array };

// One item: a UTF-8 text (stored in GBK), a double, or an array given as its
// words (dimension count, one size per dimension, then any elements), and
// the name of its offset constant.
struct ConstItem {
  std::uint32_t offset;
  ConstKind kind;
  std::string_view text;
  double number;
  std::span<const std::uint32_t> array_words;
  std::string_view name = {};
};

// All items in section order, each with its offset. Throws qx::FormatError
// when a text has no GBK form.
std::span<const ConstItem> const_items();

// How many of the first items make up the classic table; the rest were
// added by this build.
std::size_t classic_item_count();

} // namespace qx::image
