// Loading a program image into a runtime.
#include "runtime/loader/loader.h"

#include "image/image_reader.h"
#include "runtime/core/runtime.h"
#include "window/form_io.h"

#include <dlfcn.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <span>

namespace qx::rt {
namespace {

constexpr std::uint32_t kHeaderSize = 0x58;
constexpr std::uint32_t kFirstSectionField = 0x24;
constexpr std::uint32_t kLibraryTableEndField = 0x54;
constexpr std::uint32_t kSectionHeaderSize = 0x38;
constexpr std::uint32_t kMaxSections = 256;
constexpr std::string_view kRuntimeLibraryName = "basert";
constexpr std::string_view kLibrarySuffix = ".rtp";

std::string hex(std::uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%llX",
                static_cast<unsigned long long>(value));
  return buffer;
}

std::uint32_t word_at(const unsigned char *image, std::uint32_t offset) {
  std::uint32_t word = 0;
  std::memcpy(&word, image + offset, sizeof word);
  return word;
}

// How many bytes the image at `image` spans, from its header and section
// chain, so that the reader gets a bounded span. The start routine receives
// only the address; every field walked here is checked against
// kMaxImageSize before it is followed.
std::uint32_t measure_image(const unsigned char *image) {
  if (std::memcmp(image, "WJ\0\0", 4) != 0)
    throw LoadError("program image: no \"WJ\" header at its start");
  std::uint64_t extent = std::max<std::uint64_t>(
      kHeaderSize, word_at(image, kLibraryTableEndField));
  std::uint32_t offset = word_at(image, kFirstSectionField);
  for (std::uint32_t count = 0; offset != image::kEndOfChain; ++count) {
    if (count == kMaxSections)
      throw LoadError("program image: section chain longer than " +
                      std::to_string(kMaxSections) + " sections");
    if (offset > kMaxImageSize - kSectionHeaderSize)
      throw LoadError("program image: section header at " + hex(offset) +
                      " lies beyond " + hex(kMaxImageSize));
    const std::uint64_t relocations = word_at(image, offset + 0x30);
    extent = std::max(extent, offset + kSectionHeaderSize + 4 * relocations);
    const std::uint32_t data_offset = word_at(image, offset + 0x2C);
    if (data_offset != image::kNoData)
      extent = std::max<std::uint64_t>(
          extent, std::uint64_t{data_offset} + word_at(image, offset + 0x24));
    if (extent > kMaxImageSize)
      throw LoadError("program image: section at " + hex(offset) +
                      " reaches beyond " + hex(kMaxImageSize));
    offset = word_at(image, offset + 4);
  }
  return static_cast<std::uint32_t>(extent);
}

// The running executable's exports, where the program's routines live.
void *program_handle() {
  static void *handle = dlopen(nullptr, RTLD_NOW);
  return handle;
}

Routine resolve(const image::DirectoryRoutine &entry) {
  void *address = platform::find_symbol(program_handle(), entry.name.c_str());
  if (!address)
    throw LoadError("routine " + entry.name + " (code offset " +
                    hex(entry.code_offset) +
                    ") is not exported by the program");
  Routine routine;
  routine.name = entry.name;
  if (entry.arg_words == 3)
    routine.click = reinterpret_cast<QxClickHandlerFn>(address);
  else
    routine.plain = reinterpret_cast<QxRoutineFn>(address);
  return routine;
}

void check_handler(const image::CodeDirectory &directory,
                   std::uint32_t code_offset, const std::string &owner) {
  const image::DirectoryRoutine *routine =
      image::find_routine(directory, code_offset);
  if (!routine)
    throw LoadError(owner + " is bound to code offset " + hex(code_offset) +
                    ", where no routine of the directory starts");
  if (routine->kind != QX_ROUTINE_HANDLER)
    throw LoadError(owner + " is bound to " + routine->name +
                    ", which is not an event handler");
}

void load_support_libraries(const image::ImageInfo &info,
                            const std::filesystem::path &directory,
                            LoadedProgram &program) {
  for (const image::LibraryEntry &library : info.libraries) {
    if (library.name == kRuntimeLibraryName)
      continue;
    const std::filesystem::path file =
        directory / (library.name + std::string(kLibrarySuffix));
    platform::Library loaded = platform::Library::load(file);
    if (!loaded)
      throw LoadError("support library " + library.name + " (" + file.string() +
                      ") cannot be loaded");
    program.libraries.push_back(loaded.detach());
  }
}

} // namespace

