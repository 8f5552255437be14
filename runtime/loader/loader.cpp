// Loading a program image into a runtime.
#include "runtime/loader/loader.h"

#include "base/byte_reader.h"
#include "image/image_format.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/program_check.h"

#include <bit>

namespace qx::rt {
namespace {

constexpr std::string_view kRuntimeLibraryName = "basert";
constexpr std::string_view kLibrarySuffix = ".rtp";

using image::hex;

Routine resolve(const image::DirectoryRoutine &entry) {
  void *address = platform::find_own_function(platform::program_library(),
                                              entry.name.c_str());
  if (!address)
    throw LoadError("routine " + entry.name + " (code offset " +
                    hex(entry.code_offset) +
                    ") is not a function of the program");
  Routine routine;
  routine.name = entry.name;
  if (entry.arg_words == 3)
    routine.click = reinterpret_cast<QxClickHandlerFn>(address);
  else
    routine.plain = reinterpret_cast<QxRoutineFn>(address);
  return routine;
}

void load_support_libraries(const image::ImageInfo &info,
                            const std::filesystem::path &directory,
                            LoadedProgram &program) {
  for (const image::LibraryEntry &library : info.libraries) {
    if (library.name == kRuntimeLibraryName)
      continue;
    // The reader has checked that the name is a plain file name.
    const std::filesystem::path file =
        directory / (library.name + std::string(kLibrarySuffix));
    if (const auto problem = platform::library_file_problem(file))
      throw LoadError("support library " + library.name + " (" + file.string() +
                      ") " + *problem);
    platform::Library loaded = platform::Library::load(file);
    if (!loaded)
      throw LoadError("support library " + library.name + " (" + file.string() +
                      ") cannot be loaded");
    program.libraries.push_back(loaded.detach());
  }
}

} // namespace

std::optional<std::uint32_t> exported_image_size(const void *image) {
  platform::LibraryHandle program = platform::program_library();
  const void *exported = platform::find_symbol(program, "qx_program_image");
  const auto *size = static_cast<const std::uint32_t *>(
      platform::find_symbol(program, "qx_program_image_size"));
  if (!image || exported != image || !size)
    return std::nullopt;
  return *size;
}

LoadedProgram load_program(Runtime &runtime, std::span<std::uint8_t> image,
                           const std::filesystem::path &library_directory) {
  if (image.empty())
    throw LoadError("no program image");
  try {
    image::CheckedProgram checked = image::read_program(image);
    const image::ImageInfo &info = checked.info;
    const image::CodeDirectory &directory = checked.directory;

    LoadedProgram program;
    load_support_libraries(info, library_directory, program);
    // The routines run in the executable's frames, which end_program and
    // runtime errors leave by an exception the runtime catches.
    if (!platform::share_exception_frames(platform::program_library()))
      throw LoadError("the executable's unwind tables cannot be shared with "
                      "the runtime");

    // read_program has found every section and checked its data.
    const image::SectionInfo &code = *info.find(image::layout::kCodeSection);
    const image::SectionInfo &constants =
        *info.find(image::layout::kConstSection);
    const std::span<const std::uint8_t> const_data =
        image::section_data(image, constants);
    const std::span<std::uint8_t> code_data =
        image.subspan(code.data_offset, code.data_size);

    image::RelocationBases bases;
    bases.service_table =
        std::bit_cast<std::uintptr_t>(&runtime.service_table());
    bases.const_data = std::bit_cast<std::uintptr_t>(const_data.data());
    bases.code_data = std::bit_cast<std::uintptr_t>(code_data.data());

    // Every routine resolves before anything is patched.
    QxBinderFn binder = nullptr;
    std::vector<Routine> routines;
    for (const image::DirectoryRoutine &entry : directory.routines) {
      Routine routine = resolve(entry);
      if (entry.kind == QX_ROUTINE_BINDER)
        binder = reinterpret_cast<QxBinderFn>(routine.plain);
      if (entry.kind == QX_ROUTINE_ENTRY)
        program.entry = routine.plain;
      routines.push_back(std::move(routine));
    }
    image::apply_code_relocations(code_data, code.relocations, bases);
    for (std::size_t i = 0; i < routines.size(); ++i)
      runtime.bind_routine(directory.routines[i].code_offset,
                           std::move(routines[i]));

    const QxLinkBlock link = image::read_link_block(code_data, directory);
    if (binder(&link) != QX_BIND_ACCEPTED)
      throw LoadError("the program refused the runtime's service table "
                      "(size " +
                      std::to_string(runtime.service_table().size) +
                      ", version " +
                      std::to_string(runtime.service_table().version) + ")");
    runtime.install_form(std::move(checked.form));
    return program;
  } catch (const FormatError &error) {
    throw LoadError(error.what());
  }
}

} // namespace qx::rt
