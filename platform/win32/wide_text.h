// Conversions between the platform's UTF-16 and byte texts in one code page
// (936 for GBK, CP_UTF8), for the Windows platform layer.
#ifndef QUADRIX_PLATFORM_WIN32_WIDE_TEXT_H
#define QUADRIX_PLATFORM_WIN32_WIDE_TEXT_H

#include <string>
#include <string_view>

namespace qx::platform::win32 {

inline constexpr unsigned kGbkCodePage = 936;

/// `text` in code page `code_page` as UTF-16 in `out`. With `strict`,
/// invalid input gives false and leaves `out` empty; without, the system's
/// replacement character is used.
bool to_wide(std::string_view text, unsigned code_page, bool strict,
             std::wstring &out);

/// UTF-16 `text` in code page `code_page`. With `strict`, a character the
/// code page cannot represent (or an unpaired surrogate) gives false.
bool from_wide(std::wstring_view text, unsigned code_page, bool strict,
               std::string &out);

/// UTF-16 to UTF-8, lossless for well-formed input.
std::string to_utf8(std::wstring_view text);

} // namespace qx::platform::win32

#endif // QUADRIX_PLATFORM_WIN32_WIDE_TEXT_H
