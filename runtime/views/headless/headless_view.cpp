// The headless view: records instead of windows.
#include "runtime/views/headless/headless_view.h"

namespace qx::views {

void HeadlessView::create_window(const rt::WindowModel &,
                                 rt::UserActions &actions) {
  m_actions = &actions;
}

void HeadlessView::property_changed(const rt::Control &, rt::PropertyKind) {
  ++m_changes;
}

void HeadlessView::show_message_box(std::string_view gbk_text,
                                    std::uint32_t flags) {
  m_messages.push_back({std::string(gbk_text), flags});
  if (m_message_hook)
    m_message_hook(m_messages.back());
}

void HeadlessView::show_runtime_error(std::string_view text) {
  m_errors.emplace_back(text);
  if (m_error_hook)
    m_error_hook(m_errors.back());
}

void HeadlessView::run_message_loop() {
  m_quit = false;
  if (m_driver && m_actions)
    m_driver(*m_actions);
}

} // namespace qx::views
