// Reads a program image: header, library table, section chain, the code
// section's routine directory, and applies the code relocations.
#include "image/image_reader.h"

#include "base/byte_reader.h"
#include "image/image_format.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <set>

namespace qx::image {
namespace {

using namespace layout;

LibraryEntry parse_library_entry(const std::string &text, ByteReader &in,
                                 std::size_t start) {
  std::array<std::string, 5> fields;
  std::size_t field = 0;
  for (char c : text) {
    if (c != '\r') {
      fields[field] += c;
      continue;
    }
    if (++field == fields.size())
      in.fail_at(start, "library entry", "has more than 5 fields");
  }
  if (field != fields.size() - 1)
    in.fail_at(start, "library entry",
               "has " + std::to_string(field + 1) +
                   " fields; name, identifier, major and minor version and "
                   "description are needed");
  return {fields[0], fields[1], fields[2], fields[3], fields[4]};
}

std::vector<LibraryEntry>
read_library_table(std::span<const std::uint8_t> bytes, std::uint32_t end) {
  ByteReader in(bytes.first(end), "image library table");
  in.seek(kHeaderSize, "library table");
  std::vector<LibraryEntry> libraries;
  for (;;) {
    std::size_t start = in.position();
    std::string text = in.read_cstring("library entry");
    if (text.empty())
      break;
    libraries.push_back(parse_library_entry(text, in, start));
  }
  if (!in.at_end())
    in.fail("library table end", "does not follow the closing empty entry (" +
                                     hex(in.remaining()) + " bytes remain)");
  return libraries;
}

SectionInfo read_section_header(std::span<const std::uint8_t> bytes,
                                std::uint32_t offset) {
  ByteReader in(bytes, "image section header at " + hex(offset));
  in.seek(offset, "section header");
  in.require(kSectionHeaderSize, "section header");
  SectionInfo section;
  section.header_offset = offset;
  std::uint32_t length = in.read_u32("header length");
  section.next_offset = in.read_u32("next section offset");
  section.flags = in.read_u32("flags");
  auto name = in.read_bytes(kSectionNameSize, "section name");
  auto terminator = std::ranges::find(name, std::uint8_t{0});
  if (terminator == name.end())
    in.fail_at(offset + 0x0C, "section name", "has no terminating zero");
  if (std::any_of(terminator, name.end(), [](std::uint8_t b) { return b; }))
    in.fail_at(offset + 0x0C, "section name", "is not zero-padded");
  section.name.assign(name.begin(), terminator);
  section.data_size = in.read_u32("data size");
  section.data_size_copy = in.read_u32("second data size");
  section.data_offset = in.read_u32("data offset");
  std::uint32_t count = in.read_u32("relocation count");
  in.expect_u32(0, "zero word at 0x34");
  if (count > in.remaining() / 4)
    in.fail_at(offset + 0x30, "relocation count",
               "is " + hex(count) + ", which runs past the image end");
  if (length != kSectionHeaderSize + 4 * count)
    in.fail_at(offset, "header length",
               "is " + hex(length) + " but " + std::to_string(count) +
                   " relocations make it " +
                   hex(kSectionHeaderSize + 4 * count));
  section.relocations.resize(count);
  for (auto &entry : section.relocations)
    entry = in.read_u32("relocation entry");

  if (section.data_offset == kNoData) {
    if (section.data_size != 0)
      in.fail_at(offset + 0x24, "data size",
                 "is " + hex(section.data_size) +
                     " for a section without data");
    return section;
  }
  if (section.data_offset > bytes.size())
    in.fail_at(offset + 0x2C, "data offset",
               "is " + hex(section.data_offset) + ", past the image end (" +
                   hex(bytes.size()) + ")");
  if (section.data_size > bytes.size() - section.data_offset)
    in.fail_at(offset + 0x24, "data size",
               "is " + hex(section.data_size) +
                   ", which runs past the image "
                   "end (" +
                   hex(bytes.size() - section.data_offset) +
                   " bytes remain after the data offset)");
  return section;
}

// The four tables; the counts are authoritative, and the last entry of the
// last table may lie in the four bytes behind the declared data size when the
// image provides them.
IdentifierTables read_identifier_tables(std::span<const std::uint8_t> bytes,
                                        const SectionInfo &section,
                                        std::uint32_t code_size) {
  IdentifierTables result;
  if (section.data_offset == kNoData)
    return result;
  std::size_t declared = section.data_size;
  std::size_t available =
      std::min<std::size_t>(declared + 4, bytes.size() - section.data_offset);
  ByteReader in(bytes.subspan(section.data_offset, available),
                "image section @reloc1", section.data_offset);
  for (std::size_t t = 0; t < result.tables.size(); ++t) {
    std::string field = "count of table " + std::to_string(t + 1);
    if (in.position() + 4 > declared)
      in.fail(field, "lies past the declared data size " + hex(declared));
    std::uint32_t count = in.read_u32(field);
    if (count > (available - in.position()) / 4)
      in.fail_at(in.position() - 4, field,
                 "is " + hex(count) + ", which runs past the section end");
    auto &table = result.tables[t];
    table.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      bool last = t + 1 == result.tables.size() && i + 1 == count;
      if (in.position() + 4 > declared && !last)
        in.fail("entry " + std::to_string(i) + " of table " +
                    std::to_string(t + 1),
                "lies past the declared data size " + hex(declared));
      std::uint32_t position = in.read_u32("table entry");
      if (code_size < 4 || position > code_size - 4)
        in.fail_at(in.position() - 4,
                   "entry " + std::to_string(i) + " of table " +
                       std::to_string(t + 1),
                   "is " + hex(position) +
                       ", not the position of a 32-bit operand in the code (" +
                       hex(code_size) + " bytes)");
      table[i] = position;
    }
  }
  result.stored_size =
      static_cast<std::uint32_t>(std::max(declared, in.position()));
  return result;
}

void check_section_list(const ImageInfo &info, ByteReader &header) {
  for (std::size_t i = 0; i < kListedSections.size(); ++i) {
    const SectionInfo *section = info.find(kListedSections[i]);
    std::uint32_t field =
        kSectionHeadersField + 4 * static_cast<std::uint32_t>(i);
    std::string name =
        "offset of section header " + std::string(kListedSections[i]);
    if (!section)
      header.fail_at(field, name, "names a section missing from the chain");
    if (section->header_offset != info.section_headers[i])
      header.fail_at(field, name,
                     "is " + hex(info.section_headers[i]) +
                         " but the chain holds it at " +
                         hex(section->header_offset));
  }
}

} // namespace

