// GBK (code page 936) to and from UTF-8 through the system's converters.
//
// The whole text is converted at once when it is clean; otherwise it goes
// one character at a time, so that every bad sequence is replaced exactly
// as platform/gbk.h describes.
#include "platform/gbk.h"

#include "platform/gbk_sequences.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <stdexcept>

namespace qx::platform {
namespace {

using win32::kGbkCodePage;

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kReplacementGbk = "?";

void require_gbk_converter() {
  if (!IsValidCodePage(kGbkCodePage))
    throw std::runtime_error("the system has no converter for code page 936");
}

// One step's text in the other encoding, or false when it cannot be
// converted.
bool gbk_piece_to_utf8(std::string_view gbk, std::string &out) {
  std::wstring wide;
  return win32::to_wide(gbk, kGbkCodePage, true, wide) &&
         win32::from_wide(wide, CP_UTF8, true, out);
}

bool utf8_piece_to_gbk(std::string_view utf8, std::string &out) {
  std::wstring wide;
  return win32::to_wide(utf8, CP_UTF8, true, wide) &&
         win32::from_wide(wide, kGbkCodePage, true, out);
}

// Length of the GBK character at the start of `bytes`, as far as its bytes
// tell: two for a lead byte with a partner, else one.
std::size_t gbk_character_length(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  return lead >= 0x81 && lead <= 0xFE && bytes.size() >= 2 ? 2 : 1;
}

void note_replacement(TextConversion &result, std::size_t offset) {
  if (result.replacements == 0)
    result.first_bad_offset = offset;
  ++result.replacements;
}

} // namespace

TextConversion convert_gbk_to_utf8(std::string_view gbk) {
  require_gbk_converter();
  TextConversion result;
  if (gbk_piece_to_utf8(gbk, result.text))
    return result;
  result.text.clear();
  std::size_t offset = 0;
  std::string piece;
  while (offset < gbk.size()) {
    const std::string_view rest = gbk.substr(offset);
    const auto byte = static_cast<unsigned char>(rest[0]);
    if (byte < 0x80) {
      result.text += rest[0];
      ++offset;
      continue;
    }
    const std::size_t length = gbk_character_length(rest);
    if (gbk_piece_to_utf8(rest.substr(0, length), piece)) {
      result.text += piece;
      offset += length;
      continue;
    }
    note_replacement(result, offset);
    result.text += kReplacementUtf8;
    offset += detail::bad_gbk_length(rest);
  }
  return result;
}

TextConversion convert_utf8_to_gbk(std::string_view utf8) {
  require_gbk_converter();
  TextConversion result;
  if (utf8_piece_to_gbk(utf8, result.text))
    return result;
  result.text.clear();
  std::size_t offset = 0;
  std::string piece;
  while (offset < utf8.size()) {
    const std::string_view rest = utf8.substr(offset);
    const std::size_t length = detail::utf8_cut_off(rest)
                                   ? rest.size()
                                   : detail::bad_utf8_length(rest);
    if (utf8_piece_to_gbk(rest.substr(0, length), piece)) {
      result.text += piece;
    } else {
      note_replacement(result, offset);
      result.text += kReplacementGbk;
    }
    offset += length;
  }
  return result;
}

std::string gbk_to_utf8(std::string_view gbk) {
  return convert_gbk_to_utf8(gbk).text;
}

std::string utf8_to_gbk(std::string_view utf8) {
  return convert_utf8_to_gbk(utf8).text;
}

} // namespace qx::platform
