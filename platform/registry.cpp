// Parser of the registry stand-in's text files and the read-only key view.
#include "platform/registry.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

namespace qx::platform {
namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::uintmax_t kMaxFileSize = 1u << 20;

std::string lower_ascii(std::string_view text) {
  std::string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) {
                   return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
                 });
  return lowered;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back()))
    text.remove_suffix(1);
  return text;
}

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

// One logical line: its number (for errors, the first physical line) and
// text without the line end.
struct Line {
  std::size_t number;
  std::string text;
};

class Parser {
public:
  explicit Parser(std::string_view source) : m_source(source) {}

  std::optional<RegistryError>
  parse(std::string_view text, std::map<std::string, RegistryValues> &keys) {
    if (text.starts_with(kByteOrderMark))
      text.remove_prefix(kByteOrderMark.size());
    if (trim(text).find_first_not_of("\r\n") == std::string_view::npos)
      return std::nullopt; // an empty file holds no keys

    std::vector<Line> lines = split_lines(text);
    if (lines.empty() || (trim(lines.front().text) != kHeader5 &&
                          trim(lines.front().text) != kHeader4))
      return error(1, "first line is not \"" + std::string(kHeader5) + "\"");

    RegistryValues *current = nullptr;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      std::string_view line = trim(lines[i].text);
      std::size_t number = lines[i].number;
      if (line.empty() || line.front() == ';')
        continue;
      if (line.front() == '[') {
        auto failure = parse_key_line(line, number, keys, current);
        if (failure)
          return failure;
        continue;
      }
      if (line.front() != '"' && line.front() != '@')
        return error(number, "neither a key nor a value");
      if (current == nullptr)
        return error(number, "value before the first key");
      // A hex list may continue over the following lines.
      std::string joined(line);
      while (!joined.empty() && joined.back() == '\\' && is_hex_value(joined) &&
             i + 1 < lines.size()) {
        joined.pop_back();
        joined += trim(lines[++i].text);
      }
      auto failure = parse_value_line(joined, number, *current);
      if (failure)
        return failure;
    }
    return std::nullopt;
  }

private:
  std::string_view m_source;

  RegistryError error(std::size_t line, const std::string &what) const {
    return {std::string(m_source) + " line " + std::to_string(line) + ": " +
            what};
  }

  static std::vector<Line> split_lines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t number = 1;
    while (!text.empty()) {
      std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
      lines.push_back({number++, std::string(line)});
      if (end == std::string_view::npos)
        break;
      text.remove_prefix(end + 1);
    }
    return lines;
  }

  // True when the data after '=' starts a hex list (so a trailing backslash
  // continues it rather than ending a string).
  static bool is_hex_value(std::string_view line) {
    std::size_t equals = line.find("=hex");
    return equals != std::string_view::npos &&
           line.find('"', equals) == std::string_view::npos;
  }

  std::optional<RegistryError>
  parse_key_line(std::string_view line, std::size_t number,
                 std::map<std::string, RegistryValues> &keys,
                 RegistryValues *&current) const {
    if (line.back() != ']')
      return error(number, "key line does not end with ']'");
    std::string_view name = line.substr(1, line.size() - 2);
    bool remove = name.starts_with('-');
    if (remove)
      name.remove_prefix(1);
    if (name.empty())
      return error(number, "empty key name");
    std::string lowered = lower_ascii(name);
    if (!remove) {
      current = &keys[lowered];
      return std::nullopt;
    }
    // Deleting a key deletes its subkeys too; values that follow belong to
    // no key.
    // The subkeys sort together: from NAME\ up to (not including) NAME]
    // (']' follows '\'), so a deletion costs what it removes.
    keys.erase(lowered);
    keys.erase(keys.lower_bound(lowered + '\\'),
               keys.lower_bound(lowered + ']'));
    current = nullptr;
    return std::nullopt;
  }

  // Reads a quoted text with \\ and \" escapes starting at line[pos] == '"';
  // on success `pos` is just past the closing quote.
  std::optional<RegistryError> parse_quoted(std::string_view line,
                                            std::size_t number,
                                            std::size_t &pos,
                                            std::string &out) const {
    ++pos; // opening quote
    while (pos < line.size()) {
      char c = line[pos++];
      if (c == '"')
        return std::nullopt;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos >= line.size())
        break;
      char escaped = line[pos++];
      if (escaped != '\\' && escaped != '"')
        return error(number, "unknown escape '\\" + std::string(1, escaped) +
                                 "' at column " + std::to_string(pos - 1));
      out += escaped;
    }
    return error(number, "text has no closing '\"'");
  }

  std::optional<RegistryError> parse_value_line(std::string_view line,
                                                std::size_t number,
                                                RegistryValues &values) const {
    std::string name;
    std::size_t pos = 0;
    if (line.front() == '@') {
      pos = 1;
    } else if (auto failure = parse_quoted(line, number, pos, name)) {
      return failure;
    }
    std::string_view rest = trim(line.substr(pos));
    if (!rest.starts_with('='))
      return error(number, "value name is not followed by '='");
    rest = trim(rest.substr(1));
    std::string key = lower_ascii(name);

    if (rest == "-") {
      values.erase(key);
      return std::nullopt;
    }
    if (rest.starts_with('"')) {
      std::string data;
      std::size_t data_pos = 0;
      if (auto failure = parse_quoted(rest, number, data_pos, data))
        return failure;
      if (!trim(rest.substr(data_pos)).empty())
        return error(number, "text after the closing '\"'");
      values[key] = std::move(data);
      return std::nullopt;
    }
    if (rest.starts_with("dword:"))
      return parse_dword(rest.substr(6), number, values[key]);
    if (rest.starts_with("hex")) {
      std::size_t colon = rest.find(':');
      std::string_view kind = rest.substr(0, colon);
      if (colon == std::string_view::npos || !is_hex_kind(kind))
        return error(number, "unknown value type '" + std::string(kind) + "'");
      return parse_hex_list(rest.substr(colon + 1), number, values[key]);
    }
    return error(number, "unknown value data '" + std::string(rest) + "'");
  }

  // "hex" or "hex(N)" with N one to eight hex digits.
  static bool is_hex_kind(std::string_view kind) {
    if (kind == "hex")
      return true;
    if (!kind.starts_with("hex(") || !kind.ends_with(')'))
      return false;
    std::string_view digits = kind.substr(4, kind.size() - 5);
    return !digits.empty() && digits.size() <= 8 &&
           std::all_of(digits.begin(), digits.end(),
                       [](char c) { return hex_digit_value(c) >= 0; });
  }

  std::optional<RegistryError> parse_dword(std::string_view digits,
                                           std::size_t number,
                                           std::string &out) const {
    digits = trim(digits);
    if (digits.empty() || digits.size() > 8)
      return error(number, "dword needs one to eight hex digits");
    std::uint32_t value = 0;
    for (char c : digits) {
      int digit = hex_digit_value(c);
      if (digit < 0)
        return error(number,
                     "bad hex digit '" + std::string(1, c) + "' in dword");
      value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    out.clear();
    for (int byte = 0; byte < 4; ++byte)
      out += static_cast<char>(value >> (8 * byte) & 0xFF);
    return std::nullopt;
  }

  std::optional<RegistryError> parse_hex_list(std::string_view list,
                                              std::size_t number,
                                              std::string &out) const {
    out.clear();
    list = trim(list);
    if (list.empty())
      return std::nullopt;
    while (true) {
      std::size_t comma = list.find(',');
      std::string_view item = trim(list.substr(0, comma));
      if (item.size() != 2 || hex_digit_value(item[0]) < 0 ||
          hex_digit_value(item[1]) < 0)
        return error(number,
                     "bad byte '" + std::string(item) + "' in hex list");
      out += static_cast<char>(hex_digit_value(item[0]) * 16 +
                               hex_digit_value(item[1]));
      if (comma == std::string_view::npos)
        return std::nullopt;
      list.remove_prefix(comma + 1);
    }
  }
};

} // namespace

