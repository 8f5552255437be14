#include "document/plain_text.h"

#include <gtest/gtest.h>

#include <string>

namespace qx::doc {
namespace {

Span t(const char *utf8) { return {text(utf8)}; }

struct Case {
  const char *name;
  Span span;
  std::string expected;
};

TEST(PlainText, RendersEachNodeKind) {
  const Case cases[] = {
      {"text", t("移项"), "移项"},
      {"simple fraction", {fraction(t("3"), t("4"))}, "3/4"},
      {"negative numerator stays bare",
       {fraction(t("\u22123"), t("4"))},
       "\u22123/4"},
      {"compound numerator grouped",
       {fraction(t("3 \u00b1 "), t("2"))},
       "(3 \u00b1 )/2"},
      {"root of a number", {text("2"), root(t("2"))}, "2\u221a2"},
      {"root of an expression",
       {root(t("b\u00b2 \u2212 4ac"))},
       "\u221a(b\u00b2 \u2212 4ac)"},
      {"square", {text("x"), superscript(t("2"))}, "x\u00b2"},
      {"negative power",
       {text("10"), superscript(t("\u22123"))},
       "10\u207b\u00b3"},
      {"power without raised letters", {text("x"), superscript(t("n"))}, "x^n"},
      {"long power grouped", {text("x"), superscript(t("ab"))}, "x^(ab)"},
      {"index", {text("x"), subscript(t("12"))}, "x\u2081\u2082"},
      {"index without lowered letters", {text("a"), subscript(t("k"))}, "a_k"},
      {"nested: root in a fraction",
       {fraction({text("3 \u00b1 "), root(t("5"))}, t("2"))},
       "(3 \u00b1 \u221a5)/2"},
      {"fraction under a root",
       {root({fraction(t("1"), t("2"))})},
       "\u221a(1/2)"},
      {"compound denominator",
       {fraction(t("1"), t("2 \u00d7 3"))},
       "1/(2 \u00d7 3)"},
  };
  for (const Case &c : cases)
    EXPECT_EQ(to_plain_text(c.span), c.expected) << c.name;
}

TEST(PlainText, MalformedNodesRenderNothingRatherThanFail) {
  Node broken;
  broken.kind = NodeKind::Fraction; // no parts
  EXPECT_EQ(to_plain_text(Span{text("a"), broken, text("b")}), "ab");
}

TEST(PlainText, OneLinePerParagraph) {
  Document document;
  document.add(ParagraphStyle::Heading, t("解："));
  document.add(ParagraphStyle::Formula,
               {text("x = "), fraction(t("1"), t("2"))});
  document.add(ParagraphStyle::ReturnLink, t("返回使用指南"));
  EXPECT_EQ(to_plain_text(document), "解：\nx = 1/2\n返回使用指南\n");
  EXPECT_EQ(to_plain_text(Document{}), "");
}

} // namespace
} // namespace qx::doc
