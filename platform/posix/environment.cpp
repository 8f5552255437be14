// Environment variables on POSIX, with the bundled stand-in for SystemRoot.
#include "platform/environment.h"

#include <cstdlib>
#include <string>

namespace qx::platform {

std::string environment_variable(std::string_view name,
                                 const std::filesystem::path &system_root) {
  std::string key(name);
  if (const char *value = std::getenv(key.c_str()))
    return value;
  if (name == kSystemRootVariable)
    return system_root.string();
  return {};
}

std::string environment_variable(std::string_view name) {
  if (name != kSystemRootVariable)
    return environment_variable(name, {});
  return environment_variable(name, bundled_system_root());
}

} // namespace qx::platform
