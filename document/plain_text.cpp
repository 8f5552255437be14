#include "document/plain_text.h"

#include <array>
#include <optional>
#include <string_view>

namespace qx::doc {

namespace {

constexpr std::string_view kMinus = "\u2212";

// A part needs parentheses beside a fraction bar or under a root sign when
// it holds more than one term or factor: a blank, an operator, or a sign
// after its start.
bool is_compound(std::string_view rendered) {
  if (rendered.find_first_of(" +*/=") != std::string_view::npos)
    return true;
  for (std::string_view op : {"\u00b1", "\u00d7", "\u00f7", "\u00b7"})
    if (rendered.find(op) != std::string_view::npos)
      return true;
  const auto minus = rendered.find(kMinus, 1);
  const auto hyphen = rendered.find('-', 1);
  return minus != std::string_view::npos || hyphen != std::string_view::npos;
}

std::string grouped(std::string rendered) {
  if (!is_compound(rendered))
    return rendered;
  return "(" + rendered + ")";
}

// The raised or lowered form of `rendered`, or nothing when one of its
// characters has none.
std::optional<std::string> shifted(std::string_view rendered, bool raised) {
  static constexpr std::array<std::string_view, 10> kSuperDigits = {
      "\u2070", "\u00b9", "\u00b2", "\u00b3", "\u2074",
      "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};
  static constexpr std::array<std::string_view, 10> kSubDigits = {
      "\u2080", "\u2081", "\u2082", "\u2083", "\u2084",
      "\u2085", "\u2086", "\u2087", "\u2088", "\u2089"};
  if (rendered.empty())
    return std::nullopt;
  std::string out;
  for (std::size_t i = 0; i < rendered.size();) {
    const char c = rendered[i];
    if (c >= '0' && c <= '9') {
      out += (raised ? kSuperDigits
                     : kSubDigits)[static_cast<std::size_t>(c - '0')];
      ++i;
    } else if (c == '+') {
      out += raised ? "\u207a" : "\u208a";
      ++i;
    } else if (c == '-' || rendered.substr(i, kMinus.size()) == kMinus) {
      out += raised ? "\u207b" : "\u208b";
      i += c == '-' ? 1 : kMinus.size();
    } else {
      return std::nullopt;
    }
  }
  return out;
}

void render(const Node &node, std::string &out) {
  switch (node.kind) {
  case NodeKind::Text:
    out += node.text;
    return;
  case NodeKind::Fraction:
    if (node.parts.size() == 2) {
      out += grouped(to_plain_text(node.parts[0]));
      out += '/';
      out += grouped(to_plain_text(node.parts[1]));
    }
    return;
  case NodeKind::Root:
    if (node.parts.size() == 1) {
      out += "\u221a";
      out += grouped(to_plain_text(node.parts[0]));
    }
    return;
  case NodeKind::Superscript:
  case NodeKind::Subscript:
    if (node.parts.size() == 1) {
      const bool raised = node.kind == NodeKind::Superscript;
      const std::string inner = to_plain_text(node.parts[0]);
      if (auto small = shifted(inner, raised)) {
        out += *small;
      } else {
        out += raised ? '^' : '_';
        out += inner.size() == 1 ? inner : "(" + inner + ")";
      }
    }
    return;
  }
}

} // namespace

std::string to_plain_text(const Span &span) {
  std::string out;
  for (const Node &node : span)
    render(node, out);
  return out;
}

std::string to_plain_text(const Document &document) {
  std::string out;
  for (const Paragraph &paragraph : document.paragraphs) {
    out += to_plain_text(paragraph.content);
    out += '\n';
  }
  return out;
}

} // namespace qx::doc
