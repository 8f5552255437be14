// Starting other programs.
#ifndef QUADRIX_PLATFORM_PROCESS_H
#define QUADRIX_PLATFORM_PROCESS_H

#include <string>
#include <string_view>
#include <vector>

namespace qx::platform {

/// Splits a command line into words: words are separated by blanks (space or
/// tab); a double quote starts or ends a quoted run in which blanks belong
/// to the word, and is itself dropped. An unterminated quoted run extends to
/// the end of the line. Every backslash is read as a slash first.
std::vector<std::string> split_command_line(std::string_view command_line);

/// Starts the program named by the first word of `command_line` with the
/// other words as its arguments and returns without waiting for it. The
/// started program is not a child of this process, so it never becomes a
/// zombie here. Every backslash is read as a slash. As on Windows, an
/// unquoted program path that contains blanks is found by trying the line up
/// to each blank in turn, shortest first. A name without a slash is looked
/// up in PATH. Returns whether the program was started; a failure is
/// otherwise silent.
bool run_program(std::string_view command_line);

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_PROCESS_H
