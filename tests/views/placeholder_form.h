// The main window's form with every routine it names given an offset of
// its own, for tests that build the window without the program's code.
#pragma once

#include "program/main_window.h"

#include <cstdint>
#include <map>
#include <string>

namespace qx::test {

// The form, and in `offsets` each routine's name with the offset it got.
inline form::Form
placeholder_main_form(std::map<std::string, std::uint32_t> &offsets) {
  return window::main_window_form(
      [&](const window::HandlerRef &ref) -> std::uint32_t {
        const auto [it, added] = offsets.try_emplace(
            std::string(ref.routine),
            static_cast<std::uint32_t>(0x18 + 0x10 * offsets.size()));
        (void)added;
        return it->second;
      });
}

} // namespace qx::test
