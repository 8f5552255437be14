// Environment variables on Windows. Names and values are GBK, converted
// through code page 936 whatever the system's own ANSI code page is.
#include "platform/environment.h"

#include "platform/library.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <optional>

namespace qx::platform {
namespace {

// The variable's value in UTF-16, nullopt when it is unset.
std::optional<std::wstring> read_variable(const std::wstring &name) {
  std::wstring value(256, L'\0');
  while (true) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = static_cast<DWORD>(value.size());
    const DWORD length =
        GetEnvironmentVariableW(name.c_str(), value.data(), size);
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return std::nullopt;
      return std::wstring();
    }
    // Too small: the length needed, terminator included, comes back.
    if (length < size) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

std::string to_gbk(std::wstring_view text) {
  std::string out;
  win32::from_wide(text, win32::kGbkCodePage, false, out);
  return out;
}

} // namespace

std::string environment_variable(std::string_view name,
                                 const std::filesystem::path &system_root) {
  std::wstring wide_name;
  if (!win32::to_wide(name, win32::kGbkCodePage, true, wide_name) ||
      wide_name.empty())
    return {};
  if (std::optional<std::wstring> value = read_variable(wide_name))
    return to_gbk(*value);
  if (name == kSystemRootVariable)
    return to_gbk(system_root.native());
  return {};
}

std::string environment_variable(std::string_view name) {
  if (name != kSystemRootVariable)
    return environment_variable(name, {});
  // Windows always names its directory; should the variable be gone, the
  // system still says where it is.
  std::wstring directory(MAX_PATH, L'\0');
  const UINT length = GetSystemWindowsDirectoryW(
      directory.data(), static_cast<UINT>(directory.size()));
  directory.resize(length < directory.size() ? length : 0);
  return environment_variable(name, std::filesystem::path(directory));
}

std::filesystem::path bundled_system_root() {
  static const char marker = 0;
  auto directory = module_directory(&marker);
  if (!directory)
    return {};
  return *directory / kSystemRootDirectoryName;
}

} // namespace qx::platform
