// The main window declared as data: every record of its form description.
#pragma once

#include "window/form_model.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

namespace qx::window {

// A routine bound to an event, by name, with the number of argument words
// the runtime passes to it.
struct HandlerRef {
  std::string_view routine;
  std::uint32_t arg_words;
};

// The main window: 114 records, the window's first, then the tab control,
// the controls of its pages page by page, the window-level controls and the
// menu items in menu order. `offset_of` gives the code offset of every bound
// routine (0 argument words for button clicks, menu items and the window's
// event 0; 3 for the click event -1 of labels and hyperlink boxes).
form::Form main_window_form(
    const std::function<std::uint32_t(const HandlerRef &)> &offset_of);

// One item of the menu "常用工具": the name of its identifier constant, the
// identifier, its level, its caption and the routine it runs (none for the
// menu's title and the separator).
struct MenuEntry {
  std::string_view name;
  std::uint32_t id;
  std::uint32_t level;
  std::string_view caption;
  std::string_view routine;
};

// The menu's items in menu order, as main_window_form stores them.
std::span<const MenuEntry> tools_menu();

} // namespace qx::window
