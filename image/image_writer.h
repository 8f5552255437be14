// Writes a program image: header, library table, section chain and the
// @reloc1 tables.
#pragma once

#include "image/image_reader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qx::image {

struct SectionPlan {
  std::string name;
  std::uint32_t flags = 1;
  // nullopt: no data (offset 0xFFFFFFFF, size 0).
  std::optional<std::vector<std::uint8_t>> data;
  std::vector<std::uint32_t> relocations; // (code offset * 8) + kind
};

struct ImagePlan {
  std::uint32_t stored_28 = 1;
  std::uint32_t stored_2c = 3;
  std::uint32_t stored_34 = 0x0001093E;
  std::vector<LibraryEntry> libraries; // GBK texts
  std::vector<SectionPlan> sections;   // in chain order
  // Offset of the entry routine from the start of the code section's data;
  // the header stores it from the start of the image.
  std::uint32_t entry_code_offset = 0;
};

// The four tables as the @reloc1 section stores them, each a count and its
// entries.
std::vector<std::uint8_t> write_identifier_tables(const IdentifierTables &);

// The image offset at which section `index`'s data will lie. Depends only
// on the libraries, the sections before it (their data sizes and relocation
// counts) and its own relocation count.
std::uint32_t section_data_offset(const ImagePlan &plan, std::size_t index);

// The whole image. Throws qx::FormatError when a section listed in the
// header (const, form, help, code, var) is missing or named twice, when the
// entry offset lies outside the code data, when a library field holds a
// carriage return or zero byte, or a name does not fit its field.
std::vector<std::uint8_t> write_image(const ImagePlan &plan);

} // namespace qx::image
