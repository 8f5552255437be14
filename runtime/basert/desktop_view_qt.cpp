// The desktop view of a Qt build.
#include "runtime/basert/desktop_view.h"
#include "runtime/views/qt/qt_view.h"

namespace qx::rt {

std::unique_ptr<View> make_desktop_view() { return views::make_qt_view(); }

} // namespace qx::rt
