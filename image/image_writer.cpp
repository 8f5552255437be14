// Writes a program image: header, library table, section chain and the
// @reloc1 tables.
#include "image/image_writer.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "image/image_format.h"

#include <algorithm>

namespace qx::image {
namespace {

using namespace layout;

std::string library_entry_text(const LibraryEntry &entry) {
  std::string text;
  for (const std::string *field : {&entry.name, &entry.identifier, &entry.major,
                                   &entry.minor, &entry.description}) {
    if (field->find_first_of(std::string_view("\r\0", 2)) != std::string::npos)
      throw FormatError("library " + entry.name +
                        ": a field holds a carriage return or zero byte");
    if (!text.empty())
      text += '\r';
    text += *field;
  }
  return text;
}

std::vector<std::uint8_t> library_table(const ImagePlan &plan) {
  ByteWriter out;
  for (const LibraryEntry &entry : plan.libraries) {
    if (entry.name.empty())
      throw FormatError("library table: an entry has no name");
    out.put_cstring(library_entry_text(entry));
  }
  out.put_u8(0);
  return out.take();
}

std::uint32_t header_size(const SectionPlan &section) {
  return checked_u32(kSectionHeaderSize + 4 * section.relocations.size(),
                     "section header length");
}

std::uint32_t data_size(const SectionPlan &section) {
  return section.data ? checked_u32(section.data->size(), "section data size")
                      : 0;
}

// Header offsets of every section, then the image size.
std::vector<std::uint64_t> section_offsets(const ImagePlan &plan) {
  std::vector<std::uint64_t> offsets;
  std::uint64_t offset = kHeaderSize + library_table(plan).size();
  for (const SectionPlan &section : plan.sections) {
    offsets.push_back(offset);
    offset += header_size(section) + data_size(section);
  }
  offsets.push_back(offset);
  if (offset >= kNoData)
    throw FormatError("image: " + hex(offset) +
                      " bytes do not fit 32-bit offsets");
  return offsets;
}

} // namespace

std::vector<std::uint8_t> write_identifier_tables(const IdentifierTables &t) {
  ByteWriter out;
  for (const auto &table : t.tables) {
    out.put_u32(checked_u32(table.size(), "identifier table count"));
    for (std::uint32_t position : table)
      out.put_u32(position);
  }
  return out.take();
}

std::uint32_t section_data_offset(const ImagePlan &plan, std::size_t index) {
  return static_cast<std::uint32_t>(section_offsets(plan).at(index) +
                                    header_size(plan.sections.at(index)));
}

std::vector<std::uint8_t> write_image(const ImagePlan &plan) {
  std::vector<std::uint64_t> offsets = section_offsets(plan);
  std::vector<std::uint8_t> libraries = library_table(plan);

  auto index_of = [&](std::string_view name) {
    auto it = std::ranges::find(plan.sections, name, &SectionPlan::name);
    if (it == plan.sections.end())
      throw FormatError("image: no section " + std::string(name));
    if (std::ranges::count(plan.sections, name, &SectionPlan::name) != 1)
      throw FormatError("image: section " + std::string(name) +
                        " is named twice");
    return static_cast<std::size_t>(it - plan.sections.begin());
  };

  std::size_t code = index_of(kCodeSection);
  if (plan.entry_code_offset >= data_size(plan.sections[code]))
    throw FormatError("image: entry offset " + hex(plan.entry_code_offset) +
                      " lies outside the code data");

  ByteWriter out;
  out.put_bytes(kMagic);
  out.put_zeros(32);
  out.put_u32(static_cast<std::uint32_t>(offsets.front()));
  out.put_u32(plan.stored_28);
  out.put_u32(plan.stored_2c);
  out.put_u32(0);
  out.put_u32(plan.stored_34);
  out.put_u32(0);
  out.put_u32(section_data_offset(plan, code) + plan.entry_code_offset);
  for (std::string_view name : kListedSections)
    out.put_u32(static_cast<std::uint32_t>(offsets[index_of(name)]));
  out.put_u32(static_cast<std::uint32_t>(offsets.front()));
  out.put_bytes(libraries);

  for (std::size_t i = 0; i < plan.sections.size(); ++i) {
    const SectionPlan &section = plan.sections[i];
    if (section.name.empty() || section.name.size() >= kSectionNameSize ||
        section.name.find('\0') != std::string::npos)
      throw FormatError("image: section name \"" + section.name +
                        "\" does not fit its 24-byte field");
    bool last = i + 1 == plan.sections.size();
    std::uint32_t size = data_size(section);
    out.put_u32(header_size(section));
    out.put_u32(last ? kEndOfChain
                     : static_cast<std::uint32_t>(offsets[i + 1]));
    out.put_u32(section.flags);
    out.put_text(section.name);
    out.put_zeros(kSectionNameSize - section.name.size());
    out.put_u32(size);
    out.put_u32(size);
    out.put_u32(section.data ? section_data_offset(plan, i) : kNoData);
    out.put_u32(checked_u32(section.relocations.size(), "relocation count"));
    out.put_u32(0);
    for (std::uint32_t entry : section.relocations)
      out.put_u32(entry);
    if (section.data)
      out.put_bytes(*section.data);
  }
  return out.take();
}

} // namespace qx::image
