// Environment variables, with the stand-in for the Windows system directory.
#ifndef QUADRIX_PLATFORM_ENVIRONMENT_H
#define QUADRIX_PLATFORM_ENVIRONMENT_H

#include <filesystem>
#include <string>
#include <string_view>

namespace qx::platform {

/// The variable that names the system directory.
inline constexpr std::string_view kSystemRootVariable = "SystemRoot";

/// The name of the directory shipped beside the runtime library that stands
/// in for the system directory; its system32/ holds notepad.exe and
/// calc.exe, scripts that start the desktop's text editor and calculator.
inline constexpr std::string_view kSystemRootDirectoryName = "systemroot";

/// The value of environment variable `name`, "" when it is unset. When
/// "SystemRoot" is unset, as it is on POSIX, the value is `system_root`.
std::string environment_variable(std::string_view name,
                                 const std::filesystem::path &system_root);

/// As above, with bundled_system_root() standing in for "SystemRoot".
std::string environment_variable(std::string_view name);

/// The systemroot/ directory beside the module that contains this platform
/// layer (the runtime library, or the executable that links it); "" when
/// that module cannot be located.
std::filesystem::path bundled_system_root();

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_ENVIRONMENT_H
