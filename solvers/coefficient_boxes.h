// Reading coefficients from the edit boxes of an equation page.
#pragma once

#include "solvers/working.h"

#include <cstdint>
#include <span>

namespace qx::solvers {

// True when every box holds text. Reads the boxes in the given order and
// stops at the first empty one; blanks count as text.
bool boxes_filled(std::span<const std::uint32_t> boxes);

// Reads each box again, converts its text with text_to_number and truncates
// it to a coefficient, storing them in `coefficients` in box order; where
// the cut changed the number, the number as to_text writes it goes with the
// coefficient, for the working. Returns false, with `coefficients`
// unspecified, when a value lies outside the signed 32-bit range.
bool read_coefficients(std::span<const std::uint32_t> boxes,
                       std::span<Coefficient> coefficients);

// The hypertext view shows `working`.
void show_working(const doc::Document &working);

// Shows the const section's text at `message` in an information box.
void show_message(std::uint32_t message);

} // namespace qx::solvers
