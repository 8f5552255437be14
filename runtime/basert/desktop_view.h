// The view that shows the program's window when the launcher starts it.
// Which view that is depends on the build: one source per kind, chosen by
// runtime/basert/CMakeLists.txt (Qt, the native Windows view, or none).
#pragma once

#include "runtime/core/view.h"

#include <memory>

namespace qx::rt {

// The window's view; null when there is no display to show it on.
std::unique_ptr<View> make_desktop_view();

} // namespace qx::rt