LoadedProgram load_program(Runtime &runtime, void *image,
                           const std::filesystem::path &library_directory) {
  if (!image)
    throw LoadError("no program image");
  auto *bytes = static_cast<unsigned char *>(image);
  try {
    std::uint32_t size = measure_image(bytes);
    image::ImageInfo info = image::read_image({bytes, size});
    // The reader may need a few bytes more (the @reloc1 tables); they lie
    // in the image's padding.
    if (const std::uint32_t extent = image::image_extent(info); extent > size) {
      if (extent > kMaxImageSize)
        throw LoadError("program image: extent " + hex(extent) + " too large");
      size = extent;
      info = image::read_image({bytes, size});
    }
    const std::span<std::uint8_t> whole(bytes, size);

    LoadedProgram program;
    load_support_libraries(info, library_directory, program);

    const image::SectionInfo *code = info.find("code");
    const image::SectionInfo *constants = info.find("const");
    const image::SectionInfo *form = info.find("form");
    if (!code || !constants || !form)
      throw LoadError("program image: a const, form or code section is "
                      "missing");
    const std::span<const std::uint8_t> const_data =
        image::section_data(whole, *constants);
    const std::span<const std::uint8_t> code_view =
        image::section_data(whole, *code);
    const std::span<std::uint8_t> code_data(bytes + (code_view.data() - bytes),
                                            code_view.size());
    const image::CodeDirectory directory =
        image::read_code_directory(code_data);

    image::RelocationBases bases;
    bases.service_table =
        std::bit_cast<std::uintptr_t>(&runtime.service_table());
    bases.const_data = std::bit_cast<std::uintptr_t>(const_data.data());
    bases.code_data = std::bit_cast<std::uintptr_t>(code_data.data());
    image::apply_code_relocations(code_data, code->relocations, bases);

    QxBinderFn binder = nullptr;
    for (const image::DirectoryRoutine &entry : directory.routines) {
      Routine routine = resolve(entry);
      if (entry.kind == QX_ROUTINE_BINDER)
        binder = reinterpret_cast<QxBinderFn>(routine.plain);
      if (entry.kind == QX_ROUTINE_ENTRY)
        program.entry = routine.plain;
      runtime.bind_routine(entry.code_offset, std::move(routine));
    }
    if (!binder)
      throw LoadError("program image: the code directory has no binder");
    // The header's entry offset points into the code data at the entry
    // routine's directory entry.
    const std::uint64_t entry_code_offset =
        std::uint64_t{info.entry_offset} - (code_data.data() - bytes);
    const image::DirectoryRoutine *entry = image::find_routine(
        directory, static_cast<std::uint32_t>(entry_code_offset));
    if (info.entry_offset < code_data.data() - bytes || !entry ||
        entry->kind != QX_ROUTINE_ENTRY || !program.entry)
      throw LoadError("program image: the entry offset " +
                      hex(info.entry_offset) +
                      " does not name the entry routine");

    const QxLinkBlock link = image::read_link_block(code_data, directory);
    if (binder(&link) != QX_BIND_ACCEPTED)
      throw LoadError("the program refused the runtime's service table "
                      "(size " +
                      std::to_string(runtime.service_table().size) +
                      ", version " +
                      std::to_string(runtime.service_table().version) + ")");

    form::Form declared = form::read_form(image::section_data(whole, *form));
    for (const form::Record &record : declared.records) {
      if (const auto *item = std::get_if<form::MenuItemRecord>(&record)) {
        if (item->handler != form::kNoHandler)
          check_handler(directory, item->handler, "menu item " + hex(item->id));
        continue;
      }
      const auto &control = std::get<form::ControlRecord>(record);
      for (const form::EventBinding &binding : control.events)
        check_handler(directory, binding.handler,
                      "event " + std::to_string(binding.event) +
                          " of control " + hex(control.id));
    }
    runtime.install_form(std::move(declared));
    return program;
  } catch (const FormatError &error) {
    throw LoadError(error.what());
  }
}

} // namespace qx::rt
