// The quadrix executable's own code: finds and loads the core runtime, asks
// it for its start routine and hands over the embedded program image.
#include "base/qx_abi.h"
#include "platform/library.h"
#include "platform/message.h"
#include "platform/registry.h"
#include "program/embedded_image.h"

#include <exception>
#include <filesystem>
#include <optional>
#include <string>

namespace {

constexpr const char *kRuntimeBesideName = "basert.rtp";
constexpr const char *kRuntimeInstalledName = "basert.rtl";
constexpr const char *kInstallKey = "Software\\Tenvale\\Quill\\Install";
constexpr const char *kInstallPathValue = "Path";
constexpr const char *kErrorText =
    "Not found the kernel library or the kernel library is invalid!";
constexpr const char *kErrorCaption = "Error";
constexpr int kFailureExitCode = -1;

using qx::platform::Library;

// The executable's directory; nullopt when the system cannot name the
// executable.
std::optional<std::filesystem::path> executable_directory() {
  std::optional<std::filesystem::path> path = qx::platform::executable_path();
  if (!path || !path->has_parent_path())
    return std::nullopt;
  return path->parent_path();
}

// The installed runtime's directory from the registry.
std::optional<std::filesystem::path> installed_directory() {
  auto key = qx::platform::RegistryKey::open(
      qx::platform::RegistryHive::CurrentUser, kInstallKey);
  if (!key)
    return std::nullopt;
  std::optional<std::string> value = key->query_value(kInstallPathValue);
  if (!value)
    return std::nullopt;
  // The value is read as text (UTF-8): it ends at its first zero byte, if
  // any. A trailing backslash is a separator on every system.
  std::string directory = value->substr(0, value->find('\0'));
  if (!directory.empty() && directory.back() == '\\')
    directory.back() = '/';
  try {
    return std::filesystem::path(
        std::u8string(directory.begin(), directory.end()));
  } catch (const std::exception &) {
    // Bytes that are no UTF-8 text (a binary value) name no directory.
    return std::nullopt;
  }
}

// The runtime beside the executable, else the installed one. Only a
// regular file holding a whole library of this machine is loaded
// (platform/library.h).
Library load_runtime() {
  // Without the executable's own path there is no "beside": never fall
  // back to the working directory.
  if (std::optional<std::filesystem::path> own = executable_directory()) {
    Library beside = Library::load(*own / kRuntimeBesideName);
    if (beside)
      return beside;
  }
  std::optional<std::filesystem::path> directory = installed_directory();
  if (!directory || directory->empty())
    return {};
  return Library::load(*directory / kRuntimeInstalledName);
}

int fail() {
  qx::platform::show_error_message(kErrorText, kErrorCaption);
  return kFailureExitCode;
}

} // namespace

int main() {
  Library runtime = load_runtime();
  if (!runtime)
    return fail();
  // A data object or another library's export of that name does not count.
  auto get_new_sock = reinterpret_cast<QxGetNewSockFn>(
      qx::platform::find_own_function(runtime.handle(), QX_GET_NEW_SOCK_NAME));
  if (get_new_sock == nullptr) {
    runtime.release();
    return fail();
  }
  QxStartFn start = get_new_sock(QX_GET_NEW_SOCK_START);
  if (start == nullptr) {
    runtime.release();
    return fail();
  }
  // The runtime stays loaded until the process ends: whatever it registered
  // to run at exit must still be there.
  runtime.detach();
  start(qx_program_image);
  return 0;
}
