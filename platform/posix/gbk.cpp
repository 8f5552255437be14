// GBK (code page 936) to and from UTF-8 through iconv.
#include "platform/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace qx::platform {
namespace {

constexpr const char *kGbkName = "CP936";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD"; // U+FFFD
constexpr std::string_view kReplacementGbk = "?";

// Owns one iconv conversion descriptor.
class Converter {
public:
  Converter(const char *to, const char *from) : m_handle(iconv_open(to, from)) {
    if (m_handle == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("iconv cannot convert from ") +
                               from + " to " + to);
  }
  Converter(const Converter &) = delete;
  Converter &operator=(const Converter &) = delete;
  ~Converter() { iconv_close(m_handle); }

  iconv_t handle() const { return m_handle; }

private:
  iconv_t m_handle;
};

// Length of the bad sequence at the start of `bytes` (never 0) that the
// decoder has just refused.
using BadLengthFn = std::size_t (*)(std::string_view bytes);

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

enum class Direction { ToUtf8, ToGbk };

// The descriptor of one direction, opened once per thread and reset to its
// initial shift state before each use.
Converter &cached_converter(Direction direction) {
  thread_local Converter to_utf8("UTF-8", kGbkName);
  thread_local Converter to_gbk(kGbkName, "UTF-8");
  Converter &converter = direction == Direction::ToGbk ? to_gbk : to_utf8;
  iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
  return converter;
}

TextConversion convert(std::string_view input, Direction direction,
                       std::string_view replacement, BadLengthFn bad_length) {
  Converter &converter = cached_converter(direction);
  TextConversion result;
  std::string &output = result.text;
  output.resize(input.size() * 2 + 16);
  std::size_t used = 0;
  std::size_t offset = 0;

  auto replace = [&](std::size_t length) {
    if (result.replacements++ == 0)
      result.first_bad_offset = offset;
    output.replace(used, replacement.size(), replacement);
    used += replacement.size();
    offset += length;
    iconv(converter.handle(), nullptr, nullptr, nullptr, nullptr);
  };

  while (offset < input.size()) {
    // Room for at least one replacement after any stop.
    if (output.size() - used < 16)
      output.resize(output.size() * 2);
    // iconv's interface is not const-correct; it does not write the input.
    char *in = const_cast<char *>(input.data() + offset);
    std::size_t in_left = input.size() - offset;
    char *out = output.data() + used;
    std::size_t out_left = output.size() - used - kReplacementUtf8.size();
    std::size_t done =
        iconv(converter.handle(), &in, &in_left, &out, &out_left);
    int error = errno;
    offset = input.size() - in_left;
    used = static_cast<std::size_t>(out - output.data());
    if (done != static_cast<std::size_t>(-1))
      continue;
    if (error == E2BIG)
      continue;
    if (error == EINVAL) { // cut off at the end of the input
      replace(input.size() - offset);
      continue;
    }
    replace(bad_length(input.substr(offset)));
  }
  output.resize(used);
  return result;
}

} // namespace

TextConversion convert_gbk_to_utf8(std::string_view gbk) {
  return convert(gbk, Direction::ToUtf8, kReplacementUtf8, bad_gbk_length);
}

TextConversion convert_utf8_to_gbk(std::string_view utf8) {
  return convert(utf8, Direction::ToGbk, kReplacementGbk, bad_utf8_length);
}

std::string gbk_to_utf8(std::string_view gbk) {
  return convert_gbk_to_utf8(gbk).text;
}

std::string utf8_to_gbk(std::string_view utf8) {
  return convert_utf8_to_gbk(utf8).text;
}

} // namespace qx::platform
