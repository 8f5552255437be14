// The Windows view: renders the control model as native controls, placed
// exactly as the form says, and reports the user's actions to the runtime.
#pragma once

#include "runtime/core/view.h"

#include <memory>

namespace qx::views {

// The Win32 view. Environment hooks read by show_window, for tools around
// the program:
//   QUADRIX_EXIT_AFTER_SHOW=1  once the window is on screen, print
//                              "quadrix: shown rss_kb=N" on standard output
//                              and end the message loop;
//   QUADRIX_SCREENSHOT=FILE    once the window is on screen, save a picture
//                              of it (a 24-bit BMP) to FILE and end the
//                              message loop;
//   QUADRIX_START_PAGE=N       with QUADRIX_SCREENSHOT only: show tab page N
//                              first, as if the user had chosen it;
//   QUADRIX_SCREENSHOT_AFTER=F with QUADRIX_SCREENSHOT only: the user acts
//                              on the window first, and the picture is taken
//                              once the file F exists.
std::unique_ptr<rt::View> make_win32_view();

} // namespace qx::views
