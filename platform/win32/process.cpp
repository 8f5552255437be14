// Starting programs on Windows: CreateProcess without waiting.
#include "platform/process.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

namespace qx::platform {

bool run_program(std::string_view command_line) {
  // The line is GBK; the system parses it as Windows always does (a quoted
  // program path, or an unquoted one tried up to each blank in turn).
  std::wstring line;
  if (!win32::to_wide(command_line, win32::kGbkCodePage, true, line) ||
      line.empty())
    return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // CreateProcessW may write into the command line buffer.
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

} // namespace qx::platform
