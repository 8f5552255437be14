// Tests of the image reader and writer: header, library table, section
// chain, @reloc1 tables and code relocations.
#include "base/byte_reader.h"
#include "image/image_format.h"
#include "image/image_reader.h"
#include "image/image_writer.h"
#include "program/image_builder.h"
#include "tests/image/format_test_support.h"
#include "tests/image/test_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace qx::image {
namespace {

using namespace layout;
using qx::test::error_of;
using qx::test::put_u32;

TEST(ImageReader, HeaderAndLibraries) {
  auto image = test::small_image().bytes;
  ASSERT_GE(image.size(), kHeaderSize);
  EXPECT_EQ(std::memcmp(image.data(), "WJ\0\0", 4), 0);
  EXPECT_TRUE(std::all_of(&image[4], &image[0x24],
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(load_u32(image, 0x24), 0xD4u);
  EXPECT_EQ(load_u32(image, 0x28), 1u);
  EXPECT_EQ(load_u32(image, 0x2C), 3u);
  EXPECT_EQ(load_u32(image, 0x30), 0u);
  EXPECT_EQ(load_u32(image, 0x34), 0x0001093Eu);
  EXPECT_EQ(load_u32(image, 0x38), 0u);
  EXPECT_EQ(load_u32(image, 0x54), 0xD4u);

  ImageInfo info = read_image(image);
  ASSERT_EQ(info.libraries.size(), 2u);
  EXPECT_EQ(info.libraries[0].name, "basert");
  EXPECT_EQ(info.libraries[0].identifier, "7c1e5a90b24f4d8e9a3306f1c2d48b57");
  EXPECT_EQ(info.libraries[0].major, "5");
  EXPECT_EQ(info.libraries[0].minor, "0");
  // 系统核心支持库 in GBK.
  EXPECT_EQ(info.libraries[0].description,
            "\xCF\xB5\xCD\xB3\xBA\xCB\xD0\xC4\xD6\xA7\xB3\xD6\xBF\xE2");
  EXPECT_EQ(info.libraries[1].name, "WebPane");
  EXPECT_EQ(info.libraries[1].identifier, "A6F04C2E91B7453DB8E01C7D59F3A264");
  EXPECT_EQ(info.libraries[1].major, "2");
  // The table's text, byte for byte, closed by the empty entry.
  const char first[] = "basert\r7c1e5a90b24f4d8e9a3306f1c2d48b57\r5\r0\r";
  EXPECT_EQ(std::memcmp(&image[0x58], first, sizeof first - 1), 0);
  EXPECT_EQ(image[0xD3], 0);
  EXPECT_EQ(image[0xD2], 0);
}

TEST(ImageReader, SectionChainInOrderWithFlagsAndData) {
  auto image = test::small_image().bytes;
  ImageInfo info = read_image(image);
  struct Row {
    const char *name;
    std::uint32_t flags;
  };
  const Row rows[] = {{"const", 1}, {"form", 1},   {"help", 1},
                      {"code", 5},  {"var", 0x13}, {"@reloc1", 1}};
  ASSERT_EQ(info.sections.size(), std::size(rows));
  std::uint32_t expected_header = 0xD4;
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    const SectionInfo &s = info.sections[i];
    EXPECT_EQ(s.name, rows[i].name);
    EXPECT_EQ(s.flags, rows[i].flags) << s.name;
    EXPECT_EQ(s.header_offset, expected_header) << s.name;
    EXPECT_EQ(s.data_size, s.data_size_copy) << s.name;
    if (s.data_offset != kNoData) {
      EXPECT_EQ(s.data_offset,
                s.header_offset + 0x38 + 4 * s.relocations.size())
          << s.name << ": data follows its header";
    }
    std::uint32_t header_end =
        s.header_offset + 0x38 +
        4 * static_cast<std::uint32_t>(s.relocations.size());
    expected_header = header_end + s.data_size;
    EXPECT_EQ(s.next_offset,
              i + 1 < std::size(rows) ? expected_header : kEndOfChain);
  }
  for (std::size_t i = 0; i < 5; ++i)
    EXPECT_EQ(info.section_headers[i], info.sections[i].header_offset);

  const SectionInfo &var = *info.find("var");
  EXPECT_EQ(var.data_offset, kNoData);
  EXPECT_EQ(var.data_size, 0u);
  EXPECT_TRUE(section_data(image, var).empty());
  auto help = section_data(image, *info.find("help"));
  EXPECT_EQ(help.size(), 0x34u);
  EXPECT_TRUE(std::all_of(help.begin(), help.end(),
                          [](std::uint8_t b) { return b == 0; }));
  EXPECT_EQ(info.find("const")->data_offset, 0x10Cu);
  EXPECT_EQ(info.find("nothing"), nullptr);
  EXPECT_EQ(image_extent(info), image.size());
  for (const auto &table : info.identifier_tables.tables)
    EXPECT_TRUE(table.empty());
}

TEST(ImageReader, EntryOffsetCountsFromTheImageAndHandlersFromTheCode) {
  auto built = test::small_image();
  ImageInfo info = read_image(built.bytes);
  const SectionInfo &code = *info.find("code");
  CodeDirectory directory =
      read_code_directory(section_data(built.bytes, code));
  const DirectoryRoutine *entry =
      find_routine(directory, info.entry_offset - code.data_offset);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name, "qx_program_entry");
  EXPECT_EQ(entry->kind, QX_ROUTINE_ENTRY);
}

TEST(ImageReader, RelocationFillsTheLinkBlockAndConstOffsetZeroIsEmpty) {
  auto built = test::small_image();
  // An 8-byte aligned copy, as the executable holds it.
  std::vector<std::uint64_t> storage(built.bytes.size() / 8 + 1);
  std::span<std::uint8_t> image(
      reinterpret_cast<std::uint8_t *>(storage.data()), built.bytes.size());
  std::copy(built.bytes.begin(), built.bytes.end(), image.begin());
  ImageInfo info = read_image(image);
  const SectionInfo &code = *info.find("code");
  const SectionInfo &konst = *info.find("const");
  auto code_data = image.subspan(code.data_offset, code.data_size);
  RelocationBases bases;
  bases.service_table = 0x7000'0000'1000;
  bases.const_data =
      reinterpret_cast<std::uintptr_t>(&image[konst.data_offset]);
  bases.code_data = reinterpret_cast<std::uintptr_t>(code_data.data());
  apply_code_relocations(code_data, code.relocations, bases);

  CodeDirectory directory = read_code_directory(code_data);
  auto *link = reinterpret_cast<const QxLinkBlock *>(code_data.data() +
                                                     directory.link_offset);
  ASSERT_EQ(reinterpret_cast<std::uintptr_t>(link) % 8, 0u);
  EXPECT_EQ(link->service_table, bases.service_table);
  EXPECT_EQ(link->const_data, bases.const_data);
  EXPECT_EQ(link->registered_routine, bases.code_data + 0x48);
  EXPECT_EQ(find_routine(directory, 0x48)->name, "qx_program_registered");
  EXPECT_EQ(link->const_size, konst.data_size);
  const char *empty = reinterpret_cast<const char *>(link->const_data);
  EXPECT_STREQ(empty, "");
}

TEST(ApplyCodeRelocations, OperandMayEndAtTheEndButNotBeyond) {
  std::vector<std::uint8_t> data(16, 0);
  RelocationBases bases{1, 2, 3};
  apply_code_relocations(data, std::vector<std::uint32_t>{8 * 8 + 1}, bases);
  EXPECT_EQ(load_u64(data, 8), 2u);
  std::vector<std::uint8_t> before = data;
  EXPECT_THROW(
      apply_code_relocations(
          data, std::vector<std::uint32_t>{0 * 8 + 3, 9 * 8 + 0}, bases),
      FormatError);
  EXPECT_EQ(data, before) << "a bad table patches nothing";
  EXPECT_THROW(
      apply_code_relocations(data, std::vector<std::uint32_t>{2}, bases),
      FormatError)
      << "kind 2";
  EXPECT_EQ(data, before);
}

TEST(ImageReader, EveryTruncationIsRejected) {
  auto image = test::small_image().bytes;
  for (std::size_t size = 0; size < image.size(); ++size)
    EXPECT_THROW(read_image(std::span(image).first(size)), FormatError)
        << "prefix of " << size << " bytes";
  std::vector<std::uint8_t> padded = image;
  padded.resize(image.size() + 0x1000);
  EXPECT_NO_THROW(read_image(padded)) << "zero padding behind the image";
}

TEST(ImageReader, ChainWithACycleIsRejected) {
  auto image = test::small_image().bytes;
  ImageInfo info = read_image(image);
  put_u32(image, info.sections.back().header_offset + 4, 0xD4);
  EXPECT_NE(error_of([&] { read_image(image); }).find("cycle"),
            std::string::npos);
}

struct Corruption {
  const char *what;
  std::function<void(std::vector<std::uint8_t> &, const ImageInfo &)> apply;
  const char *message;
};

class ImageReaderRejects : public ::testing::TestWithParam<Corruption> {};

TEST_P(ImageReaderRejects, NamesTheField) {
  auto image = test::small_image().bytes;
  ImageInfo info = read_image(image);
  GetParam().apply(image, info);
  std::string error = error_of([&] { read_image(image); });
  EXPECT_NE(error.find(GetParam().message), std::string::npos)
      << GetParam().what << ": " << error;
}

std::uint32_t header_of(const ImageInfo &info, const char *name) {
  return info.find(name)->header_offset;
}

INSTANTIATE_TEST_SUITE_P(
    Corruptions, ImageReaderRejects,
    ::testing::Values(
        Corruption{"magic", [](auto &b, auto &) { b[1] = 'K'; }, "magic"},
        Corruption{"library table end outside",
                   [](auto &b, auto &) { put_u32(b, 0x54, 0x7FFFFFFF); },
                   "library table end"},
        Corruption{"library entry with four fields",
                   [](auto &b, auto &) { b[0x58 + 6] = 'x'; }, "fields"},
        Corruption{"section header past the end",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "help") + 4, 0xFFFFFF00);
                   },
                   "section header"},
        Corruption{"header length not matching relocations",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "code"), 0x38);
                   },
                   "header length"},
        Corruption{"relocation count past the end",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "code") + 0x30, 0x40000000);
                   },
                   "relocation count"},
        Corruption{"data size past the end",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "form") + 0x24, 0x7FFFFFF0);
                   },
                   "data size"},
        Corruption{"data offset past the end",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "form") + 0x2C, 0x7FFFFFF0);
                   },
                   "data offset"},
        Corruption{"no data but a size",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, header_of(i, "var") + 0x24, 4);
                   },
                   "without data"},
        Corruption{"unterminated name",
                   [](auto &b, const ImageInfo &i) {
                     std::fill_n(&b[header_of(i, "help") + 0x0C], 24, 'h');
                   },
                   "section name"},
        Corruption{"duplicate section",
                   [](auto &b, const ImageInfo &i) {
                     std::memcpy(&b[header_of(i, "help") + 0x0C], "form", 5);
                   },
                   "appears twice"},
        Corruption{"header list disagreeing with the chain",
                   [](auto &b, auto &) { put_u32(b, 0x48, 0xD4); },
                   "section header help"},
        Corruption{"entry outside the code",
                   [](auto &b, const ImageInfo &i) {
                     put_u32(b, 0x3C, i.find("code")->data_offset - 1);
                   },
                   "entry routine offset"}));

