// The program image that the executable carries in writable data.
#ifndef QUADRIX_LAUNCHER_PROGRAM_IMAGE_H
#define QUADRIX_LAUNCHER_PROGRAM_IMAGE_H

#include <stdint.h>

extern "C" {
/// The image's first byte; the runtime patches the image in place.
extern unsigned char qx_program_image[];
/// The image's size in bytes.
extern const uint32_t qx_program_image_size;
}

#endif // QUADRIX_LAUNCHER_PROGRAM_IMAGE_H
