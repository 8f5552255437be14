// Where the bad sequences of GBK and UTF-8 text end: the rules both
// platforms' converters follow when they replace what cannot be converted.
#ifndef QUADRIX_PLATFORM_GBK_SEQUENCES_H
#define QUADRIX_PLATFORM_GBK_SEQUENCES_H

#include <cstddef>
#include <string_view>

namespace qx::platform::detail {

/// Length (1 or 2) of the bad GBK sequence at the start of `bytes` (not
/// empty): a lead byte swallows its partner unless the partner is ASCII.
std::size_t bad_gbk_length(std::string_view bytes);

/// Length of the well-formed UTF-8 character at the start of `bytes` (not
/// empty), or 1 when it is malformed, so that each bad byte is replaced on
/// its own.
std::size_t bad_utf8_length(std::string_view bytes);

/// True when `bytes` (not empty) is the start of a UTF-8 character cut off
/// by the end of the text: the whole rest is then one bad sequence.
bool utf8_cut_off(std::string_view bytes);

} // namespace qx::platform::detail

#endif // QUADRIX_PLATFORM_GBK_SEQUENCES_H
