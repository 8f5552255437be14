// Tests of the image the executables carry, and of quadrix-image's dump and
// extract on an executable that carries it (this test's own).
#include "image/image_reader.h"
#include "program/const_layout.h"
#include "program/embedded_image.h"
#include "window/form_io.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qx::image {
namespace {

std::span<const std::uint8_t> pristine() {
  return {qx_program_image_pristine, qx_program_image_size};
}

TEST(EmbeddedImage, WritableCopyEqualsThePristineOneAndIsZeroPadded) {
  ASSERT_GT(qx_program_image_size, 0u);
  EXPECT_TRUE(
      std::equal(pristine().begin(), pristine().end(), qx_program_image));
  std::size_t padded = (qx_program_image_size / 0x1000 + 1) * 0x1000;
  EXPECT_TRUE(std::all_of(qx_program_image + qx_program_image_size,
                          qx_program_image + padded,
                          [](unsigned char b) { return b == 0; }));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(qx_program_image) % 8, 0u);
}

TEST(EmbeddedImage, ReadsCompletelyAndCarriesTheDeclaredConstants) {
  ImageInfo info = read_image(pristine());
  EXPECT_EQ(image_extent(info), qx_program_image_size);
  auto const_data = section_data(pristine(), *info.find("const"));
  EXPECT_EQ(std::vector<std::uint8_t>(const_data.begin(), const_data.end()),
            write_const_data());
  CodeDirectory directory =
      read_code_directory(section_data(pristine(), *info.find("code")));
  const SectionInfo &code = *info.find("code");
  const DirectoryRoutine *entry =
      find_routine(directory, info.entry_offset - code.data_offset);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name, "qx_program_entry");
  EXPECT_EQ((code.data_offset + directory.link_offset) % 8, 0u);
}

TEST(EmbeddedImage, FormSectionRoundTripsByteForByte) {
  ImageInfo info = read_image(pristine());
  auto bytes = section_data(pristine(), *info.find("form"));
  form::Form form = form::read_form(bytes);
  EXPECT_EQ(form::write_form(form),
            std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  // Every handler the form binds is a routine of the directory.
  CodeDirectory directory =
      read_code_directory(section_data(pristine(), *info.find("code")));
  for (const form::Record &record : form.records) {
    if (const auto *item = std::get_if<form::MenuItemRecord>(&record)) {
      EXPECT_TRUE(item->handler == form::kNoHandler ||
                  find_routine(directory, item->handler));
      continue;
    }
    for (const form::EventBinding &b :
         std::get<form::ControlRecord>(record).events)
      EXPECT_NE(find_routine(directory, b.handler), nullptr)
          << "handler " << b.handler;
  }
}

// Runs quadrix-image with `args`; returns its exit status and output. The
// tool's path is quoted: a build directory may lie under a blank.
std::pair<int, std::string> run_tool(const std::string &args) {
  const char *tool = std::getenv("QUADRIX_IMAGE_TOOL");
  std::string command = "'" + std::string(tool) + "' " + args + " 2>&1";
  std::FILE *pipe = popen(command.c_str(), "r");
  if (!pipe)
    return {-1, "popen failed"};
  std::string output;
  char buffer[4096];
  while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
    output.append(buffer, n);
  return {pclose(pipe), output};
}

class ImageTool : public ::testing::Test {
protected:
  void SetUp() override {
    if (!std::getenv("QUADRIX_IMAGE_TOOL"))
      GTEST_SKIP() << "QUADRIX_IMAGE_TOOL is not set (ctest sets it)";
    m_self = std::filesystem::read_symlink("/proc/self/exe").string();
  }
  std::string m_self;
};

TEST_F(ImageTool, ExtractsTheImageThisExecutableCarries) {
  std::string out = testing::TempDir() + "extracted.img";
  auto [status, output] = run_tool("extract '" + m_self + "' '" + out + "'");
  ASSERT_EQ(status, 0) << output;
  std::ifstream in(out, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes,
            std::vector<std::uint8_t>(pristine().begin(), pristine().end()));
  std::filesystem::remove(out);
}

TEST_F(ImageTool, DumpsTheCarriedImageInUtf8) {
  auto [status, output] = run_tool("dump '" + m_self + "'");
  ASSERT_EQ(status, 0) << output;
  for (const char *expected :
       {"basert", "\"系统核心支持库\"", "@reloc1", "kind 0: 1",
        "qx_program_entry", "\"QuadrixV1.0\"", "0xa9 double"})
    EXPECT_NE(output.find(expected), std::string::npos) << expected;
}

TEST_F(ImageTool, RefusesAFileWithoutAnImage) {
  std::string path = testing::TempDir() + "no_image.bin";
  std::ofstream(path) << "no image here, just WJ\0 text";
  auto [status, output] = run_tool("dump '" + path + "'");
  EXPECT_NE(status, 0);
  EXPECT_NE(output.find("no program image found"), std::string::npos) << output;
  std::filesystem::remove(path);
}

} // namespace
} // namespace qx::image