const SectionInfo *ImageInfo::find(std::string_view name) const {
  auto it = std::ranges::find(sections, name, &SectionInfo::name);
  return it == sections.end() ? nullptr : &*it;
}

ImageInfo read_image(std::span<const std::uint8_t> bytes) {
  ByteReader in(bytes, "image header");
  in.require(kHeaderSize, "header");
  auto magic = in.read_bytes(4, "magic");
  if (!std::ranges::equal(magic, kMagic))
    in.fail_at(0, "magic", "is not \"WJ\" and two zero bytes");
  in.expect_zeros(32, "zero bytes at 0x04");

  ImageInfo info;
  info.first_section = in.read_u32("first section offset");
  info.stored_28 = in.read_u32("stored word at 0x28");
  info.stored_2c = in.read_u32("stored word at 0x2C");
  in.expect_u32(0, "zero word at 0x30");
  info.stored_34 = in.read_u32("stored word at 0x34");
  in.expect_u32(0, "zero word at 0x38");
  info.entry_offset = in.read_u32("entry routine offset");
  for (auto &offset : info.section_headers)
    offset = in.read_u32("section header offset");
  info.library_table_end = in.read_u32("library table end");

  if (info.library_table_end < kHeaderSize ||
      info.library_table_end > bytes.size())
    in.fail_at(kLibraryTableEndField, "library table end",
               "is " + hex(info.library_table_end) +
                   ", outside the image (header end 0x58, size " +
                   hex(bytes.size()) + ")");
  if (info.first_section != info.library_table_end)
    in.fail_at(kFirstSectionField, "first section offset",
               "is " + hex(info.first_section) +
                   " but the library table ends at " +
                   hex(info.library_table_end));
  info.libraries = read_library_table(bytes, info.library_table_end);

  std::set<std::uint32_t> visited;
  std::set<std::string, std::less<>> names;
  for (std::uint32_t offset = info.first_section; offset != kEndOfChain;) {
    if (!visited.insert(offset).second)
      throw FormatError("image section chain: header at " + hex(offset) +
                        " is reached twice (the chain has a cycle)");
    if (visited.size() > kMaxSections)
      throw FormatError("image section chain: header at " + hex(offset) +
                        " would be section " + std::to_string(visited.size()) +
                        "; an image has at most " +
                        std::to_string(kMaxSections));
    SectionInfo section = read_section_header(bytes, offset);
    if (!names.insert(section.name).second)
      throw FormatError("image section header at " + hex(offset) +
                        ": section name \"" + section.name +
                        "\" appears twice in the chain");
    offset = section.next_offset;
    info.sections.push_back(std::move(section));
  }
  check_section_list(info, in);

  const SectionInfo *code = info.find(kCodeSection);
  if (code->data_offset == kNoData || info.entry_offset < code->data_offset ||
      info.entry_offset - code->data_offset >= code->data_size)
    in.fail_at(kEntryField, "entry routine offset",
               "is " + hex(info.entry_offset) +
                   ", outside the code section's data");
  if (const SectionInfo *tables = info.find(kIdentifierSection))
    info.identifier_tables =
        read_identifier_tables(bytes, *tables, code->data_size);
  return info;
}

