// The plain-text rendering of a document: one line per paragraph, fractions
// as "3/4" (with parentheses around a compound part, "(3 ± √5)/2"), roots as
// "√8" or "√(b² − 4ac)", digits raised and lowered with the Unicode super-
// and subscript characters ("x²", "x₁") where they exist, "^(…)" and "_(…)"
// where they do not.
#pragma once

#include "document/document.h"

#include <string>

namespace qx::doc {

std::string to_plain_text(const Span &span);
// Each paragraph followed by a line feed.
std::string to_plain_text(const Document &document);

} // namespace qx::doc
