// Lays out the const section's data from the declared items.
#pragma once

#include "program/const_items.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qx::image {

// The const data: the items of `items` back to back, texts as GBK with a
// zero, doubles as 8 little-endian bytes of their bit pattern, arrays as
// their words. Throws qx::FormatError when an item does not land at its
// offset or a text has no GBK form.
std::vector<std::uint8_t> write_const_data(std::span<const ConstItem> items);
inline std::vector<std::uint8_t> write_const_data() {
  return write_const_data(const_items());
}

// Sets each item's offset to where the layout above puts it. Throws
// qx::FormatError for an item that cannot be laid out.
void assign_const_offsets(std::span<ConstItem> items);

} // namespace qx::image
