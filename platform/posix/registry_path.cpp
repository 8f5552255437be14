// Where the registry stand-in's file lives for this user on POSIX.
#include "platform/registry.h"

#include <cstdlib>

namespace qx::platform {

std::optional<std::filesystem::path> registry_file_path() {
  std::filesystem::path config;
  if (const char *xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    config = xdg;
  } else if (const char *home = std::getenv("HOME"); home && *home) {
    config = std::filesystem::path(home) / ".config";
  } else {
    return std::nullopt;
  }
  return config / "quadrix" / "registry.reg";
}

} // namespace qx::platform
