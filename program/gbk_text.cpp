// Strict UTF-8 to GBK conversion for texts the image writer stores.
#include "program/gbk_text.h"

#include "base/byte_reader.h"
#include "base/format_error.h"
#include "platform/gbk.h"

namespace qx::image {

std::string to_gbk(std::string_view utf8, std::string_view what) {
  platform::TextConversion converted = platform::convert_utf8_to_gbk(utf8);
  if (converted.replacements != 0)
    throw FormatError(std::string(what) + ": the text has no GBK form (" +
                      std::to_string(converted.replacements) +
                      " bad characters, the first at byte " +
                      hex(converted.first_bad_offset) + ")");
  return std::move(converted.text);
}

} // namespace qx::image