std::span<const std::uint8_t> section_data(std::span<const std::uint8_t> bytes,
                                           const SectionInfo &section) {
  if (section.data_offset == kNoData)
    return {};
  if (section.data_offset > bytes.size() ||
      section.data_size > bytes.size() - section.data_offset)
    throw FormatError("image section " + section.name + ": data at " +
                      hex(section.data_offset) + " of " +
                      hex(section.data_size) + " bytes runs past the image");
  return bytes.subspan(section.data_offset, section.data_size);
}

CodeDirectory read_code_directory(std::span<const std::uint8_t> code_data) {
  ByteReader in(code_data, "code directory");
  auto magic = in.read_bytes(4, "magic");
  if (!std::equal(magic.begin(), magic.end(), QX_CODE_MAGIC))
    in.fail_at(0, "magic", "is not \"" QX_CODE_MAGIC "\"");
  in.expect_u32(QX_CODE_VERSION, "version");
  std::uint32_t count = in.read_u32("routine count");
  CodeDirectory directory;
  directory.link_offset = in.read_u32("link block offset");
  std::uint32_t names_offset = in.read_u32("names offset");
  std::uint32_t names_size = in.read_u32("names size");

  constexpr std::size_t kEntrySize = sizeof(QxRoutineEntry);
  if (count > in.remaining() / kEntrySize)
    in.fail_at(8, "routine count",
               "is " + hex(count) + ", too many for the " +
                   hex(in.remaining()) + " bytes that follow");
  std::size_t entries_end = in.position() + count * kEntrySize;
  if (directory.link_offset < entries_end ||
      directory.link_offset > code_data.size() ||
      sizeof(QxLinkBlock) > code_data.size() - directory.link_offset)
    in.fail_at(0x0C, "link block offset",
               "is " + hex(directory.link_offset) +
                   "; the block must follow the entries (which end at " +
                   hex(entries_end) + ") and fit in the " +
                   hex(code_data.size()) + " bytes");
  std::size_t link_end = directory.link_offset + sizeof(QxLinkBlock);
  if (names_offset < link_end || names_offset > code_data.size() ||
      names_size > code_data.size() - names_offset)
    in.fail_at(0x10, "names",
               "at " + hex(names_offset) + " of " + hex(names_size) +
                   " bytes must follow the link block (which ends at " +
                   hex(link_end) + ") and fit in the " + hex(code_data.size()) +
                   " bytes");
  auto names = code_data.subspan(names_offset, names_size);

  std::set<std::string> seen_names;
  std::set<std::uint32_t> seen_kinds;
  for (std::uint32_t i = 0; i < count; ++i) {
    DirectoryRoutine routine;
    routine.code_offset = static_cast<std::uint32_t>(in.position());
    std::string field = "routine " + std::to_string(i);
    routine.kind = in.read_u32(field + " kind");
    std::uint32_t name_offset = in.read_u32(field + " name offset");
    routine.arg_words = in.read_u32(field + " argument words");
    in.expect_u32(0, field + " reserved word");
    if (routine.kind < QX_ROUTINE_BINDER || routine.kind > QX_ROUTINE_HANDLER)
      in.fail_at(routine.code_offset, field + " kind",
                 "is " + hex(routine.kind) + ", not a routine kind");
    if (routine.kind != QX_ROUTINE_HANDLER &&
        !seen_kinds.insert(routine.kind).second)
      in.fail_at(routine.code_offset, field + " kind",
                 "is " + hex(routine.kind) + ", which only one routine may be");
    if (routine.arg_words != 0 && routine.arg_words != 3)
      in.fail_at(routine.code_offset + 8, field + " argument words",
                 "is " + hex(routine.arg_words) + "; routines take 0 or 3");
    if (name_offset >= names.size())
      in.fail_at(routine.code_offset + 4, field + " name offset",
                 "is " + hex(name_offset) + ", outside the " +
                     hex(names.size()) + " bytes of names");
    auto rest = names.subspan(name_offset);
    auto terminator = std::ranges::find(rest, std::uint8_t{0});
    if (terminator == rest.end())
      in.fail_at(routine.code_offset + 4, field + " name",
                 "has no terminating zero inside the names");
    routine.name.assign(rest.begin(), terminator);
    if (routine.name.empty())
      in.fail_at(routine.code_offset + 4, field + " name", "is empty");
    if (!seen_names.insert(routine.name).second)
      in.fail_at(routine.code_offset + 4, field + " name",
                 "\"" + routine.name + "\" appears twice");
    directory.routines.push_back(std::move(routine));
  }
  return directory;
}

