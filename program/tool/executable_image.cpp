// Finds the program image inside a file: an image itself, or an executable
// that carries one.
#include "program/tool/executable_image.h"

#include "base/byte_reader.h"
#include "image/image_format.h"
#include "image/image_reader.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qx::image::tool {
namespace {

constexpr std::uint32_t kSymbolTable = 2; // SHT_SYMTAB
constexpr std::uint32_t kNoBits = 8;      // SHT_NOBITS
constexpr std::size_t kSectionHeaderSize = 64;
constexpr std::size_t kSymbolSize = 24;

struct ElfSection {
  std::uint32_t type = 0;
  std::uint64_t address = 0;
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  std::uint32_t link = 0;
};

bool is_elf64_le(std::span<const std::uint8_t> file) {
  return file.size() >= 64 && file[0] == 0x7F && file[1] == 'E' &&
         file[2] == 'L' && file[3] == 'F' && file[4] == 2 && file[5] == 1;
}

std::vector<ElfSection> read_sections(std::span<const std::uint8_t> file) {
  ByteReader in(file, "ELF header");
  in.seek(0x28, "section header table offset");
  std::uint64_t table = in.read_u64("section header table offset");
  in.seek(0x3A, "section header size");
  std::uint16_t entry_size = in.read_u16("section header size");
  std::uint16_t count = in.read_u16("section count");
  if (entry_size != kSectionHeaderSize)
    in.fail_at(0x3A, "section header size",
               "is " + std::to_string(entry_size) + ", not 64");
  if (table > file.size() || count > (file.size() - table) / entry_size)
    in.fail_at(0x28, "section header table",
               "at " + hex(table) + " with " + std::to_string(count) +
                   " entries runs past the file end");
  std::vector<ElfSection> sections(count);
  for (std::size_t i = 0; i < count; ++i) {
    in.seek(table + i * entry_size + 4, "section header");
    ElfSection &section = sections[i];
    section.type = in.read_u32("section type");
    in.read_u64("section flags");
    section.address = in.read_u64("section address");
    section.offset = in.read_u64("section offset");
    section.size = in.read_u64("section size");
    section.link = in.read_u32("section link");
    if (section.type != kNoBits &&
        (section.offset > file.size() ||
         section.size > file.size() - section.offset))
      in.fail_at(table + i * entry_size, "section " + std::to_string(i),
                 "runs past the file end");
  }
  return sections;
}

// Whether the zero-terminated text at the start of `strings` is `name`;
// looks at no more than name.size() + 1 bytes.
bool names_match(std::span<const std::uint8_t> strings, std::string_view name) {
  return strings.size() > name.size() && strings[name.size()] == 0 &&
         std::equal(name.begin(), name.end(), strings.begin(),
                    [](char a, std::uint8_t b) {
                      return static_cast<std::uint8_t>(a) == b;
                    });
}

// Where a symbol of the image's pair was found: its value and section.
struct SymbolPlace {
  std::uint64_t value = 0;
  std::uint16_t section = 0;
};

// The file bytes of a symbol at `place`, `size` of them.
std::span<const std::uint8_t>
symbol_bytes(std::span<const std::uint8_t> file,
             const std::vector<ElfSection> &sections, std::string_view name,
             const SymbolPlace &place, std::uint64_t size) {
  const ElfSection &home = sections[place.section];
  if (home.type == kNoBits || place.value < home.address ||
      place.value - home.address > home.size ||
      size > home.size - (place.value - home.address))
    throw FormatError("ELF symbol " + std::string(name) + " at " +
                      hex(place.value) +
                      " does not lie in its section's bytes");
  return file.subspan(home.offset + (place.value - home.address), size);
}

// The symbols qx_program_image_size and qx_program_image: the first table
// that holds both, each table read once.
std::optional<std::pair<SymbolPlace, SymbolPlace>>
find_image_symbols(std::span<const std::uint8_t> file,
                   const std::vector<ElfSection> &sections) {
  constexpr std::string_view kSizeName = "qx_program_image_size";
  constexpr std::string_view kImageName = "qx_program_image";
  for (const ElfSection &symtab : sections) {
    if (symtab.type != kSymbolTable || symtab.link >= sections.size() ||
        sections[symtab.link].type == kNoBits)
      continue;
    const ElfSection &strtab = sections[symtab.link];
    auto strings = file.subspan(strtab.offset, strtab.size);
    ByteReader in(file.subspan(symtab.offset, symtab.size), "ELF symbol table",
                  symtab.offset);
    std::optional<SymbolPlace> size_place;
    std::optional<SymbolPlace> image_place;
    for (std::size_t i = 0; i + kSymbolSize <= symtab.size; i += kSymbolSize) {
      in.seek(i, "symbol");
      std::uint32_t name_offset = in.read_u32("symbol name");
      in.read_u16("symbol info");
      std::uint16_t index = in.read_u16("symbol section");
      std::uint64_t value = in.read_u64("symbol value");
      if (name_offset >= strings.size() || index == 0 ||
          index >= sections.size())
        continue;
      auto name = strings.subspan(name_offset);
      if (!size_place && names_match(name, kSizeName))
        size_place = SymbolPlace{value, index};
      else if (!image_place && names_match(name, kImageName))
        image_place = SymbolPlace{value, index};
      if (size_place && image_place)
        return std::pair{*size_place, *image_place};
    }
  }
  return std::nullopt;
}

std::optional<std::span<const std::uint8_t>>
find_by_symbols(std::span<const std::uint8_t> file) {
  if (!is_elf64_le(file))
    return std::nullopt;
  std::vector<ElfSection> sections = read_sections(file);
  const auto places = find_image_symbols(file, sections);
  if (!places)
    return std::nullopt;
  std::uint32_t size = load_u32(
      symbol_bytes(file, sections, "qx_program_image_size", places->first, 4),
      0);
  return symbol_bytes(file, sections, "qx_program_image", places->second, size);
}

std::optional<std::span<const std::uint8_t>>
find_by_magic(std::span<const std::uint8_t> file) {
  auto it = file.begin();
  for (;;) {
    it = std::search(it, file.end(), layout::kMagic.begin(),
                     layout::kMagic.end());
    if (it == file.end())
      return std::nullopt;
    auto candidate = file.subspan(static_cast<std::size_t>(it - file.begin()));
    try {
      ImageInfo info = read_image(candidate);
      return candidate.first(
          std::min<std::size_t>(image_extent(info), candidate.size()));
    } catch (const FormatError &) {
      ++it;
    }
  }
}

} // namespace

std::span<const std::uint8_t> find_image(std::span<const std::uint8_t> file) {
  if (file.size() >= 4 && std::ranges::equal(file.first(4), layout::kMagic))
    return file;
  if (auto image = find_by_symbols(file))
    return *image;
  if (auto image = find_by_magic(file))
    return *image;
  throw FormatError("no program image found: neither the symbols "
                    "qx_program_image and qx_program_image_size nor a "
                    "\"WJ\" header that reads as an image");
}

} // namespace qx::image::tool
