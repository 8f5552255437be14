// The program image carried in the executable (target qx_embedded_image).
#pragma once

#include <cstdint>

extern "C" {
// The image followed by zero padding to a multiple of 0x1000 bytes; the
// runtime relocates it in place.
extern unsigned char qx_program_image[];
// Bytes of the image proper.
extern const std::uint32_t qx_program_image_size;
// An untouched copy (qx_program_image_size bytes), so tests can load fresh
// copies again and again.
extern const unsigned char qx_program_image_pristine[];
}
