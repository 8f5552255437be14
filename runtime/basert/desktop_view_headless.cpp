// A build without a desktop view runs the window unseen.
#include "runtime/basert/desktop_view.h"
#include "runtime/views/headless/headless_view.h"

namespace qx::rt {

std::unique_ptr<View> make_desktop_view() {
  return std::make_unique<views::HeadlessView>();
}

} // namespace qx::rt
