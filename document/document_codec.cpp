#include "document/document_codec.h"

#include "base/byte_reader.h"
#include "base/byte_writer.h"
#include "base/format_error.h"

#include <algorithm>
#include <string>

namespace qx::doc {
namespace {

constexpr std::uint8_t kMagic[4] = {'Q', 'X', 'D', 'C'};
// The fewest bytes a paragraph and a node take: a paragraph's style and
// node count; a node's kind, part count and either a text length or a
// part's node count.
constexpr std::size_t kMinParagraphBytes = 1 + 4;
constexpr std::size_t kMinNodeBytes = 1 + 1 + 4;

std::size_t parts_of(NodeKind kind) {
  switch (kind) {
  case NodeKind::Text:
    return 0;
  case NodeKind::Fraction:
    return 2;
  case NodeKind::Root:
  case NodeKind::Superscript:
  case NodeKind::Subscript:
    return 1;
  }
  return 0;
}

bool known_kind(std::uint8_t kind) {
  return kind <= static_cast<std::uint8_t>(NodeKind::Subscript);
}

bool known_style(std::uint8_t style) {
  return style <= static_cast<std::uint8_t>(ParagraphStyle::ReturnLink);
}

void put_span(image::ByteWriter &out, const Span &span);

void put_node(image::ByteWriter &out, const Node &node) {
  out.put_u8(static_cast<std::uint8_t>(node.kind));
  if (node.kind == NodeKind::Text) {
    out.put_u8(0);
    out.put_counted_text(node.text);
    return;
  }
  // A part count past 255 cannot be told apart from a smaller one; the
  // decoder refuses anything but the kind's own count anyway.
  out.put_u8(static_cast<std::uint8_t>(
      node.parts.size() > 0xFF ? 0xFF : node.parts.size()));
  for (const Span &part : node.parts)
    put_span(out, part);
}

void put_span(image::ByteWriter &out, const Span &span) {
  out.put_u32(image::checked_u32(span.size(), "span node count"));
  for (const Node &node : span)
    put_node(out, node);
}

class Decoder {
public:
  explicit Decoder(std::span<const std::uint8_t> bytes)
      : m_in(bytes, "document") {}

  Document document() {
    if (m_in.size() > kMaxEncodedBytes)
      m_in.fail("document", "is " + image::hex(m_in.size()) +
                                " bytes long, more than the limit of " +
                                image::hex(kMaxEncodedBytes));
    const auto magic = m_in.read_bytes(sizeof kMagic, "magic");
    if (!std::equal(magic.begin(), magic.end(), kMagic))
      m_in.fail_at(0, "magic", "is not \"QXDC\"");
    const std::size_t version_at = m_in.position();
    const std::uint32_t version = m_in.read_u32("version");
    if (version != kCodecVersion)
      m_in.fail_at(version_at, "version",
                   "is " + image::hex(version) + ", expected " +
                       image::hex(kCodecVersion));
    Document result;
    const std::uint32_t count =
        checked_count("paragraph count", kMinParagraphBytes);
    result.paragraphs.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
      Paragraph paragraph;
      const std::uint8_t style = m_in.read_u8("paragraph style");
      if (!known_style(style))
        m_in.fail_at(m_in.position() - 1, "paragraph style",
                     "is " + image::hex(style) + ", not a known style");
      paragraph.style = static_cast<ParagraphStyle>(style);
      paragraph.content = span(1);
      result.paragraphs.push_back(std::move(paragraph));
    }
    if (!m_in.at_end())
      m_in.fail("document end", "is followed by " +
                                    image::hex(m_in.remaining()) +
                                    " more bytes");
    return result;
  }

private:
  // A count of items each at least `min_bytes` long, checked against what
  // remains so that no count reserves more than the input can hold.
  std::uint32_t checked_count(std::string_view field, std::size_t min_bytes) {
    const std::size_t at = m_in.position();
    const std::uint32_t count = m_in.read_u32(field);
    if (count > m_in.remaining() / min_bytes)
      m_in.fail_at(at, field,
                   "is " + image::hex(count) + ", more than the " +
                       image::hex(m_in.remaining()) + " bytes left can hold");
    return count;
  }

  Span span(std::size_t depth) {
    if (depth > kMaxDepth)
      m_in.fail("span", "is nested deeper than " + std::to_string(kMaxDepth) +
                            " levels");
    Span result;
    const std::uint32_t count = checked_count("node count", kMinNodeBytes);
    result.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
      result.push_back(node(depth));
    return result;
  }

  Node node(std::size_t depth) {
    Node result;
    const std::size_t at = m_in.position();
    const std::uint8_t kind = m_in.read_u8("node kind");
    if (!known_kind(kind))
      m_in.fail_at(at, "node kind",
                   "is " + image::hex(kind) + ", not a known kind");
    result.kind = static_cast<NodeKind>(kind);
    const std::uint8_t parts = m_in.read_u8("part count");
    if (parts != parts_of(result.kind))
      m_in.fail_at(at + 1, "part count",
                   "is " + std::to_string(parts) + ", the node's kind takes " +
                       std::to_string(parts_of(result.kind)));
    if (result.kind == NodeKind::Text) {
      const std::size_t text_at = m_in.position() + 4;
      result.text = m_in.read_counted_text("text");
      if (!is_clean_utf8(result.text))
        m_in.fail_at(text_at, "text", "is not valid UTF-8 without zero bytes");
      return result;
    }
    result.parts.reserve(parts);
    for (std::size_t i = 0; i < parts; ++i)
      result.parts.push_back(span(depth + 1));
    return result;
  }

  image::ByteReader m_in;
};

} // namespace

std::vector<std::uint8_t> encode(const Document &document) {
  image::ByteWriter out;
  out.put_bytes(kMagic);
  out.put_u32(kCodecVersion);
  out.put_u32(
      image::checked_u32(document.paragraphs.size(), "paragraph count"));
  for (const Paragraph &paragraph : document.paragraphs) {
    out.put_u8(static_cast<std::uint8_t>(paragraph.style));
    put_span(out, paragraph.content);
  }
  return out.take();
}

Document decode(std::span<const std::uint8_t> bytes) {
  return Decoder(bytes).document();
}

bool is_clean_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead == 0)
      return false;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < length)
      return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = code << 6 | (next & 0x3F);
    }
    const bool overlong =
        (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

} // namespace qx::doc
