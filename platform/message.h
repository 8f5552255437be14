// The launcher's error message.
#ifndef QUADRIX_PLATFORM_MESSAGE_H
#define QUADRIX_PLATFORM_MESSAGE_H

#include <string_view>

namespace qx::platform {

/// Shows an error message with a stop icon and waits for it to be
/// acknowledged. On POSIX the message goes to standard error as one line
/// "<caption>: <text>"; when a display is present (DISPLAY or
/// WAYLAND_DISPLAY set) it is also shown in a box by xmessage, found in PATH.
void show_error_message(std::string_view text, std::string_view caption);

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_MESSAGE_H
