// GBK (code page 936) to and from UTF-8 through iconv.
#include "platform/gbk.h"
#include "platform/gbk_sequences.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace qx::platform {
namespace {

using detail::bad_gbk_length;
using detail::bad_utf8_length;

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
