// Finds the program image inside a file: an image itself, or an executable
// that carries one.
#pragma once

#include <cstdint>
#include <span>

namespace qx::image::tool {

// The image bytes inside `file`: the whole file when it starts with the
// image magic; else the bytes of the ELF symbols qx_program_image and
// qx_program_image_size; else the first "WJ\0\0" followed by a header that
// reads as an image, up to the image's extent. Throws qx::FormatError when
// none is found.
std::span<const std::uint8_t> find_image(std::span<const std::uint8_t> file);

} // namespace qx::image::tool