// An image whose @reloc1 tables hold entries, written by hand.
std::vector<std::uint8_t> image_with_tables(const IdentifierTables &tables,
                                            std::uint32_t shrink_declared) {
  std::vector<RoutineDecl> routines = {{QX_ROUTINE_BINDER, "b"},
                                       {QX_ROUTINE_ENTRY, "e"},
                                       {QX_ROUTINE_INIT, "i"},
                                       {QX_ROUTINE_REGISTERED, "r"},
                                       {QX_ROUTINE_SUBROUTINE, "s"}};
  CodeSection code = write_code_section(routines, 1, 0);
  ImagePlan plan;
  plan.libraries = program_libraries();
  plan.sections = {{"const", 1, std::vector<std::uint8_t>{0}, {}},
                   {"form", 1, std::vector<std::uint8_t>{}, {}},
                   {"help", 1, std::vector<std::uint8_t>(0x34), {}},
                   {"code", 5, code.data, code.relocations},
                   {"var", 0x13, std::nullopt, {}},
                   {"@reloc1", 1, write_identifier_tables(tables), {}}};
  plan.entry_code_offset = 0x28;
  auto image = write_image(plan);
  ImageInfo info = read_image(image);
  const SectionInfo &last = info.sections.back();
  put_u32(image, last.header_offset + 0x24, last.data_size - shrink_declared);
  put_u32(image, last.header_offset + 0x28, last.data_size - shrink_declared);
  return image;
}