const DirectoryRoutine *find_routine(const CodeDirectory &directory,
                                     std::uint32_t code_offset) {
  auto it = std::ranges::find(directory.routines, code_offset,
                              &DirectoryRoutine::code_offset);
  return it == directory.routines.end() ? nullptr : &*it;
}

QxLinkBlock read_link_block(std::span<const std::uint8_t> code_data,
                            const CodeDirectory &directory) {
  if (directory.link_offset > code_data.size() ||
      sizeof(QxLinkBlock) > code_data.size() - directory.link_offset)
    throw FormatError("code directory: link block at " +
                      hex(directory.link_offset) + " runs past the " +
                      hex(code_data.size()) + " bytes of code data");
  QxLinkBlock link;
  std::memcpy(&link, code_data.data() + directory.link_offset, sizeof link);
  return link;
}

void apply_code_relocations(std::span<std::uint8_t> code_data,
                            std::span<const std::uint32_t> entries,
                            const RelocationBases &bases) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    std::uint32_t kind = entries[i] % 8;
    std::uint32_t position = entries[i] / 8;
    if (kind != QX_RELOC_SERVICE_TABLE && kind != QX_RELOC_CONST &&
        kind != QX_RELOC_CODE)
      throw FormatError("code relocation " + std::to_string(i) + " (" +
                        hex(entries[i]) + "): kind " + std::to_string(kind) +
                        " is not one this build applies");
    if (code_data.size() < 8 || position > code_data.size() - 8)
      throw FormatError("code relocation " + std::to_string(i) + " (" +
                        hex(entries[i]) + "): operand at " + hex(position) +
                        " runs past the " + hex(code_data.size()) +
                        " bytes of code data");
  }
  for (std::uint32_t entry : entries) {
    std::uint32_t position = entry / 8;
    std::uint64_t base = 0;
    switch (entry % 8) {
    case QX_RELOC_SERVICE_TABLE:
      base = bases.service_table;
      break;
    case QX_RELOC_CONST:
      base = bases.const_data;
      break;
    default:
      base = bases.code_data;
      break;
    }
    store_u64(code_data, position, load_u64(code_data, position) + base);
  }
}

