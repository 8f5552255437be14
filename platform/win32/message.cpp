// The launcher's error message on Windows: a modal message box with the
// stop icon and no owner window.
#include "platform/message.h"

#include <windows.h>

#include <string>

namespace qx::platform {

void show_error_message(std::string_view text, std::string_view caption) {
  // The texts are single-byte ANSI, as the box's A function takes them.
  const std::string body(text);
  const std::string title(caption);
  MessageBoxA(nullptr, body.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

} // namespace qx::platform
