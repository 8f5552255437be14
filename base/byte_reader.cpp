// Bounds-checked little-endian reading of image and form bytes.
#include "base/byte_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace qx::image {

std::string hex(std::uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%llx",
                static_cast<unsigned long long>(value));
  return buffer;
}

ByteReader::ByteReader(std::span<const std::uint8_t> bytes, std::string context,
                       std::size_t base)
    : m_bytes(bytes), m_context(std::move(context)), m_base(base) {}

void ByteReader::fail_at(std::size_t position, std::string_view field,
                         std::string_view problem) const {
  std::string message = m_context;
  message += ": ";
  message += field;
  message += " at offset ";
  message += hex(m_base + position);
  message += ' ';
  message += problem;
  throw FormatError(message);
}

void ByteReader::fail(std::string_view field, std::string_view problem) const {
  fail_at(m_position, field, problem);
}

void ByteReader::seek(std::size_t position, std::string_view field) {
  if (position > m_bytes.size())
    fail_at(position, field,
            "lies past the end (" + hex(m_bytes.size()) + " bytes)");
  m_position = position;
}

void ByteReader::require(std::size_t count, std::string_view field) const {
  if (count <= remaining())
    return;
  fail(field,
       "needs " + hex(count) + " bytes, only " + hex(remaining()) + " remain");
}

std::uint8_t ByteReader::read_u8(std::string_view field) {
  require(1, field);
  return m_bytes[m_position++];
}

std::uint16_t ByteReader::read_u16(std::string_view field) {
  require(2, field);
  auto value = static_cast<std::uint16_t>(m_bytes[m_position] |
                                          (m_bytes[m_position + 1] << 8));
  m_position += 2;
  return value;
}

std::uint32_t ByteReader::read_u32(std::string_view field) {
  require(4, field);
  std::uint32_t value = load_u32(m_bytes, m_position);
  m_position += 4;
  return value;
}

std::int32_t ByteReader::read_i32(std::string_view field) {
  return static_cast<std::int32_t>(read_u32(field));
}

std::uint64_t ByteReader::read_u64(std::string_view field) {
  require(8, field);
  std::uint64_t value = load_u64(m_bytes, m_position);
  m_position += 8;
  return value;
}

std::span<const std::uint8_t> ByteReader::read_bytes(std::size_t count,
                                                     std::string_view field) {
  require(count, field);
  auto bytes = m_bytes.subspan(m_position, count);
  m_position += count;
  return bytes;
}

std::string ByteReader::read_cstring(std::string_view field) {
  auto rest = m_bytes.subspan(m_position);
  auto terminator = std::find(rest.begin(), rest.end(), std::uint8_t{0});
  if (terminator == rest.end())
    fail(field, "has no terminating zero before the end (" + hex(remaining()) +
                    " bytes remain)");
  std::string text(rest.begin(), terminator);
  m_position += text.size() + 1;
  return text;
}

std::string ByteReader::read_counted_text(std::string_view field) {
  std::size_t start = m_position;
  std::uint32_t length = read_u32(field);
  if (length > remaining())
    fail_at(start, field,
            "has length " + hex(length) + ", which runs past the end (" +
                hex(remaining()) + " bytes remain)");
  auto bytes = read_bytes(length, field);
  return std::string(bytes.begin(), bytes.end());
}

void ByteReader::expect_zeros(std::size_t count, std::string_view field) {
  std::size_t start = m_position;
  auto bytes = read_bytes(count, field);
  auto non_zero = std::find_if(bytes.begin(), bytes.end(),
                               [](std::uint8_t b) { return b != 0; });
  if (non_zero != bytes.end())
    fail_at(start + static_cast<std::size_t>(non_zero - bytes.begin()), field,
            "should be zero, is " + hex(*non_zero));
}

void ByteReader::expect_u32(std::uint32_t expected, std::string_view field) {
  std::size_t start = m_position;
  std::uint32_t value = read_u32(field);
  if (value != expected)
    fail_at(start, field, "should be " + hex(expected) + ", is " + hex(value));
}

std::uint32_t load_u32(std::span<const std::uint8_t> bytes,
                       std::size_t position) {
  return static_cast<std::uint32_t>(bytes[position]) |
         (static_cast<std::uint32_t>(bytes[position + 1]) << 8) |
         (static_cast<std::uint32_t>(bytes[position + 2]) << 16) |
         (static_cast<std::uint32_t>(bytes[position + 3]) << 24);
}

std::uint64_t load_u64(std::span<const std::uint8_t> bytes,
                       std::size_t position) {
  return static_cast<std::uint64_t>(load_u32(bytes, position)) |
         (static_cast<std::uint64_t>(load_u32(bytes, position + 4)) << 32);
}

void store_u64(std::span<std::uint8_t> bytes, std::size_t position,
               std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i)
    bytes[position + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace qx::image