namespace {

void check_library_names(const ImageInfo &info) {
  for (const LibraryEntry &library : info.libraries) {
    const std::string &name = library.name;
    if (name.empty() || name == "." || name == ".." ||
        name.find_first_of("/\\:") != std::string::npos)
      throw FormatError("image library table: library name \"" + name +
                        "\" is not a plain file name");
  }
}

const DirectoryRoutine &only_routine_of_kind(const CodeDirectory &directory,
                                             QxRoutineKind kind) {
  const auto found =
      std::ranges::find(directory.routines, kind, &DirectoryRoutine::kind);
  if (found == directory.routines.end())
    throw FormatError("code directory: no routine of kind " +
                      std::to_string(kind) + "; the program needs one");
  return *found;
}

void check_link_block(const CodeDirectory &directory, const QxLinkBlock &link,
                      std::uint32_t registered, std::uint32_t const_size) {
  const std::string where =
      "code directory: link block at " + hex(directory.link_offset) + ": ";
  if (link.service_table != 0 || link.const_data != 0)
    throw FormatError(where +
                      "the service table and const data operands "
                      "are " +
                      hex(link.service_table) + " and " + hex(link.const_data) +
                      "; both must be 0");
  if (link.registered_routine != registered)
    throw FormatError(where + "the registered routine operand is " +
                      hex(link.registered_routine) +
                      " but that routine's entry lies at " + hex(registered));
  if (link.const_size != const_size)
    throw FormatError(where + "const size is " + hex(link.const_size) +
                      " but the const section holds " + hex(const_size) +
                      " bytes");
  if (link.reserved != 0)
    throw FormatError(where + "reserved word is " + hex(link.reserved) +
                      ", not 0");
}

void check_code_relocations(const SectionInfo &code,
                            const CodeDirectory &directory) {
  const std::uint32_t link = directory.link_offset;
  const std::array<std::uint32_t, 3> expected = {
      relocation_entry(link + offsetof(QxLinkBlock, service_table),
                       QX_RELOC_SERVICE_TABLE),
      relocation_entry(link + offsetof(QxLinkBlock, const_data),
                       QX_RELOC_CONST),
      relocation_entry(link + offsetof(QxLinkBlock, registered_routine),
                       QX_RELOC_CODE)};
  if (!std::ranges::equal(code.relocations, expected))
    throw FormatError(
        "image section header at " + hex(code.header_offset) +
        ": the code relocations are not the three that fill the link "
        "block at " +
        hex(link) + " (" + std::to_string(code.relocations.size()) +
        " entries)");
}

} // namespace

CodeDirectory check_program_code(std::span<const std::uint8_t> bytes,
                                 const ImageInfo &info) {
  check_library_names(info);
  const SectionInfo *code = info.find(kCodeSection);
  const SectionInfo *constants = info.find(kConstSection);
  if (!code || !constants)
    throw FormatError("image: the code or const section is missing");
  const std::span<const std::uint8_t> code_data = section_data(bytes, *code);
  CodeDirectory directory = read_code_directory(code_data);

  for (QxRoutineKind kind : {QX_ROUTINE_BINDER, QX_ROUTINE_INIT,
                             QX_ROUTINE_REGISTERED, QX_ROUTINE_SUBROUTINE})
    only_routine_of_kind(directory, kind);
  const DirectoryRoutine &entry =
      only_routine_of_kind(directory, QX_ROUTINE_ENTRY);
  if (info.entry_offset < code->data_offset ||
      info.entry_offset - code->data_offset != entry.code_offset)
    throw FormatError(
        "image header at " + hex(kEntryField) + ": entry routine offset is " +
        hex(info.entry_offset) + " but the entry routine " + entry.name +
        " lies at " +
        hex(std::uint64_t{code->data_offset} + entry.code_offset));

  check_code_relocations(*code, directory);
  check_link_block(
      directory, read_link_block(code_data, directory),
      only_routine_of_kind(directory, QX_ROUTINE_REGISTERED).code_offset,
      constants->data_offset == kNoData ? 0 : constants->data_size);
  return directory;
}

void check_handler(const CodeDirectory &directory, std::uint32_t code_offset,
                   std::string_view owner) {
  const DirectoryRoutine *routine = find_routine(directory, code_offset);
  if (!routine)
    throw FormatError(std::string(owner) + " is bound to code offset " +
                      hex(code_offset) +
                      ", where no routine of the directory starts");
  if (routine->kind != QX_ROUTINE_HANDLER)
    throw FormatError(std::string(owner) + " is bound to " + routine->name +
                      ", which is not an event handler");
}

std::uint32_t image_extent(const ImageInfo &info) {
  std::uint64_t extent =
      std::max<std::uint64_t>(layout::kHeaderSize, info.library_table_end);
  for (const SectionInfo &section : info.sections) {
    extent = std::max<std::uint64_t>(
        extent, std::uint64_t{section.header_offset} + kSectionHeaderSize +
                    4 * section.relocations.size());
    if (section.data_offset == kNoData)
      continue;
    std::uint64_t size = section.data_size;
    if (section.name == kIdentifierSection)
      size = std::max<std::uint64_t>(size, info.identifier_tables.stored_size);
    extent = std::max<std::uint64_t>(extent, section.data_offset + size);
  }
  return static_cast<std::uint32_t>(extent);
}

} // namespace qx::image
