// Starting programs without waiting for them on POSIX (double fork).
#include "platform/process.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <utility>

namespace qx::platform {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string with_slashes(std::string_view text) {
  std::string converted(text);
  std::replace(converted.begin(), converted.end(), '\\', '/');
  return converted;
}

bool is_executable_file(const std::string &path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         access(path.c_str(), X_OK) == 0;
}

// The file that runs for `program`: itself when it names a path, else the
// first executable of that name in PATH.
std::optional<std::string> resolve_program(const std::string &program) {
  if (program.empty())
    return std::nullopt;
  if (program.find('/') != std::string::npos) {
    if (is_executable_file(program))
      return program;
    return std::nullopt;
  }
  const char *search = std::getenv("PATH");
  std::string_view directories =
      search ? search : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    std::size_t colon = directories.find(':');
    std::string directory(directories.substr(0, colon));
    std::string candidate =
        (directory.empty() ? std::string(".") : directory) + "/" + program;
    if (is_executable_file(candidate))
      return candidate;
    if (colon == std::string_view::npos)
      return std::nullopt;
    directories.remove_prefix(colon + 1);
  }
}

// The program file and the text after it. A quoted first word is the
// program; an unquoted one may contain blanks, found by trying the line up
// to each blank in turn, shortest first.
std::optional<std::pair<std::string, std::string>>
find_program(const std::string &line) {
  std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos)
    return std::nullopt;
  if (line[start] == '"') {
    std::size_t close = line.find('"', start + 1);
    std::string word =
        line.substr(start + 1, close == std::string::npos ? std::string::npos
                                                          : close - start - 1);
    std::string rest =
        close == std::string::npos ? std::string() : line.substr(close + 1);
    auto resolved = resolve_program(word);
    if (!resolved)
      return std::nullopt;
    return std::pair{*resolved, rest};
  }
  for (std::size_t end = start; end <= line.size(); ++end) {
    if (end < line.size() && !is_blank(line[end]))
      continue;
    if (end > start && !is_blank(line[end - 1])) {
      std::string candidate = line.substr(start, end - start);
      if (candidate.find('"') != std::string::npos)
        break;
      if (auto resolved = resolve_program(candidate))
        return std::pair{*resolved, line.substr(end)};
    }
  }
  return std::nullopt;
}

} // namespace

bool run_program(std::string_view command_line) {
  auto program = find_program(with_slashes(command_line));
  if (!program)
    return false;
  std::vector<std::string> words = split_command_line(program->second);
  words.insert(words.begin(), program->first);

  // Everything the children need is prepared here: between fork and exec
  // only async-signal-safe calls are allowed.
  std::vector<char *> arguments;
  for (std::string &word : words)
    arguments.push_back(word.data());
  arguments.push_back(nullptr);
  const char *file = program->first.c_str();

  // The grandchild reports a failed exec through this pipe; a successful
  // exec closes it.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0)
    return false;

  pid_t child = fork();
  if (child < 0) {
    close(report[0]);
    close(report[1]);
    return false;
  }
  if (child == 0) {
    setsid();
    pid_t grandchild = fork();
    if (grandchild < 0)
      _exit(1);
    if (grandchild == 0) {
      close(report[0]);
      execv(file, arguments.data());
      int error = errno;
      ssize_t written = write(report[1], &error, sizeof error);
      (void)written;
      _exit(127);
    }
    close(report[1]);
    int error = 0;
    ssize_t got;
    do {
      got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    _exit(got > 0 ? 1 : 0);
  }

  close(report[0]);
  close(report[1]);
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(child, &status, 0);
  } while (waited < 0 && errno == EINTR);
  return waited == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace qx::platform
