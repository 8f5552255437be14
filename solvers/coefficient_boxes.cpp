// Reading coefficients from the edit boxes of an equation page.
#include "solvers/coefficient_boxes.h"

#include "base/qx_abi.h"
#include "program/control_ids.h"
#include "runtime/sdk/sdk.h"
#include "solvers/equations.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <string>

namespace qx::solvers {

bool boxes_filled(std::span<const std::uint32_t> boxes) {
  return std::ranges::all_of(
      boxes, [](std::uint32_t box) { return !sdk::read_text(box).empty(); });
}

bool read_coefficients(std::span<const std::uint32_t> boxes,
                       std::span<Coefficient> coefficients) {
  assert(boxes.size() == coefficients.size());
  bool all_in_range = true;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const sdk::Text text = sdk::read_text(boxes[i]);
    const double number = sdk::text_to_number(text.c_str());
    const auto coefficient = coefficient_from(number);
    all_in_range = all_in_range && coefficient.has_value();
    coefficients[i].value = coefficient.value_or(0);
    coefficients[i].cut_from.clear();
    if (coefficient && number != *coefficient)
      coefficients[i].cut_from = std::string(sdk::to_text(number).view());
  }
  return all_in_range;
}

void show_working(const doc::Document &working) {
  sdk::show_working(ctl::超文本浏览框1, working);
}

void show_message(std::uint32_t message) {
  sdk::message_box(sdk::const_text(message), QX_MB_INFORMATION);
}

} // namespace qx::solvers
