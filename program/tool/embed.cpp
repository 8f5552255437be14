// Writes the C++ source that carries the program image in an executable.
#include "program/tool/embed.h"

#include <cstdio>

namespace qx::image::tool {
namespace {

constexpr std::size_t kPageSize = 0x1000;

void write_bytes(std::span<const std::uint8_t> bytes, std::ostream &out) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%u,", bytes[i]);
    out << buffer << (i % 20 == 19 ? "\n" : "");
  }
  out << "\n";
}

} // namespace

void write_embedded_source(std::span<const std::uint8_t> image,
                           std::ostream &out) {
  std::size_t padded = (image.size() / kPageSize + 1) * kPageSize;
  out << "// The program image, written by quadrix-image embed; do not edit.\n"
      << "#include \"program/embedded_image.h\"\n\n"
      << "// Writable: the runtime relocates the image in place. The rest of\n"
      << "// the " << padded << " bytes is zero.\n"
      << "alignas(" << kPageSize << ") unsigned char qx_program_image["
      << padded << "] = {\n";
  write_bytes(image, out);
  out << "};\n\n"
      << "extern \"C\" const std::uint32_t qx_program_image_size = "
      << image.size() << "u;\n\n"
      << "alignas(16) const unsigned char qx_program_image_pristine["
      << image.size() << "] = {\n";
  write_bytes(image, out);
  out << "};\n";
}

} // namespace qx::image::tool
