// Reads and writes the form section: the byte format of the window
// description, as a byte-exact round trip with the model of form_model.h.
#pragma once

#include "base/format_error.h"
#include "window/form_model.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qx::form {

// Throws qx::FormatError naming the record, the field and the offset.
Form read_form(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> write_form(const Form &form);

} // namespace qx::form
