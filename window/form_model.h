// In-memory model of the form section: the window record, menu items and
// controls with their property blocks.
//
// Texts in the model are GBK bytes exactly as stored (the declaration converts
// from UTF-8 when it builds the model). Words whose meaning is not used by
// this program but which every record of a kind stores (the "attributes")
// are kept as fields with the values this program writes, so that reading
// and writing a description is a byte-exact round trip.
#pragma once

#include "base/qx_abi.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qx::form {

inline constexpr std::uint32_t kNoHandler = 0xFFFFFFFF;
inline constexpr std::uint32_t kNoColour = 0xFF000000;
inline constexpr std::uint32_t kBlue = 0x00FF0000;
inline constexpr std::uint32_t kBlack = 0x00000000;
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;

// Edit box input modes.
inline constexpr std::uint32_t kInputFree = 0;
inline constexpr std::uint32_t kInputReadOnly = 1;
inline constexpr std::uint32_t kInputWholeNumber = 8;
inline constexpr std::uint32_t kInputDecimal = 10;

// Control flags (q + 0x0D).
inline constexpr std::uint32_t kFlagVisible = 1;
inline constexpr std::uint32_t kFlagDisabled = 2;
inline constexpr std::uint32_t kFlagTakesFocus = 4;

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const Rect &) const = default;
};

// A 60-byte LOGFONT. Only the face name's bytes up to its terminator carry
// meaning; `face_tail` keeps whatever follows so that writing reproduces the
// bytes read (a declaration leaves it zero).
struct Font {
  std::int32_t height = 0;
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 400;
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strike_out = 0;
  std::uint8_t char_set = 134;
  std::uint8_t out_precision = 0;
  std::uint8_t clip_precision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitch_and_family = 0;
  std::array<std::uint8_t, 32> face_name{}; // GBK, zero-terminated
  // Equality ignores the bytes after the face name's terminator.
  bool operator==(const Font &other) const;
};

struct EventBinding {
  std::int32_t event = 0;    // 0 upwards: the kind's own; -1: click
  std::uint32_t handler = 0; // offset from the start of the code data
  bool operator==(const EventBinding &) const = default;
};

struct WindowProps {
  std::uint32_t attr_18 = 2;
  std::uint32_t attr_1c = 1;
  std::uint32_t background = kNoColour;
  std::uint32_t attr_24 = 0;
  std::array<std::uint32_t, 4> attrs_28 = {1, 1, 1, 1};
  std::uint32_t attr_4c = 1;
  std::vector<std::uint8_t> icon; // a Windows icon file image
  std::string title;              // GBK
  bool operator==(const WindowProps &) const = default;
};

struct EditProps {
  std::uint32_t border_style = 5; // 3 result boxes, 5 entry boxes
  std::uint32_t text_colour = kBlack;
  std::uint32_t background = kWhite;
  std::uint32_t attr_24 = 1;
  std::uint32_t attr_34 = 1;
  std::uint32_t input_mode = kInputFree;
  std::uint32_t password_char = 0x2A;
  std::uint32_t attr_4a = 100;
  bool operator==(const EditProps &) const = default;
};

struct LabelProps {
  std::uint32_t attr_18 = 0;
  std::uint32_t attr_1c = 8;
  std::uint32_t attr_20 = 0;
  std::array<std::uint32_t, 3> colours_24 = {0x808080, 0xFFFFFF, 0x808080};
  std::uint32_t text_colour = kBlack;
  std::uint32_t background = kNoColour;
  std::uint32_t attr_38 = 1;
  std::uint32_t attr_3c = 0;
  std::array<std::uint32_t, 3> colours_40 = {0x808080, 0xFFFFFF, 0x808080};
  std::uint32_t attr_a = 0; // 0x4C
  std::uint32_t attr_50 = 1;
  std::uint32_t attr_b = 0; // 0x54: caption wraps over two lines
  std::optional<Font> font;
  std::string caption; // GBK
  bool operator==(const LabelProps &) const = default;
};

struct ButtonProps {
  std::uint32_t attr_18 = 0;
  std::uint32_t attr_1c = 1;
  std::uint32_t attr_20 = 1;
  std::string caption; // GBK
  bool operator==(const ButtonProps &) const = default;
};

struct CheckBoxProps {
  std::uint32_t attr_28 = 1;
  std::uint32_t background = kNoColour;
  std::uint32_t attr_34 = 1;
  std::optional<Font> font;
  std::string caption; // GBK
  bool operator==(const CheckBoxProps &) const = default;
};

struct ComboItem {
  std::int32_t value = 0;
  std::string text; // GBK
  bool operator==(const ComboItem &) const = default;
};

struct ComboProps {
  std::uint32_t style = 2;
  std::uint32_t attr_2c = 1;
  std::uint32_t text_colour = kBlack;
  std::uint32_t background = kWhite;
  std::vector<ComboItem> items;
  bool operator==(const ComboProps &) const = default;
};

struct TabProps {
  std::uint32_t attr_28 = 1;
  std::uint32_t background = kNoColour;
  std::optional<Font> font;
  std::vector<std::string> pages; // captions, GBK
  bool operator==(const TabProps &) const = default;
};

struct HyperlinkProps {
  std::uint32_t attr_18 = 0;
  std::array<std::uint32_t, 3> link_colours = {kBlue, kBlue, 0x00FE9933};
  std::uint32_t background = kNoColour;
  std::optional<Font> font;
  std::string caption; // GBK
  std::string target;  // web address; empty for none
  bool operator==(const HyperlinkProps &) const = default;
};

struct HypertextProps {
  std::uint32_t attr_18 = 2;
  std::string address; // web address of the page to open
  bool operator==(const HypertextProps &) const = default;
};

using Props =
    std::variant<WindowProps, EditProps, LabelProps, ButtonProps, CheckBoxProps,
                 ComboProps, TabProps, HyperlinkProps, HypertextProps>;

// The window's record or a control's record.
struct ControlRecord {
  std::uint32_t id = 0;        // 0x06010000 for the window, else 0x1601nnnn
  std::uint32_t unit_type = 0; // QX_UNIT_*
  std::string name;            // GBK; empty for the window
  std::string comment;         // GBK; empty here
  Rect rect;
  std::uint32_t parent = 0; // containing control's id, 0 for the window
  // Tab control only: page by page the ids of the page's controls, each
  // page's run closed by a 0 word in the stored child list.
  std::vector<std::vector<std::uint32_t>> pages;
  std::uint32_t flags = kFlagVisible;
  std::vector<EventBinding> events;
  Props props;
  bool operator==(const ControlRecord &) const = default;
};

struct MenuItemRecord {
  std::uint32_t id = 0; // 0x2601nnnn
  std::string name;     // GBK; empty here
  std::string comment;  // GBK; empty here
  std::uint32_t level = 0;
  std::string caption; // GBK; "-" a separator, "&" marks the access key
  std::uint32_t handler = kNoHandler;
  bool operator==(const MenuItemRecord &) const = default;
};

using Record = std::variant<ControlRecord, MenuItemRecord>;

// The whole section: the window record first, then controls and menu items
// in list order.
struct Form {
  std::uint32_t leading_word = 8;
  std::uint32_t window_id = QX_MAIN_WINDOW;
  std::uint32_t window_constant = 0x1901000A;
  std::vector<Record> records;
  bool operator==(const Form &) const = default;
};

} // namespace qx::form
