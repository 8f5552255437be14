// Which texts an edit box's input mode lets the user type, and how a view
// folds what the user types before the input mode judges it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::rt {

// Input modes: 0 takes anything; 1 (read-only) takes nothing typed; 8 takes
// an optional leading "-" followed by digits; 10 takes a decimal number: an
// optional leading "-", digits, at most one ".", digits. Every part may be
// empty, so the states a user passes through while typing ("", "-", "-.")
// are accepted. Unknown modes take anything.
bool input_accepts(std::uint32_t input_mode, std::string_view text);

// The folding every view applies to typed text (never to a text a routine
// writes): the full-width forms of ASCII, U+FF01 to U+FF5E, become their
// ASCII characters and the ideographic space U+3000 a blank. Every other
// character is returned unchanged.
char32_t fold_full_width(char32_t c);
// The same over UTF-8 text; bytes that are not UTF-8 pass through as they
// are.
std::string fold_full_width_utf8(std::string_view utf8);

} // namespace qx::rt
