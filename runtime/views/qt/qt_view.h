// The desktop view: renders the control model as Qt widgets, positioned
// exactly as the form says, and reports the user's actions to the runtime.
#pragma once

#include "runtime/core/view.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

class QAction;
class QMainWindow;
class QUrl;
class QWidget;

namespace qx::views {

// The Qt view, or null when no display can be opened (neither DISPLAY nor
// WAYLAND_DISPLAY set, and QT_QPA_PLATFORM names no platform that works
// without one): the caller reports that there is no window. Creates the
// QApplication when there is none.
std::unique_ptr<rt::View> make_qt_view();

// Environment hooks read by show_window, for tools around the program:
//   QUADRIX_EXIT_AFTER_SHOW=1  once the window is on screen, print
//                              "quadrix: shown rss_kb=N" on standard output
//                              and end the message loop at once;
//   QUADRIX_SCREENSHOT=FILE    once the window is on screen, save a picture
//                              of it (PNG) to FILE and end the message loop;
//   QUADRIX_START_PAGE=N       with QUADRIX_SCREENSHOT only: show tab page N
//                              first, as if the user had chosen it;
//   QUADRIX_SCREENSHOT_AFTER=F with QUADRIX_SCREENSHOT only: the user acts
//                              on the window first, and the picture is taken
//                              once the file F exists.
class QtView final : public rt::View {
public:
  QtView();
  ~QtView() override;
  QtView(const QtView &) = delete;
  QtView &operator=(const QtView &) = delete;

  void create_window(const rt::WindowModel &window,
                     rt::UserActions &actions) override;
  void show_window() override;
  void property_changed(const rt::Control &control,
                        rt::PropertyKind property) override;
  void show_message_box(std::string_view gbk_text,
                        std::uint32_t flags) override;
  void show_runtime_error(std::string_view text) override;
  void run_message_loop() override;
  void quit_message_loop() override;

  // The top-level window; null before create_window.
  QMainWindow *mainWindow() const;
  // The widget of control `control` (0x1601nnnn); null when unknown.
  QWidget *widgetFor(std::uint32_t control) const;
  // The menu action of menu item `item` (0x2601nnnn); null when unknown.
  QAction *actionFor(std::uint32_t item) const;
  // Replaces how a hyperlink box's target address is opened (by default the
  // desktop's web browser).
  void setUrlOpener(std::function<void(const QUrl &)> opener);
  // Where WebPane.rtp is looked for (by default the directory of the module
  // that holds this view, i.e. beside basert.rtp). Takes effect for windows
  // created afterwards.
  void setLibraryDirectory(const std::filesystem::path &directory);

private:
  struct Impl;
  std::unique_ptr<Impl> m;
};

} // namespace qx::views
