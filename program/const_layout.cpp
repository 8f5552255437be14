// Lays out the const section's data from the declared items.
#include "program/const_layout.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/format_error.h"
#include "program/gbk_text.h"

#include <algorithm>
#include <bit>
#include <string>

namespace qx::image {
namespace {

// An array item is its dimension count, one size per dimension, then either
// no elements (a header used as a template) or all of them.
void check_array_words(std::span<const std::uint32_t> words,
                       const std::string &name) {
  if (words.empty() || words[0] > words.size() - 1)
    throw FormatError(name + ": the array's dimension count does not match "
                             "its words");
  std::uint64_t elements = 1;
  for (std::uint32_t d = 1; d <= words[0]; ++d)
    elements = std::min<std::uint64_t>(elements * words[d], 1u << 30);
  std::size_t stored = words.size() - 1 - words[0];
  if (stored != 0 && stored != elements)
    throw FormatError(name + ": the array stores " + std::to_string(stored) +
                      " elements, its sizes give " + std::to_string(elements));
}

// Appends one item's bytes; `name` identifies it in errors.
void put_item(ByteWriter &out, const ConstItem &item, const std::string &name) {
  switch (item.kind) {
  case ConstKind::Text: {
    std::string gbk = to_gbk(item.text, name);
    if (gbk.find('\0') != std::string::npos)
      throw FormatError(name + ": the text holds a zero byte");
    out.put_cstring(gbk);
    break;
  }
  case ConstKind::Double:
    out.put_u64(std::bit_cast<std::uint64_t>(item.number));
    break;
  case ConstKind::Array:
    check_array_words(item.array_words, name);
    for (std::uint32_t word : item.array_words)
      out.put_u32(word);
    break;
  }
}

} // namespace

std::vector<std::uint8_t> write_const_data(std::span<const ConstItem> items) {
  ByteWriter out;
  for (const ConstItem &item : items) {
    std::string name = "const item at " + hex(item.offset);
    if (out.size() != item.offset)
      throw FormatError(name + ": the items before it end at " +
                        hex(out.size()));
    put_item(out, item, name);
  }
  return out.take();
}

void assign_const_offsets(std::span<ConstItem> items) {
  ByteWriter out;
  for (ConstItem &item : items) {
    item.offset = checked_u32(out.size(), "const item offset");
    put_item(out, item, "const item " + std::string(item.name));
  }
}

} // namespace qx::image
