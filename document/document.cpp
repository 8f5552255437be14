#include "document/document.h"

#include <utility>

namespace qx::doc {

namespace {

Node with_parts(NodeKind kind, std::vector<Span> parts) {
  Node node;
  node.kind = kind;
  node.parts = std::move(parts);
  return node;
}

} // namespace

Paragraph &Document::add(ParagraphStyle style, Span content) {
  paragraphs.push_back(Paragraph{style, std::move(content)});
  return paragraphs.back();
}

Node text(std::string_view utf8) {
  Node node;
  node.text = std::string(utf8);
  return node;
}

Node fraction(Span numerator, Span denominator) {
  std::vector<Span> parts;
  parts.push_back(std::move(numerator));
  parts.push_back(std::move(denominator));
  return with_parts(NodeKind::Fraction, std::move(parts));
}

Node root(Span radicand) {
  std::vector<Span> parts;
  parts.push_back(std::move(radicand));
  return with_parts(NodeKind::Root, std::move(parts));
}

Node superscript(Span raised) {
  std::vector<Span> parts;
  parts.push_back(std::move(raised));
  return with_parts(NodeKind::Superscript, std::move(parts));
}

Node subscript(Span lowered) {
  std::vector<Span> parts;
  parts.push_back(std::move(lowered));
  return with_parts(NodeKind::Subscript, std::move(parts));
}

} // namespace qx::doc
