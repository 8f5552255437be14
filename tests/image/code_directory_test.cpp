// Tests of the code section's routine directory: writer, reader and the
// link block's relocations.
#include "base/byte_reader.h"
#include "image/code_directory.h"
#include "image/image_reader.h"
#include "tests/image/format_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace qx::image {
namespace {

using qx::test::put_u32;

std::vector<RoutineDecl> startup_routines() {
  return {
      {QX_ROUTINE_BINDER, "bind"},       {QX_ROUTINE_ENTRY, "entry"},
      {QX_ROUTINE_INIT, "init"},         {QX_ROUTINE_REGISTERED, "registered"},
      {QX_ROUTINE_SUBROUTINE, "sub"},    {QX_ROUTINE_HANDLER, "OnClick", 3},
      {QX_ROUTINE_HANDLER, "OnSolve", 0}};
}

TEST(RoutineTable, HandsOutEntryOffsetsInOrderAndOncePerName) {
  RoutineTable table;
  EXPECT_EQ(table.add(QX_ROUTINE_BINDER, "bind"), 0x18u);
  EXPECT_EQ(table.add(QX_ROUTINE_HANDLER, "OnA"), 0x28u);
  EXPECT_EQ(table.add(QX_ROUTINE_HANDLER, "OnB", 3), 0x38u);
  EXPECT_EQ(table.add(QX_ROUTINE_HANDLER, "OnA"), 0x28u);
  EXPECT_EQ(table.routines().size(), 3u);
  EXPECT_THROW(table.add(QX_ROUTINE_HANDLER, "OnB", 0), FormatError);
  EXPECT_THROW(table.add(QX_ROUTINE_HANDLER, "bind"), FormatError);
  EXPECT_THROW(table.add(QX_ROUTINE_HANDLER, ""), FormatError);
}

TEST(CodeDirectory, ReadsBackAsWritten) {
  auto routines = startup_routines();
  CodeSection code = write_code_section(routines, 0x23C, 0);
  CodeDirectory directory = read_code_directory(code.data);
  ASSERT_EQ(directory.routines.size(), routines.size());
  for (std::size_t i = 0; i < routines.size(); ++i) {
    EXPECT_EQ(directory.routines[i].name, routines[i].name);
    EXPECT_EQ(directory.routines[i].kind, routines[i].kind);
    EXPECT_EQ(directory.routines[i].arg_words, routines[i].arg_words);
    EXPECT_EQ(directory.routines[i].code_offset, routine_code_offset(i));
  }
  EXPECT_EQ(find_routine(directory, 0x18)->name, "bind");
  EXPECT_EQ(find_routine(directory, 0x19), nullptr);
}

TEST(CodeDirectory, LinkBlockIsAlignedInMemoryAndRelocated) {
  auto routines = startup_routines();
  for (std::uint32_t image_offset = 0; image_offset < 8; ++image_offset) {
    CodeSection code = write_code_section(routines, 0x23C, image_offset);
    std::uint32_t link = code.link_offset;
    EXPECT_EQ((image_offset + link) % 8, 0u) << "image offset " << image_offset;
    EXPECT_GE(link, routine_code_offset(routines.size()));
    EXPECT_EQ(code.relocations,
              (std::vector<std::uint32_t>{link * 8 + 0, (link + 8) * 8 + 1,
                                          (link + 16) * 8 + 3}));
    QxLinkBlock block =
        read_link_block(code.data, read_code_directory(code.data));
    EXPECT_EQ(block.service_table, 0u);
    EXPECT_EQ(block.const_data, 0u);
    EXPECT_EQ(block.registered_routine, routine_code_offset(3));
    EXPECT_EQ(block.const_size, 0x23Cu);
    EXPECT_EQ(block.reserved, 0u);
  }
}

TEST(CodeDirectory, EveryStartupKindIsNeededExactlyOnce) {
  auto missing = startup_routines();
  missing.erase(missing.begin() + 3);
  EXPECT_THROW(write_code_section(missing, 0, 0), FormatError);
  auto doubled = startup_routines();
  doubled.push_back({QX_ROUTINE_ENTRY, "entry2"});
  EXPECT_THROW(write_code_section(doubled, 0, 0), FormatError);
}

TEST(CodeDirectory, NamesMayEndExactlyAtTheEndButNotBeyond) {
  CodeSection code = write_code_section(startup_routines(), 0, 0);
  ASSERT_NO_THROW(read_code_directory(code.data));
  for (std::size_t size = 0; size < code.data.size(); ++size)
    EXPECT_THROW(read_code_directory(std::span(code.data).first(size)),
                 FormatError)
        << "prefix of " << size << " bytes";
}

struct Corruption {
  const char *what;
  std::function<void(std::vector<std::uint8_t> &)> apply;
  const char *message;
};

class CodeDirectoryRejects : public ::testing::TestWithParam<Corruption> {};

TEST_P(CodeDirectoryRejects, NamesTheField) {
  CodeSection code = write_code_section(startup_routines(), 0, 0);
  GetParam().apply(code.data);
  const std::string error =
      qx::test::error_of([&] { read_code_directory(code.data); });
  EXPECT_NE(error.find(GetParam().message), std::string::npos)
      << GetParam().what << ": " << error;
}

// Entry i's fields lie at 0x18 + 16 i.
INSTANTIATE_TEST_SUITE_P(
    Corruptions, CodeDirectoryRejects,
    ::testing::Values(
        Corruption{"bad magic", [](auto &b) { b[0] = 'X'; }, "magic"},
        Corruption{"other version", [](auto &b) { put_u32(b, 4, 2); },
                   "version"},
        Corruption{"routine count past the end",
                   [](auto &b) { put_u32(b, 8, 0x10000000); }, "routine count"},
        Corruption{"link block inside the entries",
                   [](auto &b) { put_u32(b, 0x0C, 0x20); },
                   "link block offset"},
        Corruption{"names past the end",
                   [](auto &b) { put_u32(b, 0x14, load_u32(b, 0x14) + 1); },
                   "names"},
        Corruption{"unknown kind", [](auto &b) { put_u32(b, 0x18 + 16, 7); },
                   "routine 1 kind"},
        Corruption{"two binders", [](auto &b) { put_u32(b, 0x18 + 16, 1); },
                   "only one routine"},
        Corruption{"two argument words",
                   [](auto &b) { put_u32(b, 0x18 + 8, 2); }, "argument words"},
        Corruption{"reserved word set",
                   [](auto &b) { put_u32(b, 0x18 + 12, 1); }, "reserved word"},
        Corruption{"name offset outside the names",
                   [](auto &b) { put_u32(b, 0x18 + 4, 0x1000); },
                   "name offset"},
        Corruption{"duplicate name",
                   [](auto &b) {
                     put_u32(b, 0x18 + 16 * 6 + 4,
                             load_u32(b, 0x18 + 16 * 5 + 4));
                   },
                   "appears twice"},
        Corruption{"last name unterminated",
                   [](auto &b) { put_u32(b, 0x14, load_u32(b, 0x14) - 1); },
                   "terminating zero"}));

} // namespace
} // namespace qx::image
