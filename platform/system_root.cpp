// The bundled stand-in for the system directory, found beside the module.
#include "platform/environment.h"
#include "platform/library.h"

namespace qx::platform {

std::filesystem::path bundled_system_root() {
  // This object lies in whichever module linked the platform layer: the
  // runtime library, or the executable itself.
  static const char marker = 0;
  auto directory = module_directory(&marker);
  if (!directory)
    return {};
  return *directory / kSystemRootDirectoryName;
}

} // namespace qx::platform
