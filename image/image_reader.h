// Reads a program image: header, library table, section chain, the code
// section's routine directory, and applies the code relocations in place.
//
// Every function checks every offset, size and count against the bytes that
// remain and throws qx::FormatError naming the field and the offset; none
// reads outside the span it is given.
#pragma once

#include "base/format_error.h"
#include "base/qx_abi.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qx::image {

inline constexpr std::uint32_t kNoData = 0xFFFFFFFF;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFF;

// One entry of the library table; fields as stored (GBK texts).
struct LibraryEntry {
  std::string name;
  std::string identifier; // 32 hexadecimal digits
  std::string major;
  std::string minor;
  std::string description;
};

struct SectionInfo {
  std::string name;
  std::uint32_t header_offset = 0; // from the image start
  std::uint32_t next_offset = kEndOfChain;
  std::uint32_t flags = 0;
  std::uint32_t data_size = 0;
  std::uint32_t data_size_copy = 0;
  std::uint32_t data_offset = kNoData;    // from the image start
  std::vector<std::uint32_t> relocations; // (code offset * 8) + kind
};

// The @reloc1 section's four tables of code positions; the counts are
// authoritative (the last entry may lie in the 4 bytes behind the declared
// data size).
struct IdentifierTables {
  std::array<std::vector<std::uint32_t>, 4> tables;
  // Bytes the four tables take as stored: the declared data size, or 4 more
  // when the last entry lies behind it.
  std::uint32_t stored_size = 0;
};

struct ImageInfo {
  std::uint32_t first_section = 0;
  std::uint32_t stored_28 = 0;
  std::uint32_t stored_2c = 0;
  std::uint32_t stored_34 = 0;
  std::uint32_t entry_offset = 0;                 // from the image start
  std::array<std::uint32_t, 5> section_headers{}; // const form help code var
  std::uint32_t library_table_end = 0;
  std::vector<LibraryEntry> libraries;
  std::vector<SectionInfo> sections; // in chain order
  IdentifierTables identifier_tables;

  // The section named `name`, or null.
  const SectionInfo *find(std::string_view name) const;
};

// Reads everything but the code directory. `bytes` is the whole image (an
// image carried in an executable's data may be followed by zero padding).
ImageInfo read_image(std::span<const std::uint8_t> bytes);

// The data of a section as a span into `bytes`; empty for a section without
// data.
std::span<const std::uint8_t> section_data(std::span<const std::uint8_t> bytes,
                                           const SectionInfo &section);

// One routine of the code section's directory.
struct DirectoryRoutine {
  std::uint32_t code_offset = 0; // offset of its entry within the code data
  std::uint32_t kind = 0;        // QxRoutineKind
  std::uint32_t arg_words = 0;
  std::string name;
};

struct CodeDirectory {
  std::vector<DirectoryRoutine> routines;
  std::uint32_t link_offset = 0; // of the QxLinkBlock within the code data
};

// Checks the directory's header, entries, link block and names: magic and
// version, entries, link block and names in this order without overlap, every
// kind known, argument words 0 or 3, every name zero-terminated inside the
// names and unique, at most one routine of each start-up kind.
CodeDirectory read_code_directory(std::span<const std::uint8_t> code_data);

// The routine whose entry lies at `code_offset`, or null.
const DirectoryRoutine *find_routine(const CodeDirectory &directory,
                                     std::uint32_t code_offset);

// The link block as stored (after relocation: the patched addresses). The
// block is copied, so the code data need not be aligned.
QxLinkBlock read_link_block(std::span<const std::uint8_t> code_data,
                            const CodeDirectory &directory);

// One past the last byte the image uses: the furthest end of the header,
// the library table, every section header and every section's data (for
// @reloc1, the tables as their counts give them).
std::uint32_t image_extent(const ImageInfo &info);

// What a runtime relies on before it follows any pointer of the image,
// checked on an image read by read_image: every library of the table has a
// plain name (no separator, not "." or ".."); the code directory reads, with
// exactly one routine of each start-up kind; the header's entry offset names
// the entry routine; the code section's relocations are exactly the three
// that fill the link block, which holds the operands they complete (0, 0 and
// the registered routine's entry offset), the const section's size and a
// zero reserved word. Returns the directory; throws qx::FormatError naming
// the field.
CodeDirectory check_program_code(std::span<const std::uint8_t> bytes,
                                 const ImageInfo &info);

// Checks that `code_offset`, bound by `owner` (a text such as "event 1 of
// control 0x12"), is where an event handler of the directory starts.
void check_handler(const CodeDirectory &directory, std::uint32_t code_offset,
                   std::string_view owner);

// Base addresses that the relocation kinds add.
struct RelocationBases {
  std::uint64_t service_table = 0; // kind 0
  std::uint64_t const_data = 0;    // kind 1
  std::uint64_t code_data = 0;     // kind 3
};

// Adds the base of each entry's kind to the 64-bit little-endian operand at
// its code offset. Checks every entry (operand inside the data, known kind)
// before patching anything, so a bad table leaves the data unchanged.
void apply_code_relocations(std::span<std::uint8_t> code_data,
                            std::span<const std::uint32_t> entries,
                            const RelocationBases &bases);

} // namespace qx::image
