// Which texts an edit box's input mode lets the user type.
#pragma once

#include <cstdint>
#include <string_view>

namespace qx::rt {

// Input modes: 0 takes anything; 1 (read-only) takes nothing typed; 8 takes
// an optional leading "-" followed by digits; 10 takes a decimal number: an
// optional leading "-", digits, at most one ".", digits. Every part may be
// empty, so the states a user passes through while typing ("", "-", "-.")
// are accepted. Unknown modes take anything.
bool input_accepts(std::uint32_t input_mode, std::string_view text);

} // namespace qx::rt
