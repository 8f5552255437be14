// Tests of where bad GBK and UTF-8 sequences end: the rules every
// platform's converter replaces by.
#include "platform/gbk_sequences.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using qx::platform::detail::bad_gbk_length;
using qx::platform::detail::bad_utf8_length;
using qx::platform::detail::utf8_cut_off;

TEST(GbkSequences, Utf8CharacterLengthsAndCutOffEnds) {
  const struct {
    std::string_view bytes;
    std::size_t bad_length;
    bool cut_off;
    const char *what;
  } cases[] = {
      {"A", 1, false, "ASCII"},
      {"\xC2\xA9", 2, false, "two bytes"},
      {"\xE4\xB8\xAD", 3, false, "three bytes"},
      {"\xF0\x9F\x98\x80", 4, false, "four bytes"},
      {"\xE4\xB8\xADx", 3, false, "a character before more text"},
      {"\xC2", 1, true, "a two-byte lead alone"},
      {"\xE4\xB8", 1, true, "three bytes cut after two"},
      {"\xF0\x9F\x98", 1, true, "four bytes cut after three"},
      {"\xE4\x41", 1, false, "a lead before ASCII"},
      {"\xE4\xB8\x41", 1, false, "a lead, a continuation and ASCII"},
      {"\xE0\x80", 1, false, "the start of an overlong form"},
      {"\xC0\xAF", 1, false, "an overlong two-byte form"},
      {"\xED\xA0", 1, false, "the start of a surrogate"},
      {"\xF4\x90", 1, false, "the start of a code above U+10FFFF"},
      {"\xF5\x80\x80\x80", 1, false, "a lead byte above F4"},
      {"\x80", 1, false, "a continuation alone"},
      {"\xFF", 1, false, "a byte that starts nothing"},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(bad_utf8_length(c.bytes), c.bad_length) << c.what;
    EXPECT_EQ(utf8_cut_off(c.bytes), c.cut_off) << c.what;
  }
}

TEST(GbkSequences, GbkLeadSwallowsOnlyANonAsciiPartner) {
  const struct {
    std::string_view bytes;
    std::size_t length;
  } cases[] = {
      {"\x81\xFF", 2}, {"\xD6\x80", 2}, {"\x81\x41", 1}, {"\x81 ", 1},
      {"\x81", 1},     {"\xFF\xFF", 1}, {"\x80\x80", 1}, {"A\xFF", 1},
  };
  for (const auto &c : cases)
    EXPECT_EQ(bad_gbk_length(c.bytes), c.length)
        << static_cast<int>(static_cast<unsigned char>(c.bytes[0]));
}

} // namespace
