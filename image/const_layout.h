// Lays out the const section's data from the declared items.
#pragma once

#include "image/const_pool.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qx::image {

// The const data: the items of `items` back to back, texts as GBK with a
// zero, doubles as 8 little-endian bytes of their bit pattern, arrays as
// their words. Throws qx::FormatError when an item does not land at its
// declared offset or a text has no GBK form.
std::vector<std::uint8_t> write_const_data(std::span<const ConstItem> items);
inline std::vector<std::uint8_t> write_const_data() {
  return write_const_data(const_items());
}

} // namespace qx::image