TEST(IdentifierTables, LastEntryMayLieBehindTheDeclaredSize) {
  IdentifierTables tables;
  tables.tables = {{{0x10, 0x18}, {}, {}, {0x20, 0x24}}};
  auto exact = image_with_tables(tables, 0);
  EXPECT_EQ(read_image(exact).identifier_tables.tables, tables.tables);

  auto classic = image_with_tables(tables, 4);
  ImageInfo info = read_image(classic);
  EXPECT_EQ(info.identifier_tables.tables, tables.tables);
  EXPECT_EQ(info.identifier_tables.stored_size,
            info.sections.back().data_size + 4);
  EXPECT_EQ(image_extent(info), classic.size());

  // Only when the image provides those four bytes.
  EXPECT_THROW(read_image(std::span(classic).first(classic.size() - 1)),
               FormatError);
  // And only the last entry: eight bytes short leaves one entry and a
  // count... here the last two entries outside.
  EXPECT_THROW(read_image(image_with_tables(tables, 8)), FormatError);
}

TEST(IdentifierTables, OnlyTheLastTablesEntryMayOverrun) {
  IdentifierTables tables;
  tables.tables = {{{0x10}, {}, {}, {}}};
  // Table 4's count would lie behind the declared size.
  EXPECT_NE(error_of([&] {
              read_image(image_with_tables(tables, 4));
            }).find("count of table 4"),
            std::string::npos);
}

