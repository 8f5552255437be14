// The registry on Windows: the real one, read through RegOpenKeyEx and
// RegQueryValueEx. A key is opened for reading and its values copied at
// once; every read is sized by the system's own byte count, so a value
// without a terminator, or longer than any fixed buffer, is read whole.
#include "platform/registry.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace qx::platform {
namespace {

// Closes an open key when it goes out of scope.
class OpenKey {
public:
  explicit OpenKey(HKEY key) : m_key(key) {}
  OpenKey(const OpenKey &) = delete;
  OpenKey &operator=(const OpenKey &) = delete;
  ~OpenKey() { RegCloseKey(m_key); }
  HKEY get() const { return m_key; }

private:
  HKEY m_key;
};

HKEY root_of(RegistryHive hive) {
  return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER
                                           : HKEY_LOCAL_MACHINE;
}

std::string lower_ascii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return text;
}

// The bytes of value `name`, nullopt when it cannot be read. The value may
// change size between the two calls; the read is repeated then.
std::optional<std::vector<BYTE>> query_bytes(HKEY key, const wchar_t *name,
                                             DWORD &type) {
  std::vector<BYTE> bytes;
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = static_cast<DWORD>(bytes.size());
    const LONG status =
        RegQueryValueExW(key, name, nullptr, &type,
                         bytes.empty() ? nullptr : bytes.data(), &size);
    if (status == ERROR_SUCCESS && (!bytes.empty() || size == 0)) {
      bytes.resize(size);
      return bytes;
    }
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)
      return std::nullopt;
    bytes.resize(std::max<DWORD>(size, 1));
  }
  return std::nullopt;
}

// A value's bytes as RegistryKey hands them out: text as UTF-8 without a
// terminator (it ends at its first zero character, if any), anything else
// as stored.
std::string value_bytes(DWORD type, const std::vector<BYTE> &bytes) {
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return std::string(bytes.begin(), bytes.end());
  std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
  std::copy_n(bytes.begin(), text.size() * sizeof(wchar_t),
              reinterpret_cast<BYTE *>(text.data()));
  text.resize(std::min(text.size(), text.find(L'\0')));
  return win32::to_utf8(text);
}

} // namespace

std::optional<std::filesystem::path> registry_file_path() {
  // Windows has the registry itself: no stand-in file.
  return std::nullopt;
}

std::optional<RegistryKey> RegistryKey::open(RegistryHive hive,
                                             std::string_view subkey) {
  std::wstring wide_subkey;
  if (!win32::to_wide(subkey, CP_UTF8, true, wide_subkey))
    return std::nullopt;
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root_of(hive), wide_subkey.c_str(), 0, KEY_READ, &handle) !=
      ERROR_SUCCESS)
    return std::nullopt;
  const OpenKey key(handle);
  DWORD count = 0;
  DWORD longest_name = 0;
  if (RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                       nullptr, &count, &longest_name, nullptr, nullptr,
                       nullptr) != ERROR_SUCCESS)
    return std::nullopt;
  RegistryValues values;
  std::wstring name(longest_name + 1, L'\0');
  for (DWORD index = 0; index < count; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LONG status = RegEnumValueW(key.get(), index, name.data(), &length,
                                      nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS)
      break;
    if (status != ERROR_SUCCESS)
      continue; // renamed or removed meanwhile
    const std::wstring value_name(name.data(), length);
    DWORD type = REG_NONE;
    const std::optional<std::vector<BYTE>> bytes =
        query_bytes(key.get(), value_name.c_str(), type);
    if (bytes)
      values[lower_ascii(win32::to_utf8(value_name))] =
          value_bytes(type, *bytes);
  }
  return RegistryKey(std::move(values));
}

} // namespace qx::platform
