// The sequence rules of platform/gbk_sequences.h.
#include "platform/gbk_sequences.h"

namespace qx::platform::detail {

std::size_t bad_gbk_length(std::string_view bytes) {
  auto lead = static_cast<unsigned char>(bytes[0]);
  // A lead byte swallows its partner unless the partner is ASCII, which
  // then stands for itself.
  if (lead >= 0x81 && lead <= 0xFE && bytes.size() >= 2 &&
      static_cast<unsigned char>(bytes[1]) >= 0x80)
    return 2;
  return 1;
}

// Length of the well-formed UTF-8 character at the start of `bytes`, or 1
// when it is malformed (so that each bad byte is replaced on its own).
std::size_t bad_utf8_length(std::string_view bytes) {
  auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
  };
  unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0)
      low = 0xA0; // no overlong forms
    if (lead == 0xED)
      high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F; // nothing above U+10FFFF
  } else {
    return 1;
  }
  if (bytes.size() < length)
    return 1;
  if (byte(1) < low || byte(1) > high)
    return 1;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF)
      return 1;
  }
  return length;
}

} // namespace qx::platform::detail
