#include "document/document_codec.h"

#include "base/format_error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qx::doc {
namespace {

Span t(const char *utf8) { return {text(utf8)}; }

// The quadratic working in small: every kind and style, nesting three deep.
Document sample() {
  Document d;
  d.add(ParagraphStyle::Heading, t("求根公式"));
  d.add(ParagraphStyle::Formula,
        {text("x"), subscript(t("1")), text(" = "),
         fraction({text("3 \u00b1 "), root({text("b"), superscript(t("2"))})},
                  t("2"))});
  d.add(ParagraphStyle::Note, t("2.9 按 2 计算"));
  d.add(ParagraphStyle::Body, {});
  d.add(ParagraphStyle::ReturnLink, t("返回使用指南"));
  return d;
}

// A span nested `depth` spans deep, counting the paragraph's own.
Span nested(std::size_t depth) {
  Span span = t("1");
  for (std::size_t level = 1; level < depth; ++level)
    span = {root(std::move(span))};
  return span;
}

void put_u32(std::vector<std::uint8_t> &bytes, std::size_t at,
             std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(at + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(DocumentCodec, RoundTripsEveryShape) {
  Document empty_text;
  empty_text.add(ParagraphStyle::Body, t(""));
  Document deepest;
  deepest.add(ParagraphStyle::Formula, nested(kMaxDepth));
  Document all_planes;
  all_planes.add(ParagraphStyle::Body, t("a\u00e9\u4e2d\U0001F600"));
  const struct {
    const char *name;
    Document document;
  } cases[] = {
      {"the guide (no paragraphs)", {}},
      {"a working", sample()},
      {"empty text", empty_text},
      {"nesting at the limit", deepest},
      {"characters of every length", all_planes},
  };
  for (const auto &c : cases) {
    const std::vector<std::uint8_t> bytes = encode(c.document);
    EXPECT_EQ(decode(bytes), c.document) << c.name;
    EXPECT_EQ(encode(decode(bytes)), bytes) << c.name;
  }
}

TEST(DocumentCodec, TheEmptyDocumentIsItsHeaderAndACount) {
  EXPECT_EQ(
      encode(Document{}),
      (std::vector<std::uint8_t>{'Q', 'X', 'D', 'C', 1, 0, 0, 0, 0, 0, 0, 0}));
}

// Each damage to the sample's bytes and the words its error must name.
TEST(DocumentCodec, RefusesDamagedBytes) {
  const std::vector<std::uint8_t> good = encode(sample());
  // Offsets in the sample: header 8, paragraph count 4, first paragraph's
  // style at 12, its node count at 13, its text node's kind at 17, part
  // count at 18, text length at 19, text at 23.
  using Damage = std::function<void(std::vector<std::uint8_t> &)>;
  const struct {
    const char *name;
    Damage damage;
    const char *expected;
  } cases[] = {
      {"empty input", [](auto &b) { b.clear(); }, "magic"},
      {"wrong magic", [](auto &b) { b[0] = 'X'; }, "magic"},
      {"later version", [](auto &b) { put_u32(b, 4, 2); }, "version"},
      {"paragraph count past the bytes",
       [](auto &b) { put_u32(b, 8, 0xFFFFFFFF); }, "paragraph count"},
      {"one paragraph too many", [](auto &b) { put_u32(b, 8, 6); },
       "paragraph style"},
      {"unknown style", [](auto &b) { b[12] = 5; }, "paragraph style"},
      {"node count past the bytes", [](auto &b) { put_u32(b, 13, 0x10000000); },
       "node count"},
      {"unknown kind", [](auto &b) { b[17] = 9; }, "node kind"},
      {"text with a part", [](auto &b) { b[18] = 1; }, "part count"},
      {"text length past the end", [](auto &b) { put_u32(b, 19, 0x7FFFFFFF); },
       "text"},
      {"zero byte in text", [](auto &b) { b[23] = 0; }, "text"},
      {"lone continuation byte", [](auto &b) { b[23] = 0x80; }, "text"},
      {"truncated", [](auto &b) { b.pop_back(); }, "text"},
      {"trailing byte", [](auto &b) { b.push_back(0); }, "document end"},
  };
  for (const auto &c : cases) {
    std::vector<std::uint8_t> bad = good;
    c.damage(bad);
    try {
      decode(bad);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const FormatError &error) {
      EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
}

TEST(DocumentCodec, RefusesWhatTheEncoderWritesButNoReaderAccepts) {
  Node three_parts = fraction(t("1"), t("2"));
  three_parts.parts.push_back(t("3"));
  Node bare_root;
  bare_root.kind = NodeKind::Root;
  Document too_deep;
  too_deep.add(ParagraphStyle::Formula, nested(kMaxDepth + 1));
  Document bad_style;
  bad_style.add(static_cast<ParagraphStyle>(7), t("x"));
  const struct {
    const char *name;
    Document document;
    const char *expected;
  } cases[] = {
      {"fraction of three parts",
       {{{ParagraphStyle::Formula, {three_parts}}}},
       "part count"},
      {"root without a radicand",
       {{{ParagraphStyle::Formula,
          {bare_root, text("x"), text("long enough")}}}},
       "part count"},
      {"nested too deep", too_deep, "nested deeper"},
      {"unknown style", bad_style, "paragraph style"},
      {"overlong slash", {{{ParagraphStyle::Body, t("\xC0\xAF")}}}, "UTF-8"},
      {"surrogate", {{{ParagraphStyle::Body, t("\xED\xA0\x80")}}}, "UTF-8"},
      {"past U+10FFFF",
       {{{ParagraphStyle::Body, t("\xF4\x90\x80\x80")}}},
       "UTF-8"},
      {"GBK bytes", {{{ParagraphStyle::Body, t("\xd2\xc6\xcf\xee")}}}, "UTF-8"},
  };
  for (const auto &c : cases) {
    try {
      decode(encode(c.document));
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const FormatError &error) {
      EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos)
          << c.name << ": " << error.what();
    }
  }
}

TEST(DocumentCodec, RefusesInputOverTheSizeLimit) {
  Document big;
  big.add(ParagraphStyle::Body, {text(std::string(kMaxEncodedBytes, 'x'))});
  EXPECT_THROW(decode(encode(big)), FormatError);
  Document fits;
  fits.add(ParagraphStyle::Body,
           {text(std::string(kMaxEncodedBytes - 40, 'x'))});
  EXPECT_EQ(decode(encode(fits)), fits);
}

} // namespace
} // namespace qx::doc
