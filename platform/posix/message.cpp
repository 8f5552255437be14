// The launcher's error message on POSIX: one line on standard error.
#include "platform/message.h"

#include <cstdio>
#include <string>

namespace qx::platform {

void show_error_message(std::string_view text, std::string_view caption) {
  std::string line;
  line.reserve(caption.size() + text.size() + 3);
  line.append(caption).append(": ").append(text).append("\n");
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

} // namespace qx::platform
