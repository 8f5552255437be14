// Reads a program image and checks what a runtime relies on.
#include "runtime/loader/program_check.h"

#include "base/byte_reader.h"
#include "image/image_format.h"
#include "window/form_io.h"

#include <string>
#include <variant>

namespace qx::image {

void check_form_handlers(const form::Form &form,
                         const CodeDirectory &directory) {
  for (const form::Record &record : form.records) {
    if (const auto *item = std::get_if<form::MenuItemRecord>(&record)) {
      if (item->handler != form::kNoHandler)
        check_handler(directory, item->handler, "menu item " + hex(item->id));
      continue;
    }
    const auto &control = std::get<form::ControlRecord>(record);
    for (const form::EventBinding &binding : control.events)
      check_handler(directory, binding.handler,
                    "event " + std::to_string(binding.event) + " of control " +
                        hex(control.id));
  }
}

CheckedProgram read_program(std::span<const std::uint8_t> bytes) {
  CheckedProgram program;
  program.info = read_image(bytes);
  program.directory = check_program_code(bytes, program.info);
  const SectionInfo *form = program.info.find(layout::kFormSection);
  if (!form)
    throw FormatError("image: the form section is missing");
  program.form = form::read_form(section_data(bytes, *form));
  check_form_handlers(program.form, program.directory);
  return program;
}

} // namespace qx::image
