// Writes the C++ headers that name what the program image declares: the
// offsets of the const items, and the identifiers of the main window's
// controls, menu items and tab pages. Program code includes them, so every
// number is worked out from its declaration at build time.
#pragma once

#include "program/const_items.h"
#include "window/form_model.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <string_view>

namespace qx::image::tool {

// A declared name and the identifier it stands for.
struct NamedId {
  std::string_view name;
  std::uint32_t id;
};

// `namespace qx::image::konst`: one constant per item, its offset in the
// const data, and kClassicSize, where the items after the first
// `classic_count` begin. Throws qx::FormatError when an item has no name, a
// name is not an identifier or is used twice, or an item cannot be laid out.
void write_const_offsets_header(std::span<const ConstItem> items,
                                std::size_t classic_count, std::ostream &out);

// `namespace qx::ctl`: one constant per named control record of `form`
// (names are GBK in the form and UTF-8 in the header), and kPageEditBoxes,
// the edit boxes of each page of the form's tab control in record order;
// `namespace qx::menu`: one constant per entry of `menu`. Throws
// qx::FormatError for a name that is not an identifier, a name used twice, a
// page that lists a control the form lacks, or more than one tab control.
void write_control_ids_header(const form::Form &form,
                              std::span<const NamedId> menu, std::ostream &out);

} // namespace qx::image::tool
