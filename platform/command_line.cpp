// Splitting a command line into words, the same on every platform.
#include "platform/process.h"

#include <algorithm>
#include <utility>

namespace qx::platform {

std::vector<std::string> split_command_line(std::string_view command_line) {
  std::string line(command_line);
  std::replace(line.begin(), line.end(), '\\', '/');
  std::vector<std::string> words;
  std::string word;
  bool in_word = false;
  bool quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
      continue;
    }
    if ((c == ' ' || c == '\t') && !quoted) {
      if (in_word)
        words.push_back(std::move(word));
      word.clear();
      in_word = false;
      continue;
    }
    word += c;
    in_word = true;
  }
  if (in_word)
    words.push_back(std::move(word));
  return words;
}

} // namespace qx::platform
