// The byte form of a document, in which a routine hands its working to the
// runtime: little-endian, self-delimiting, checked on the way in.
//
//   header     "QXDC", u32 version (kCodecVersion)
//   document   u32 paragraph count, then each paragraph:
//   paragraph  u8 style (ParagraphStyle), span
//   span       u32 node count, then each node:
//   node       u8 kind (NodeKind), u8 part count, then
//              Text: u32 byte length and the UTF-8 bytes (part count 0);
//              others: the parts, each a span (Fraction 2, the rest 1)
//
// The encoder writes any document as it stands; the decoder accepts only a
// well-formed one: the header, every style and kind known, every count
// possible in the bytes that remain, the part counts each kind takes, text
// that is valid UTF-8 without zero bytes, nesting at most kMaxDepth spans
// deep, at most kMaxEncodedBytes in all and nothing after the document.
#pragma once

#include "document/document.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qx::doc {

inline constexpr std::uint32_t kCodecVersion = 1;
// A working is a page of text: far below this.
inline constexpr std::size_t kMaxEncodedBytes = 1024 * 1024;
// Spans inside spans: a paragraph's own span is depth 1, the numerator of a
// fraction in it depth 2, and so on.
inline constexpr std::size_t kMaxDepth = 16;

std::vector<std::uint8_t> encode(const Document &document);

// Throws qx::FormatError naming the field and its offset when `bytes` are
// not a well-formed document.
Document decode(std::span<const std::uint8_t> bytes);

// True when `text` is valid UTF-8 (shortest forms, no surrogates, at most
// U+10FFFF) holding no zero byte.
bool is_clean_utf8(std::string_view text);

} // namespace qx::doc
