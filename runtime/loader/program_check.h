// Reads a program image and checks everything a runtime relies on before it
// follows any of the image's pointers: the layout, the code directory, the
// link block and its relocations, the entry offset and every handler the
// form binds. The runtime, `quadrix-image dump` and `embed` share it, so the
// tool refuses exactly what the runtime refuses.
#pragma once

#include "image/image_reader.h"
#include "window/form_model.h"

#include <cstdint>
#include <span>

namespace qx::image {

struct CheckedProgram {
  ImageInfo info;
  CodeDirectory directory;
  form::Form form;
};

// Checks that every menu item handler and every event binding of `form`
// names an event handler of `directory`.
void check_form_handlers(const form::Form &form,
                         const CodeDirectory &directory);

// read_image, check_program_code, the form section and check_form_handlers;
// throws qx::FormatError naming the first problem.
CheckedProgram read_program(std::span<const std::uint8_t> bytes);

} // namespace qx::image
