// A view without a window: message boxes and runtime errors become records,
// and the message loop runs a driver that performs scripted user actions.
#pragma once

#include "runtime/core/view.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qx::views {

class HeadlessView final : public rt::View {
public:
  struct MessageRecord {
    std::string text; // GBK
    std::uint32_t flags = 0;
  };

  // What an edit box shows of its text. The box is modelled in the window's
  // 12-pixel Song face, in which a GBK byte is 6 pixels wide (a double-byte
  // character 12), inside a margin of 4 pixels on each side.
  struct ShownText {
    std::string part;    // GBK: the whole characters that fit
    std::string tooltip; // GBK: the whole text when it does not fit, else ""
  };

  // Runs as the message loop; user actions go through `actions`, which
  // folds typed texts as every view does (rt::fold_full_width) before the
  // runtime judges them. The loop ends when the driver returns.
  using Driver = std::function<void(rt::UserActions &actions)>;
  // Called at once for every message box (GBK text) and runtime error.
  using MessageHook = std::function<void(const MessageRecord &message)>;
  using ErrorHook = std::function<void(const std::string &report)>;

  HeadlessView();
  ~HeadlessView() override;
  HeadlessView(const HeadlessView &) = delete;
  HeadlessView &operator=(const HeadlessView &) = delete;

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
  // The user's actions as this view performs them: typed texts are folded.
  // Valid after create_window.
  rt::UserActions &actions();
  // What edit box `control` shows: the start of its text after a routine
  // wrote it, the end after the user typed it (the cursor stays at the end
  // of what was typed). Empty for an unknown control or one of another kind.
  ShownText shown_text(std::uint32_t control) const;
  // What hypertext view `control` shows as plain text (UTF-8, one line per
  // paragraph, document/plain_text.h), rendered when the document arrived;
  // "" while the view shows its own page, and for other controls.
  const std::string &shown_document(std::uint32_t control) const;

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
  class FoldingActions;

  Driver m_driver;
  MessageHook m_message_hook;
  ErrorHook m_error_hook;
  const rt::WindowModel *m_window = nullptr;
  std::unique_ptr<FoldingActions> m_actions;
  // Edit boxes whose text the user typed last (they show its end).
  std::unordered_set<std::uint32_t> m_typed;
  // The plain text of each hypertext view that shows a document.
  std::unordered_map<std::uint32_t, std::string> m_documents;
  std::uint32_t m_typing = 0; // the box being typed into, 0 for none
  std::vector<MessageRecord> m_messages;
  std::vector<std::string> m_errors;
  bool m_shown = false;
  bool m_quit = false;
  std::size_t m_changes = 0;
};

} // namespace qx::views
