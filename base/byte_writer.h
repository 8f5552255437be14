// Little-endian writing of image and form bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace qx::image {

// Appends fields to a growing byte vector.
class ByteWriter {
public:
  std::size_t size() const { return m_bytes.size(); }
  const std::vector<std::uint8_t> &bytes() const { return m_bytes; }
  std::vector<std::uint8_t> take() { return std::move(m_bytes); }

  void put_u8(std::uint8_t value) { m_bytes.push_back(value); }
  void put_u16(std::uint16_t value);
  void put_u32(std::uint32_t value);
  void put_i32(std::int32_t value) {
    put_u32(static_cast<std::uint32_t>(value));
  }
  void put_u64(std::uint64_t value);
  void put_bytes(std::span<const std::uint8_t> bytes);
  void put_text(std::string_view bytes);
  void put_zeros(std::size_t count) { m_bytes.resize(m_bytes.size() + count); }
  // The bytes and one terminating zero. The caller makes sure the text holds
  // no zero byte.
  void put_cstring(std::string_view text);
  // A u32 byte length, then the bytes. Throws std::length_error for a text
  // of 4 GiB or more.
  void put_counted_text(std::string_view text);
  // Overwrites four bytes already written.
  void patch_u32(std::size_t position, std::uint32_t value);

private:
  std::vector<std::uint8_t> m_bytes;
};

// Narrows a size to the u32 the formats store; throws std::length_error
// naming `what` when it does not fit.
std::uint32_t checked_u32(std::size_t value, std::string_view what);

} // namespace qx::image
