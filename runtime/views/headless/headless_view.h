// A view without a window: message boxes and runtime errors become records,
// and the message loop runs a driver that performs scripted user actions.
#pragma once

#include "runtime/core/view.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qx::views {

class HeadlessView final : public rt::View {
public:
  struct MessageRecord {
    std::string text; // GBK
    std::uint32_t flags = 0;
  };

  // Runs as the message loop; user actions go through `actions`. The loop
  // ends when the driver returns.
  using Driver = std::function<void(rt::UserActions &actions)>;
  // Called at once for every message box (GBK text) and runtime error.
  using MessageHook = std::function<void(const MessageRecord &message)>;
  using ErrorHook = std::function<void(const std::string &report)>;

  void set_driver(Driver driver) { m_driver = std::move(driver); }
  void set_message_hook(MessageHook hook) { m_message_hook = std::move(hook); }
  void set_error_hook(ErrorHook hook) { m_error_hook = std::move(hook); }

  const std::vector<MessageRecord> &messages() const { return m_messages; }
  const std::vector<std::string> &errors() const { return m_errors; }
  bool shown() const { return m_shown; }
  // True after quit_message_loop until the next loop starts: a driver stops
  // performing actions once it is set.
  bool quit_requested() const { return m_quit; }
  // Property changes seen so far (for tests of notification).
  std::size_t change_count() const { return m_changes; }

  void create_window(const rt::WindowModel &window,
                     rt::UserActions &actions) override;
  void show_window() override { m_shown = true; }
  void property_changed(const rt::Control &control,
                        rt::PropertyKind property) override;
  void show_message_box(std::string_view gbk_text,
                        std::uint32_t flags) override;
  void show_runtime_error(std::string_view text) override;
  void run_message_loop() override;
  void quit_message_loop() override { m_quit = true; }

private:
  Driver m_driver;
  MessageHook m_message_hook;
  ErrorHook m_error_hook;
  rt::UserActions *m_actions = nullptr;
  std::vector<MessageRecord> m_messages;
  std::vector<std::string> m_errors;
  bool m_shown = false;
  bool m_quit = false;
  std::size_t m_changes = 0;
};

} // namespace qx::views
