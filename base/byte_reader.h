// Bounds-checked little-endian reading of image and form bytes.
#pragma once

#include "base/format_error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace qx::image {

// "0x1a2b": the form every error message uses for offsets and values.
std::string hex(std::uint64_t value);

// Reads fields from a span, front to back. Every read checks the bytes that
// remain first and throws qx::FormatError naming the context (e.g. "form
// record 17 (0x160100A5)"), the field and the offset of the field. Offsets in
// messages are `base` + the position in the span, so a reader over a part of
// a larger block reports offsets within that block.
class ByteReader {
public:
  ByteReader(std::span<const std::uint8_t> bytes, std::string context,
             std::size_t base = 0);

  std::size_t position() const { return m_position; }
  std::size_t size() const { return m_bytes.size(); }
  std::size_t remaining() const { return m_bytes.size() - m_position; }
  bool at_end() const { return m_position == m_bytes.size(); }
  // The offset of the current position as messages give it.
  std::size_t offset() const { return m_base + m_position; }

  // Moves to `position`, which may equal the size (an empty remainder).
  void seek(std::size_t position, std::string_view field);
  // Throws unless `count` bytes remain.
  void require(std::size_t count, std::string_view field) const;

  std::uint8_t read_u8(std::string_view field);
  std::uint16_t read_u16(std::string_view field);
  std::uint32_t read_u32(std::string_view field);
  std::int32_t read_i32(std::string_view field);
  std::uint64_t read_u64(std::string_view field);
  std::span<const std::uint8_t> read_bytes(std::size_t count,
                                           std::string_view field);
  // A zero-terminated text; the terminator must lie inside the span.
  std::string read_cstring(std::string_view field);
  // A u32 byte length followed by that many bytes, no terminator.
  std::string read_counted_text(std::string_view field);

  // Fields that hold one fixed value in every well-formed input.
  void expect_zeros(std::size_t count, std::string_view field);
  void expect_u32(std::uint32_t expected, std::string_view field);

  // Throws the error for `field` at the current position.
  [[noreturn]] void fail(std::string_view field,
                         std::string_view problem) const;
  [[noreturn]] void fail_at(std::size_t position, std::string_view field,
                            std::string_view problem) const;

private:
  std::span<const std::uint8_t> m_bytes;
  std::string m_context;
  std::size_t m_base;
  std::size_t m_position = 0;
};

// Little-endian decoding of a value at a position the caller has checked.
std::uint32_t load_u32(std::span<const std::uint8_t> bytes,
                       std::size_t position);
std::uint64_t load_u64(std::span<const std::uint8_t> bytes,
                       std::size_t position);
void store_u64(std::span<std::uint8_t> bytes, std::size_t position,
               std::uint64_t value);

} // namespace qx::image
