// The launcher's error message on POSIX: one line on standard error and,
// when a display is present, a message box shown by xmessage.
#include "platform/message.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

extern char **environ;

namespace qx::platform {
namespace {

bool display_present() {
  for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY"})
    if (const char *value = std::getenv(name); value && *value)
      return true;
  return false;
}

// Shows the box and waits until the user closes it; silent when no box
// program can be started (the line on standard error is the message then).
void show_message_box(std::string_view text, std::string_view caption) {
  std::string program = "xmessage";
  std::string center = "-center";
  std::string title_option = "-title";
  std::string title(caption);
  std::string buttons_option = "-buttons";
  std::string buttons = "OK:0";
  std::string body(text);
  char *arguments[] = {
      program.data(),        center.data(),  title_option.data(), title.data(),
      buttons_option.data(), buttons.data(), body.data(),         nullptr};
  pid_t child = -1;
  if (posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments,
                   environ) != 0)
    return;
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
}

} // namespace

void show_error_message(std::string_view text, std::string_view caption) {
  std::string line;
  line.reserve(caption.size() + text.size() + 3);
  line.append(caption).append(": ").append(text).append("\n");
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  if (display_present())
    show_message_box(text, caption);
}

} // namespace qx::platform
