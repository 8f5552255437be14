// The program image that the executable carries in writable data, declared
// once in program/embedded_image.h (the placeholder image defines the same
// symbols, without the pristine copy).
#ifndef QUADRIX_LAUNCHER_PROGRAM_IMAGE_H
#define QUADRIX_LAUNCHER_PROGRAM_IMAGE_H

#include "program/embedded_image.h"

#endif // QUADRIX_LAUNCHER_PROGRAM_IMAGE_H
