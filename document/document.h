// A small document of school mathematics: paragraphs of UTF-8 text with
// fractions, square roots, superscripts and subscripts, nested as deep as a
// formula needs. The routines build one to show the working of a
// calculation; the views render it (plain text, Qt rich text, native
// controls), each from the same tree.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qx::doc {

enum class NodeKind : std::uint8_t {
  Text = 0,        // `text`, no parts
  Fraction = 1,    // parts: numerator, denominator (stacked)
  Root = 2,        // parts: radicand (under a square root sign)
  Superscript = 3, // parts: the raised span, e.g. the 2 of b²
  Subscript = 4,   // parts: the lowered span, e.g. the 1 of x₁
};

struct Node;
// A run of inline nodes, read left to right.
using Span = std::vector<Node>;

struct Node {
  NodeKind kind = NodeKind::Text;
  std::string text;        // UTF-8; only for NodeKind::Text
  std::vector<Span> parts; // as NodeKind says; empty for Text

  bool operator==(const Node &) const = default;
};

enum class ParagraphStyle : std::uint8_t {
  Body = 0,       // a sentence of the working
  Heading = 1,    // a step's title, e.g. "移项"
  Formula = 2,    // a line of mathematics on its own
  Note = 3,       // a remark beside the working, e.g. a cut coefficient
  ReturnLink = 4, // the link that brings the guide back
};

struct Paragraph {
  ParagraphStyle style = ParagraphStyle::Body;
  Span content;

  bool operator==(const Paragraph &) const = default;
};

struct Document {
  std::vector<Paragraph> paragraphs;

  bool empty() const { return paragraphs.empty(); }
  // Appends a paragraph and returns it, to be filled.
  Paragraph &add(ParagraphStyle style, Span content = {});

  bool operator==(const Document &) const = default;
};

// Builders for the inline nodes.
Node text(std::string_view utf8);
Node fraction(Span numerator, Span denominator);
Node root(Span radicand);
Node superscript(Span raised);
Node subscript(Span lowered);

} // namespace qx::doc
