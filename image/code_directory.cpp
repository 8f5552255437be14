// Writes the code section of this build: the directory of the program's
// routines, the link block and the relocations that fill it.
#include "image/code_directory.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/format_error.h"
#include "image/image_format.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qx::image {
namespace {

constexpr std::array kStartupKinds = {QX_ROUTINE_BINDER, QX_ROUTINE_ENTRY,
                                      QX_ROUTINE_INIT, QX_ROUTINE_REGISTERED,
                                      QX_ROUTINE_SUBROUTINE};

std::uint32_t relocation(std::size_t position, QxRelocationKind kind) {
  if (position > 0xFFFFFFFFu / 8)
    throw FormatError("code relocation at " + hex(position) +
                      ": the position does not fit in an entry");
  return layout::relocation_entry(static_cast<std::uint32_t>(position), kind);
}

} // namespace

std::uint32_t RoutineTable::add(QxRoutineKind kind, std::string_view name,
                                std::uint32_t arg_words) {
  if (name.empty() || name.find('\0') != std::string_view::npos)
    throw FormatError("routine name \"" + std::string(name) +
                      "\" is empty or holds a zero byte");
  auto it = std::ranges::find(m_routines, name, &RoutineDecl::name);
  if (it == m_routines.end()) {
    m_routines.push_back({kind, std::string(name), arg_words});
    return routine_code_offset(m_routines.size() - 1);
  }
  if (it->kind != kind || it->arg_words != arg_words)
    throw FormatError(
        "routine \"" + std::string(name) + "\" is bound as kind " +
        std::to_string(kind) + " with " + std::to_string(arg_words) +
        " argument words and earlier as kind " + std::to_string(it->kind) +
        " with " + std::to_string(it->arg_words));
  return routine_code_offset(static_cast<std::size_t>(it - m_routines.begin()));
}

CodeSection write_code_section(std::span<const RoutineDecl> routines,
                               std::uint32_t const_size,
                               std::uint32_t image_offset) {
  for (QxRoutineKind kind : kStartupKinds) {
    auto count = std::ranges::count(routines, kind, &RoutineDecl::kind);
    if (count != 1)
      throw FormatError("code directory: " + std::to_string(count) +
                        " routines of kind " + std::to_string(kind) +
                        "; exactly one is needed");
  }

  std::size_t entries_end = routine_code_offset(routines.size());
  std::size_t link_offset = entries_end;
  while ((image_offset + link_offset) % alignof(std::uint64_t) != 0)
    ++link_offset;
  std::size_t names_offset = link_offset + sizeof(QxLinkBlock);

  ByteWriter names;
  std::vector<std::uint32_t> name_offsets;
  for (const RoutineDecl &routine : routines) {
    name_offsets.push_back(checked_u32(names.size(), "routine name offset"));
    names.put_cstring(routine.name);
  }

  ByteWriter out;
  out.put_bytes(
      std::span(reinterpret_cast<const std::uint8_t *>(QX_CODE_MAGIC), 4));
  out.put_u32(QX_CODE_VERSION);
  out.put_u32(checked_u32(routines.size(), "routine count"));
  out.put_u32(checked_u32(link_offset, "link block offset"));
  out.put_u32(checked_u32(names_offset, "names offset"));
  out.put_u32(checked_u32(names.size(), "names size"));
  std::uint32_t registered = 0;
  for (std::size_t i = 0; i < routines.size(); ++i) {
    if (routines[i].kind == QX_ROUTINE_REGISTERED)
      registered = routine_code_offset(i);
    out.put_u32(routines[i].kind);
    out.put_u32(name_offsets[i]);
    out.put_u32(routines[i].arg_words);
    out.put_u32(0);
  }
  out.put_zeros(link_offset - entries_end);

  CodeSection code;
  code.link_offset = static_cast<std::uint32_t>(link_offset);
  code.relocations = {
      relocation(link_offset + offsetof(QxLinkBlock, service_table),
                 QX_RELOC_SERVICE_TABLE),
      relocation(link_offset + offsetof(QxLinkBlock, const_data),
                 QX_RELOC_CONST),
      relocation(link_offset + offsetof(QxLinkBlock, registered_routine),
                 QX_RELOC_CODE),
  };
  out.put_u64(0);          // service_table
  out.put_u64(0);          // const_data
  out.put_u64(registered); // registered_routine
  out.put_u32(const_size);
  out.put_u32(0);
  out.put_bytes(names.bytes());
  code.data = out.take();
  return code;
}

} // namespace qx::image
