// Little-endian writing of image and form bytes.
#include "base/byte_writer.h"

#include <stdexcept>
#include <string>

namespace qx::image {

void ByteWriter::put_u16(std::uint16_t value) {
  put_u8(static_cast<std::uint8_t>(value));
  put_u8(static_cast<std::uint8_t>(value >> 8));
}

void ByteWriter::put_u32(std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    put_u8(static_cast<std::uint8_t>(value >> shift));
}

void ByteWriter::put_u64(std::uint64_t value) {
  put_u32(static_cast<std::uint32_t>(value));
  put_u32(static_cast<std::uint32_t>(value >> 32));
}

void ByteWriter::put_bytes(std::span<const std::uint8_t> bytes) {
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void ByteWriter::put_text(std::string_view bytes) {
  m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
}

void ByteWriter::put_cstring(std::string_view text) {
  put_text(text);
  put_u8(0);
}

void ByteWriter::put_counted_text(std::string_view text) {
  put_u32(checked_u32(text.size(), "counted text length"));
  put_text(text);
}

void ByteWriter::patch_u32(std::size_t position, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    m_bytes.at(position + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t checked_u32(std::size_t value, std::string_view what) {
  if (value > 0xFFFFFFFFu)
    throw std::length_error(std::string(what) + " does not fit in 32 bits");
  return static_cast<std::uint32_t>(value);
}

} // namespace qx::image
