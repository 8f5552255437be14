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

namespace {

// How the UTF-8 character at the start of `bytes` is made: the length its
// lead byte announces (0 for a byte that starts none) and how many of the
// bytes present fit that character, lead byte included.
struct Utf8Start {
  std::size_t length = 0;
  std::size_t fitting = 0;
};

Utf8Start utf8_start(std::string_view bytes) {
  auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(bytes[i]);
  };
  const unsigned char lead = byte(0);
  Utf8Start start;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    start.length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    start.length = 3;
    if (lead == 0xE0)
      low = 0xA0; // no overlong forms
    if (lead == 0xED)
      high = 0x9F; // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    start.length = 4;
    if (lead == 0xF0)
      low = 0x90;
    if (lead == 0xF4)
      high = 0x8F; // nothing above U+10FFFF
  } else {
    return start;
  }
  start.fitting = 1;
  while (start.fitting < start.length && start.fitting < bytes.size()) {
    const unsigned char next = byte(start.fitting);
    const bool fits = start.fitting == 1 ? next >= low && next <= high
                                         : next >= 0x80 && next <= 0xBF;
    if (!fits)
      break;
    ++start.fitting;
  }
  return start;
}

} // namespace

std::size_t bad_utf8_length(std::string_view bytes) {
  const Utf8Start start = utf8_start(bytes);
  return start.length > 0 && start.fitting == start.length ? start.length : 1;
}

bool utf8_cut_off(std::string_view bytes) {
  const Utf8Start start = utf8_start(bytes);
  return start.fitting == bytes.size() && bytes.size() < start.length;
}

} // namespace qx::platform::detail
