// Conversion between GBK (code page 936) and UTF-8.
#ifndef QUADRIX_PLATFORM_GBK_H
#define QUADRIX_PLATFORM_GBK_H

#include <cstddef>
#include <string>
#include <string_view>

namespace qx::platform {

/// The result of a conversion: the converted text and how many bad input
/// sequences were replaced.
struct TextConversion {
  std::string text;
  std::size_t replacements = 0;
  /// Byte offset in the input of the first bad sequence (meaningful when
  /// replacements > 0).
  std::size_t first_bad_offset = 0;
};

/// GBK to UTF-8. A byte that starts no GBK character, a lead byte whose
/// second byte is not a valid trail byte, and a lead byte cut off at the end
/// of the input each become U+FFFD. A bad pair whose second byte is ASCII
/// keeps that character: only the lead byte is replaced.
TextConversion convert_gbk_to_utf8(std::string_view gbk);

/// UTF-8 to GBK. A malformed UTF-8 sequence (including a truncated one at
/// the end) and a character that GBK cannot represent each become '?'.
TextConversion convert_utf8_to_gbk(std::string_view utf8);

/// The converted text alone, with the replacements described above.
/// All four functions throw std::runtime_error only when the system has no
/// GBK converter at all (an incomplete installation).
std::string gbk_to_utf8(std::string_view gbk);
std::string utf8_to_gbk(std::string_view utf8);

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_GBK_H
