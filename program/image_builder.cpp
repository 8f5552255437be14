// Builds the program image from the program's declarations.
#include "program/image_builder.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "image/image_format.h"
#include "image/image_writer.h"
#include "program/const_layout.h"
#include "program/gbk_text.h"
#include "window/form_io.h"

#include <string>

namespace qx::image {
namespace {

using namespace layout;

constexpr std::size_t kCodeIndex = 3;

// Reads the written image as the runtime will and compares it with what was
// declared.
void check_written(std::span<const std::uint8_t> bytes, const form::Form &form,
                   std::span<const RoutineDecl> routines) {
  ImageInfo info = read_image(bytes);
  CodeDirectory directory =
      read_code_directory(section_data(bytes, *info.find(kCodeSection)));
  if (directory.routines.size() != routines.size())
    throw FormatError("image builder: the directory reads back with " +
                      std::to_string(directory.routines.size()) +
                      " routines, not " + std::to_string(routines.size()));
  for (std::size_t i = 0; i < routines.size(); ++i) {
    const DirectoryRoutine &read = directory.routines[i];
    if (read.name != routines[i].name || read.kind != routines[i].kind ||
        read.arg_words != routines[i].arg_words ||
        read.code_offset != routine_code_offset(i))
      throw FormatError("image builder: routine " + routines[i].name +
                        " reads back differently");
  }
  if (form::read_form(section_data(bytes, *info.find(kFormSection))) != form)
    throw FormatError("image builder: the form reads back differently");
}

} // namespace

std::vector<LibraryEntry> program_libraries() {
  return {
      {"basert", "7c1e5a90b24f4d8e9a3306f1c2d48b57", "5", "0",
       to_gbk("系统核心支持库", "library basert")},
      {"WebPane", "A6F04C2E91B7453DB8E01C7D59F3A264", "2", "0",
       to_gbk("超文本浏览框支持库", "library WebPane")},
  };
}

ProgramImage build_program_image(const FormDeclaration &declare_form) {
  RoutineTable table;
  table.add(QX_ROUTINE_BINDER, kBinderRoutine);
  std::uint32_t entry = table.add(QX_ROUTINE_ENTRY, kEntryRoutine);
  table.add(QX_ROUTINE_INIT, kInitRoutine);
  table.add(QX_ROUTINE_REGISTERED, kRegisteredRoutine);
  table.add(QX_ROUTINE_SUBROUTINE, kStartupSubroutine);

  form::Form form = declare_form([&](const HandlerRequest &request) {
    if (request.arg_words != 0 && request.arg_words != 3)
      throw FormatError("handler " + std::string(request.routine) + ": " +
                        std::to_string(request.arg_words) +
                        " argument words; handlers take 0 or 3");
    return table.add(QX_ROUTINE_HANDLER, request.routine, request.arg_words);
  });

  std::vector<std::uint8_t> const_data = write_const_data();
  ImagePlan plan;
  plan.libraries = program_libraries();
  plan.sections = {
      {std::string(kConstSection), kConstFlags, const_data, {}},
      {std::string(kFormSection), kFormFlags, form::write_form(form), {}},
      {std::string(kHelpSection),
       kHelpFlags,
       std::vector<std::uint8_t>(kHelpSize),
       {}},
      // The code data follows once its place is known; its three
      // relocations already count in the header's length.
      {std::string(kCodeSection), kCodeFlags, std::vector<std::uint8_t>{},
       std::vector<std::uint32_t>(3)},
      {std::string(kVarSection), kVarFlags, std::nullopt, {}},
      {std::string(kIdentifierSection),
       kIdentifierFlags,
       write_identifier_tables({}),
       {}},
  };
  CodeSection code = write_code_section(
      table.routines(), checked_u32(const_data.size(), "const size"),
      section_data_offset(plan, kCodeIndex));
  if (code.relocations.size() != plan.sections[kCodeIndex].relocations.size())
    throw FormatError("image builder: the code section's relocation count "
                      "changed");
  plan.sections[kCodeIndex].data = std::move(code.data);
  plan.sections[kCodeIndex].relocations = std::move(code.relocations);
  plan.entry_code_offset = entry;

  ProgramImage image;
  image.bytes = write_image(plan);
  image.routines.assign(table.routines().begin(), table.routines().end());
  check_written(image.bytes, form, image.routines);
  return image;
}

} // namespace qx::image
