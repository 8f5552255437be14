// Fixed layout values of the program image: header fields, section header
// fields, the section names in chain order and the values this build stores.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qx::image::layout {

inline constexpr std::array<std::uint8_t, 4> kMagic = {'W', 'J', 0, 0};

// Header fields (offsets from the image start).
inline constexpr std::uint32_t kHeaderSize = 0x58;
inline constexpr std::uint32_t kFirstSectionField = 0x24;
inline constexpr std::uint32_t kStored28Field = 0x28;
inline constexpr std::uint32_t kStored2CField = 0x2C;
inline constexpr std::uint32_t kStored34Field = 0x34;
inline constexpr std::uint32_t kEntryField = 0x3C;
inline constexpr std::uint32_t kSectionHeadersField = 0x40;
inline constexpr std::uint32_t kLibraryTableEndField = 0x54;

// Values this runtime's images store in the fields whose meaning is not used.
inline constexpr std::uint32_t kStored28 = 1;
inline constexpr std::uint32_t kStored2C = 3;
inline constexpr std::uint32_t kStored34 = 0x0001093E;

// Section header fields (offsets from the header start).
inline constexpr std::uint32_t kSectionHeaderSize = 0x38;
inline constexpr std::uint32_t kSectionNameSize = 24;

// The longest section chain an image may have.
inline constexpr std::uint32_t kMaxSections = 256;

// The sections whose header offsets the image header lists, in that order.
inline constexpr std::array<std::string_view, 5> kListedSections = {
    "const", "form", "help", "code", "var"};

inline constexpr std::string_view kConstSection = "const";
inline constexpr std::string_view kFormSection = "form";
inline constexpr std::string_view kHelpSection = "help";
inline constexpr std::string_view kCodeSection = "code";
inline constexpr std::string_view kVarSection = "var";
inline constexpr std::string_view kIdentifierSection = "@reloc1";

// Section flags stored by this runtime's images.
inline constexpr std::uint32_t kConstFlags = 1;
inline constexpr std::uint32_t kFormFlags = 1;
inline constexpr std::uint32_t kHelpFlags = 1;
inline constexpr std::uint32_t kCodeFlags = 5;
inline constexpr std::uint32_t kVarFlags = 0x13;
inline constexpr std::uint32_t kIdentifierFlags = 1;

inline constexpr std::uint32_t kHelpSize = 0x34;

// A relocation entry: (code offset * 8) + kind.
inline constexpr std::uint32_t relocation_entry(std::uint32_t code_offset,
                                                std::uint32_t kind) {
  return code_offset * 8 + kind;
}

} // namespace qx::image::layout
