// Writes the code section of this build: the directory of the program's
// routines, the link block and the relocations that fill it.
#pragma once

#include "base/qx_abi.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::image {

struct RoutineDecl {
  QxRoutineKind kind;
  std::string name;
  std::uint32_t arg_words = 0;
  bool operator==(const RoutineDecl &) const = default;
};

// The code offset of the directory entry at `index`.
constexpr std::uint32_t routine_code_offset(std::size_t index) {
  return static_cast<std::uint32_t>(sizeof(QxCodeHeader) +
                                    index * sizeof(QxRoutineEntry));
}

// The routines of a directory in entry order. Each routine's code offset is
// fixed when it is added, so offsets can be handed out before the directory
// is complete.
class RoutineTable {
public:
  // Adds a routine, or finds the one of that name. Throws qx::FormatError
  // when the name is empty or was added with another kind or argument count.
  std::uint32_t add(QxRoutineKind kind, std::string_view name,
                    std::uint32_t arg_words = 0);
  std::span<const RoutineDecl> routines() const { return m_routines; }

private:
  std::vector<RoutineDecl> m_routines;
};

struct CodeSection {
  std::vector<std::uint8_t> data;
  std::vector<std::uint32_t> relocations; // (code offset * 8) + kind
  std::uint32_t link_offset = 0;
};

// Lays out header, entries, link block and names. The link block's 64-bit
// operands are placed so that they are 8-byte aligned in memory when the
// image lies at an 8-byte aligned address and the code data at
// `image_offset` in it. The link block holds the operands the relocations
// complete: 0 for the service table and the const data, the registered
// routine's entry offset; and `const_size`. Throws qx::FormatError unless
// exactly one routine of each start-up kind (binder, entry, init,
// registered, subroutine) is listed.
CodeSection write_code_section(std::span<const RoutineDecl> routines,
                               std::uint32_t const_size,
                               std::uint32_t image_offset);

} // namespace qx::image
