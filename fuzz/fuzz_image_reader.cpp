// libFuzzer target: the image reader, the code directory reader, the checks
// a runtime makes before it trusts an image and the code relocations on
// arbitrary bytes.
#include "image/image_reader.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void read_directory(std::span<const std::uint8_t> code_data,
                    std::span<const std::uint32_t> relocations) {
  qx::image::CodeDirectory directory =
      qx::image::read_code_directory(code_data);
  qx::image::read_link_block(code_data, directory);
  std::vector<std::uint8_t> copy(code_data.begin(), code_data.end());
  qx::image::apply_code_relocations(copy, relocations, {1, 2, 3});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  try {
    qx::image::ImageInfo info = qx::image::read_image(bytes);
    qx::image::image_extent(info);
    for (const qx::image::SectionInfo &section : info.sections)
      qx::image::section_data(bytes, section);
    if (const qx::image::SectionInfo *code = info.find("code"))
      read_directory(qx::image::section_data(bytes, *code), code->relocations);
    qx::image::check_program_code(bytes, info);
  } catch (const qx::FormatError &) {
  }
  // The same bytes taken as code data.
  try {
    read_directory(bytes, {});
  } catch (const qx::FormatError &) {
  }
  return 0;
}
