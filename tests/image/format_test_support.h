// Helpers shared by the tests of the image and form readers: patching a
// little-endian word into bytes, and the message a reader rejects them with.
#pragma once

#include "base/format_error.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qx::test {

inline void put_u32(std::vector<std::uint8_t> &bytes, std::size_t at,
                    std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

// The message of the FormatError that `read` throws, or "(no error)" when
// it accepts its input.
template <typename Fn> std::string error_of(Fn &&read) {
  try {
    read();
  } catch (const FormatError &error) {
    return error.what();
  }
  return "(no error)";
}

} // namespace qx::test
