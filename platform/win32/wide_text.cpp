// Code page conversions through MultiByteToWideChar / WideCharToMultiByte.
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace qx::platform::win32 {

bool to_wide(std::string_view text, unsigned code_page, bool strict,
             std::wstring &out) {
  out.clear();
  if (text.empty())
    return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX))
    return false;
  const DWORD flags = strict ? MB_ERR_INVALID_CHARS : 0;
  const int length = static_cast<int>(text.size());
  const int needed =
      MultiByteToWideChar(code_page, flags, text.data(), length, nullptr, 0);
  if (needed <= 0)
    return false;
  out.resize(static_cast<std::size_t>(needed));
  const int written = MultiByteToWideChar(code_page, flags, text.data(), length,
                                          out.data(), needed);
  if (written != needed) {
    out.clear();
    return false;
  }
  return true;
}

bool from_wide(std::wstring_view text, unsigned code_page, bool strict,
               std::string &out) {
  out.clear();
  if (text.empty())
    return true;
  if (text.size() > static_cast<std::size_t>(INT_MAX))
    return false;
  const int length = static_cast<int>(text.size());
  // UTF-8 takes no default character; it reports unpaired surrogates
  // through WC_ERR_INVALID_CHARS instead.
  const bool utf8 = code_page == CP_UTF8;
  const DWORD flags = utf8 ? (strict ? WC_ERR_INVALID_CHARS : 0)
                           : (strict ? WC_NO_BEST_FIT_CHARS : 0);
  BOOL used_default = FALSE;
  BOOL *used_default_out = utf8 || !strict ? nullptr : &used_default;
  const int needed = WideCharToMultiByte(code_page, flags, text.data(), length,
                                         nullptr, 0, nullptr, used_default_out);
  if (needed <= 0 || used_default)
    return false;
  out.resize(static_cast<std::size_t>(needed));
  const int written =
      WideCharToMultiByte(code_page, flags, text.data(), length, out.data(),
                          needed, nullptr, used_default_out);
  if (written != needed || used_default) {
    out.clear();
    return false;
  }
  return true;
}

std::string to_utf8(std::wstring_view text) {
  std::string out;
  from_wide(text, CP_UTF8, false, out);
  return out;
}

} // namespace qx::platform::win32