std::variant<RegistryFile, RegistryError>
RegistryFile::parse(std::string_view text, std::string_view source) {
  RegistryFile file;
  Parser parser(source);
  if (auto failure = parser.parse(text, file.m_keys))
    return *failure;
  return file;
}

std::variant<RegistryFile, RegistryError>
RegistryFile::load(const std::filesystem::path &path) {
  std::error_code status;
  if (!std::filesystem::exists(path, status))
    return RegistryFile{};
  std::uintmax_t size = std::filesystem::file_size(path, status);
  if (status)
    return RegistryError{path.string() + ": " + status.message()};
  if (size > kMaxFileSize)
    return RegistryError{path.string() + ": " + std::to_string(size) +
                         " bytes, more than a registry file may hold"};
  std::ifstream stream(path, std::ios::binary);
  if (!stream)
    return RegistryError{path.string() + ": cannot be opened for reading"};
  std::string text((std::istreambuf_iterator<char>(stream)),
                   std::istreambuf_iterator<char>());
  if (stream.bad() || text.size() > kMaxFileSize)
    return RegistryError{path.string() + ": read failed"};
  return parse(text, path.string());
}

const RegistryValues *RegistryFile::find_key(std::string_view key) const {
  auto found = m_keys.find(lower_ascii(key));
  return found == m_keys.end() ? nullptr : &found->second;
}

std::optional<std::string>
RegistryFile::find_value(std::string_view key, std::string_view name) const {
  const RegistryValues *values = find_key(key);
  if (values == nullptr)
    return std::nullopt;
  auto found = values->find(lower_ascii(name));
  if (found == values->end())
    return std::nullopt;
  return found->second;
}

std::string full_key_name(RegistryHive hive, std::string_view subkey) {
  std::string name = hive == RegistryHive::CurrentUser ? "HKEY_CURRENT_USER"
                                                       : "HKEY_LOCAL_MACHINE";
  if (!subkey.empty()) {
    name += '\\';
    name += subkey;
  }
  return name;
}

std::optional<RegistryKey> RegistryKey::open(const std::filesystem::path &file,
                                             RegistryHive hive,
                                             std::string_view subkey) {
  auto loaded = RegistryFile::load(file);
  const auto *registry = std::get_if<RegistryFile>(&loaded);
  if (registry == nullptr)
    return std::nullopt;
  const RegistryValues *values =
      registry->find_key(full_key_name(hive, subkey));
  if (values == nullptr)
    return std::nullopt;
  return RegistryKey(*values);
}

std::optional<std::string>
RegistryKey::query_value(std::string_view name) const {
  auto found = m_values.find(lower_ascii(name));
  if (found == m_values.end())
    return std::nullopt;
  return found->second;
}

} // namespace qx::platform
