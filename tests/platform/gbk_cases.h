// The conversion cases both builds check: the GBK tests of the Linux suite
// and the platform checks run under Wine share these tables.
#pragma once

#include <cstddef>
#include <string>

namespace qx::test {

struct RoundTripCase {
  const char *name;
  std::string gbk;
  std::string utf8;
};

inline const RoundTripCase kRoundTrips[] = {
    {"Empty", "", ""},
    {"Ascii", "x = -1.5e3", "x = -1.5e3"},
    {"Chinese", "\xB7\xBD\xB3\xCC\xCE\xDE\xCA\xB5\xCA\xFD\xB8\xF9",
     "方程无实数根"},
    {"Mixed",
     "a\xC7\xE5\xBF\xD5"
     "b",
     "a清空b"},
    {"FullWidthDigits", "\xA3\xB1\xA3\xB2", "１２"},
    {"EuroSignOfCodePage936", "\x80", "€"},
    {"EmbeddedZero", std::string("\xD6\xD0\0\xCE\xC4", 5),
     std::string("中\0文", 7)},
};

struct BadInputCase {
  const char *name;
  std::string input;
  std::string output;
  std::size_t replacements;
  std::size_t first_bad_offset;
};

// GBK input that is not valid: each bad sequence becomes U+FFFD.
inline const BadInputCase kBadGbk[] = {
    {"HalfCharacterAtEnd", "ab\xD6", "ab\xEF\xBF\xBD", 1, 2},
    {"OnlyALeadByte", "\x81", "\xEF\xBF\xBD", 1, 0},
    {"ByteFF",
     "a\xFF"
     "b",
     "a\xEF\xBF\xBD"
     "b",
     1, 1},
    {"AsciiAfterLeadIsKept", "\x81 x", "\xEF\xBF\xBD x", 1, 0},
    {"BadPairReplacedOnce", "\xD6\xFF\xCE\xC4", "\xEF\xBF\xBD文", 1, 0},
    {"SeveralBad", "\xFF\xD6\xD0\xFF", "\xEF\xBF\xBD中\xEF\xBF\xBD", 2, 0},
};

// UTF-8 input that is malformed or has characters GBK lacks: '?'.
inline const BadInputCase kBadUtf8[] = {
    {"TruncatedAtEnd", "a\xE4\xB8", "a?", 1, 1},
    {"LoneContinuation", "\x80x", "?x", 1, 0},
    {"Overlong", "\xC0\xAF", "??", 2, 0},
    {"Surrogate", "\xED\xA0\x80", "???", 3, 0},
    {"AboveUnicode", "\xF4\x90\x80\x80", "????", 4, 0},
    {"NotInGbk", "a😀b", "a?b", 1, 1},
    {"KeepsGoodNeighbours", "中\xFF文", "\xD6\xD0?\xCE\xC4", 1, 3},
};

} // namespace qx::test
