// The desktop view of the Windows build: the native controls.
#include "runtime/basert/desktop_view.h"
#include "runtime/views/win32/win32_view.h"

namespace qx::rt {

std::unique_ptr<View> make_desktop_view() { return views::make_win32_view(); }

} // namespace qx::rt
