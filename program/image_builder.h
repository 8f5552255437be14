// Builds the program image from the program's declarations: the const
// items, the main window's form and the routines it binds.
#pragma once

#include "image/code_directory.h"
#include "image/image_reader.h"
#include "window/form_model.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace qx::image {

// The start-up pieces every program exports by these names.
inline constexpr std::string_view kBinderRoutine = "qx_program_bind";
inline constexpr std::string_view kEntryRoutine = "qx_program_entry";
inline constexpr std::string_view kInitRoutine = "qx_program_init";
inline constexpr std::string_view kRegisteredRoutine = "qx_program_registered";
inline constexpr std::string_view kStartupSubroutine = "startup_subroutine";

// The two libraries of this program: the core runtime and the hypertext
// view, with their GBK descriptions.
std::vector<LibraryEntry> program_libraries();

// A routine the form binds to an event or menu item.
struct HandlerRequest {
  std::string_view routine;
  std::uint32_t arg_words = 0; // 0, or 3 for click (event -1) handlers
};
using HandlerOffsetFn = std::function<std::uint32_t(const HandlerRequest &)>;
// Builds the form, asking for the code offset of every routine it binds.
using FormDeclaration = std::function<form::Form(const HandlerOffsetFn &)>;

struct ProgramImage {
  std::vector<std::uint8_t> bytes;
  std::vector<RoutineDecl> routines; // in directory order
};

// The image: libraries, const, form, help, code (the start-up pieces, then
// the handlers in the order the form first asks for them), var, @reloc1.
// Reads the result back and throws qx::FormatError if it does not read as
// written.
ProgramImage build_program_image(const FormDeclaration &declare_form);

} // namespace qx::image
