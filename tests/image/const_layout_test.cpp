// Tests of the const section's layout against the classic table.
#include "base/byte_reader.h"
#include "program/const_layout.h"
#include "program/const_pool.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qx::image {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Expected {
  std::uint32_t offset;
  Bytes bytes;
};

Bytes words(std::initializer_list<std::uint32_t> values) {
  Bytes out;
  for (std::uint32_t v : values)
    for (int i = 0; i < 4; ++i)
      out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  return out;
}

Bytes text(const std::string &bytes) {
  Bytes out(bytes.begin(), bytes.end());
  out.push_back(0);
  return out;
}

TEST(ConstLayout, ItemsMatchTheClassicTableByteForByte) {
  Bytes data = write_const_data();
  // 0x202 bytes of the classic table, then the added message.
  ASSERT_EQ(data.size(), konst::kClassicSize + 58);
  const Expected expected[] = {
      {0x000, {0x00, 0xC7, 0xEB}},             // "", then 请 of the next item
      {0x076, {0, 0, 0, 0, 0, 0, 0x10, 0x40}}, // 4.0
      {0x07E, text("\xB7\xBD\xB3\xCC\xCE\xDE\xCA\xB5\xCA\xFD\xB8\xF9")},
      {0x08B, {0, 0, 0, 0, 0, 0, 0x00, 0x40}}, // 2.0
      {0x093, text("/")},
      {0x095, text("&")},
      {0x097, words({1, 0})},
      {0x09F, text("0/0")},
      {0x0A3, text("0&0/0")},
      {0x0A9, {0x48, 0xAF, 0xBC, 0x9A, 0xF2, 0xD7, 0x7A, 0x3E}}, // 1e-07
      {0x0B1, {0x48, 0xAF, 0xBC, 0x9A, 0xF2, 0xD7, 0x7A, 0xBE}}, // -1e-07
      {0x0B9, text("SystemRoot")},
      {0x0C4, text("\\system32\\notepad.exe")},
      {0x0DC, {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}}, // 1.0
      {0x0E8, text("\\system32\\calc.exe")},
      {0x113, text("Software\\Microsoft\\Internet Explorer\\Main\\Start Page")},
      {0x148, text("-")},
      {0x14A, words({1, 3, 10, 100, 1000})},
      {0x15E, words({1, 3})},
      {0x1F7, text("\xB7\xBD\xB3\xCC\xD7\xE9\xCE\xDE\xBD\xE2")}, // 方程组无解
  };
  for (const Expected &item : expected) {
    ASSERT_LE(item.offset + item.bytes.size(), data.size());
    Bytes actual(data.begin() + item.offset,
                 data.begin() + item.offset + item.bytes.size());
    EXPECT_EQ(actual, item.bytes) << "item at " << hex(item.offset);
  }
  // The web address: 23 bytes and its zero, ending where the next item
  // starts.
  EXPECT_EQ(data[0x0FB + 23], 0);
  EXPECT_EQ(std::count(data.begin() + 0x0FB, data.begin() + 0x113, 0), 1);
  EXPECT_EQ(data[konst::kClassicSize - 1], 0);
}

TEST(ConstLayout, ItemAtAWrongOffsetIsRefused) {
  std::vector<ConstItem> items(const_items().begin(), const_items().end());
  items[3].offset += 1;
  EXPECT_THROW(write_const_data(items), FormatError);
}

TEST(ConstLayout, TextWithoutAGbkFormIsRefused) {
  const ConstItem items[] = {{0, ConstKind::Text, "\xF0\x9F\x98\x80", 0, {}}};
  EXPECT_THROW(write_const_data(items), FormatError);
}

TEST(ConstLayout, ArrayWordsMustAgreeWithTheirSizes) {
  const std::uint32_t short_array[] = {1, 3, 10, 100};
  const std::uint32_t header_only[] = {2, 2, 3};
  const std::uint32_t full[] = {2, 2, 1, 7, 8};
  const ConstItem bad[] = {{0, ConstKind::Array, {}, 0, short_array}};
  const ConstItem template_header[] = {
      {0, ConstKind::Array, {}, 0, header_only}};
  const ConstItem two_by_one[] = {{0, ConstKind::Array, {}, 0, full}};
  EXPECT_THROW(write_const_data(bad), FormatError);
  EXPECT_EQ(write_const_data(template_header).size(), 12u);
  EXPECT_EQ(write_const_data(two_by_one).size(), 20u);
}

} // namespace
} // namespace qx::image
