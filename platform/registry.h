// The registry stand-in: a per-user text file in the registry export format.
//
// On POSIX the registry is the file
// ${XDG_CONFIG_HOME:-$HOME/.config}/quadrix/registry.reg, UTF-8 text with LF
// or CRLF line ends:
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Tenvale\Quill\Install]
//   "Path"="/opt/quadrix/"
//
// The first line is "Windows Registry Editor Version 5.00" (or "REGEDIT4"),
// optionally after a byte-order mark. Key lines name a full key in brackets;
// value lines are "name"="text" (with \\ and \" as the only escapes),
// "name"=dword:0000abcd, "name"=hex:01,02 or "name"=hex(n):01,02 (a hex list
// continues on the next line after a trailing backslash), or @=... for the
// unnamed value. [-key] and "name"=- delete. Blank lines and lines starting
// with ';' are ignored. Key and value names compare without regard to ASCII
// case. A line that fits none of these makes the whole file unreadable.
#ifndef QUADRIX_PLATFORM_REGISTRY_H
#define QUADRIX_PLATFORM_REGISTRY_H

#include <cstddef>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace qx::platform {

/// Why a registry file could not be read, naming the file and line.
struct RegistryError {
  std::string message;
};

/// One key's values: value name (lower-cased) to the value's bytes. Text
/// values hold their UTF-8 bytes without a terminator; dword values their
/// four bytes, little-endian; hex values their bytes as listed.
using RegistryValues = std::map<std::string, std::string>;

/// The parsed contents of one registry file.
class RegistryFile {
public:
  /// Parses `text`; `source` names the file in error messages.
  static std::variant<RegistryFile, RegistryError>
  parse(std::string_view text, std::string_view source);

  /// Reads and parses the file at `path`. A missing file is an empty
  /// registry; an unreadable or malformed file (or one over 1 MiB) is an
  /// error.
  static std::variant<RegistryFile, RegistryError>
  load(const std::filesystem::path &path);

  /// The values of `key` (a full name such as
  /// "HKEY_CURRENT_USER\Software\..."), or null when there is no such key.
  const RegistryValues *find_key(std::string_view key) const;

  /// The bytes of value `name` of `key`, or nullopt when the key or the
  /// value is missing.
  std::optional<std::string> find_value(std::string_view key,
                                        std::string_view name) const;

  std::size_t key_count() const { return m_keys.size(); }

private:
  std::map<std::string, RegistryValues> m_keys; // by lower-cased full name
};

/// The registry stand-in's file for this user, or nullopt when neither
/// XDG_CONFIG_HOME nor HOME is set.
std::optional<std::filesystem::path> registry_file_path();

/// The root keys the program uses.
enum class RegistryHive { CurrentUser, LocalMachine };

/// An open key of the registry stand-in, read-only: a snapshot of its values
/// taken when it was opened.
class RegistryKey {
public:
  /// Opens `subkey` under `hive` for reading from the user's registry file.
  /// nullopt when the file is missing, unreadable or malformed, or has no
  /// such key.
  static std::optional<RegistryKey> open(RegistryHive hive,
                                         std::string_view subkey);

  /// As above, from the registry file at `file`.
  static std::optional<RegistryKey> open(const std::filesystem::path &file,
                                         RegistryHive hive,
                                         std::string_view subkey);

  /// The bytes of value `name`, or nullopt when the key has no such value.
  /// The bytes are returned whole, whatever their length; they carry no
  /// terminator of their own and may contain zero bytes.
  std::optional<std::string> query_value(std::string_view name) const;

private:
  explicit RegistryKey(RegistryValues values) : m_values(std::move(values)) {}
  RegistryValues m_values;
};

/// The full key name of `subkey` under `hive`, as a registry file spells it.
std::string full_key_name(RegistryHive hive, std::string_view subkey);

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_REGISTRY_H
