// Reading coefficients from the edit boxes of an equation page.
#include "solvers/coefficient_boxes.h"

#include "base/qx_abi.h"
#include "runtime/sdk/sdk.h"
#include "solvers/equations.h"

#include <algorithm>
#include <cassert>
#include <cstddef>

namespace qx::solvers {

bool boxes_filled(std::span<const std::uint32_t> boxes) {
  return std::ranges::all_of(
      boxes, [](std::uint32_t box) { return !sdk::read_text(box).empty(); });
}

bool read_coefficients(std::span<const std::uint32_t> boxes,
                       std::span<std::int32_t> coefficients) {
  assert(boxes.size() == coefficients.size());
  bool all_in_range = true;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const sdk::Text text = sdk::read_text(boxes[i]);
    const auto coefficient =
        coefficient_from(sdk::text_to_number(text.c_str()));
    all_in_range = all_in_range && coefficient.has_value();
    coefficients[i] = coefficient.value_or(0);
  }
  return all_in_range;
}

void show_message(std::uint32_t message) {
  sdk::message_box(sdk::const_text(message), QX_MB_INFORMATION);
}

} // namespace qx::solvers
