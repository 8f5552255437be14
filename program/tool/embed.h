// Writes the C++ source that carries the program image in an executable.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

namespace qx::image::tool {

// Defines qx_program_image (the image, zero-padded to a multiple of 0x1000,
// writable), qx_program_image_size and qx_program_image_pristine (a const
// copy of the image) as declared in program/embedded_image.h.
void write_embedded_source(std::span<const std::uint8_t> image,
                           std::ostream &out);

} // namespace qx::image::tool
