// A stand-in program image for builds without the generated one: the "WJ"
// signature followed by zeros, in writable data.
#include "program/embedded_image.h"

extern "C" {
unsigned char qx_program_image[4096] = {'W', 'J', 0, 0};
const uint32_t qx_program_image_size = sizeof qx_program_image;
}
