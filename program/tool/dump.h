// Prints a program image in readable form (UTF-8).
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

namespace qx::image::tool {

// Prints the header, libraries, sections, constants, code relocations, the
// routine directory, the @reloc1 counts and every form record. Returns
// false when a part could not be read (the error is printed in its place).
bool dump_image(std::span<const std::uint8_t> image, std::ostream &out);

} // namespace qx::image::tool
