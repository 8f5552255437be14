// The platform layer in one include: everything the system needs from the
// operating system beyond the standard library and Qt.
#ifndef QUADRIX_PLATFORM_PLATFORM_H
#define QUADRIX_PLATFORM_PLATFORM_H

#include "platform/environment.h"
#include "platform/gbk.h"
#include "platform/library.h"
#include "platform/message.h"
#include "platform/process.h"
#include "platform/registry.h"

#endif // QUADRIX_PLATFORM_PLATFORM_H
