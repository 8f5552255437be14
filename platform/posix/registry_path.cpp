// The registry on POSIX: the stand-in's file for this user.
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

std::optional<RegistryKey> RegistryKey::open(RegistryHive hive,
                                             std::string_view subkey) {
  std::optional<std::filesystem::path> file = registry_file_path();
  if (!file)
    return std::nullopt;
  return open(*file, hive, subkey);
}

} // namespace qx::platform