TEST(IdentifierTables, EntriesMustPointIntoTheCode) {
  IdentifierTables tables;
  tables.tables = {{{0x7FFFFFFF}, {}, {}, {}}};
  EXPECT_NE(error_of([&] {
              read_image(image_with_tables(tables, 0));
            }).find("32-bit operand"),
            std::string::npos);
}

} // namespace
// A minimal program image planned by hand: the listed sections, then
// `extra` more, and the given libraries.
std::vector<std::uint8_t> planned_image(std::vector<LibraryEntry> libraries,
                                        std::size_t extra) {
  std::vector<RoutineDecl> routines = {{QX_ROUTINE_BINDER, "b"},
                                       {QX_ROUTINE_ENTRY, "e"},
                                       {QX_ROUTINE_INIT, "i"},
                                       {QX_ROUTINE_REGISTERED, "r"},
                                       {QX_ROUTINE_SUBROUTINE, "s"}};
  ImagePlan plan;
  plan.libraries = std::move(libraries);
  plan.sections = {{"const", 1, std::vector<std::uint8_t>{0}, {}},
                   {"form", 1, std::vector<std::uint8_t>{}, {}},
                   {"help", 1, std::vector<std::uint8_t>(0x34), {}},
                   {"code", 5, std::vector<std::uint8_t>{}, {}},
                   {"var", 0x13, std::nullopt, {}}};
  for (std::size_t i = 0; i < extra; ++i)
    plan.sections.push_back({"x" + std::to_string(i), 1, std::nullopt, {}});
  const std::uint32_t code_at = section_data_offset(plan, 3);
  CodeSection code = write_code_section(routines, 1, code_at);
  plan.sections[3].data = code.data;
  plan.sections[3].relocations = code.relocations;
  plan.entry_code_offset = 0x28;
  return write_image(plan);
}

// The chain may be as long as the runtime allows, and no longer.
TEST(ImageReader, SectionChainUpToTheCap) {
  const struct {
    std::size_t sections;
    bool read;
  } cases[] = {{5, true}, {256, true}, {257, false}, {1000, false}};
  for (const auto &c : cases) {
    const auto image = planned_image(program_libraries(), c.sections - 5);
    const std::string error = error_of([&] { read_image(image); });
    EXPECT_EQ(error == "(no error)", c.read) << c.sections << ": " << error;
    if (!c.read) {
      EXPECT_NE(error.find("at most 256"), std::string::npos) << error;
    }
  }
}

// Support libraries are loaded by name from the runtime's directory: a name
// that could lead anywhere else is refused before anything is loaded.
TEST(CheckProgramCode, LibraryNamesArePlainFileNames) {
  const struct {
    const char *name;
    bool accepted;
  } cases[] = {
      {"WebPane", true},    {"web.pane", true},    {"..", false},
      {".", false},         {"../WebPane", false}, {"sub/Pane", false},
      {"sub\\Pane", false}, {"C:Pane", false},
  };
  for (const auto &c : cases) {
    std::vector<LibraryEntry> libraries = program_libraries();
    libraries.back().name = c.name;
    const auto image = planned_image(libraries, 0);
    const std::string error =
        error_of([&] { check_program_code(image, read_image(image)); });
    EXPECT_EQ(error == "(no error)", c.accepted) << c.name << ": " << error;
    if (!c.accepted) {
      EXPECT_NE(error.find("plain file name"), std::string::npos) << error;
    }
  }
}

} // namespace qx::image
