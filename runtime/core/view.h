// The interface between the control model and whatever renders it.
//
// The runtime owns the model (runtime/core/control_model.h) and tells its
// view about every change; the view renders the window and reports the
// user's actions back through UserActions. The runtime never touches a
// widget, and a view never changes the model except through UserActions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qx::rt {

class WindowModel;
class Control;

// Which property of a control changed.
enum class PropertyKind {
  Text,      // Control::text()
  Visible,   // Control::own_visible()
  Disabled,  // Control::disabled()
  Selection, // Control::selection(): combo item or tab page
  Document,  // Control::document(): what a hypertext view shows
};

// The user's actions, as a view reports them. All identifiers are control
// identifiers (0x1601nnnn) or menu item identifiers (0x2601nnnn); texts are
// GBK. Each returns false when the model refuses the action (unknown
// control, wrong kind, the control is hidden or disabled, the program has
// ended, or the input mode rejects the text); a refused action changes
// nothing, and the view should show the model's state again.
class UserActions {
public:
  virtual ~UserActions() = default;

  // The user replaced the whole text of an edit box with `gbk`. Refused for
  // a read-only box and for text the box's input mode does not accept.
  virtual bool type_text(std::uint32_t control, std::string_view gbk) = 0;
  // The user picked item `index` of a combo box.
  virtual bool select_item(std::uint32_t control, std::int32_t index) = 0;
  // The user brought page `page` of a tab control to the front.
  virtual bool select_page(std::uint32_t tab, std::int32_t page) = 0;
  // A click on a button (its event 0) or on a label or hyperlink box (event
  // -1 with the arguments 0, 0, 0). Runs the bound routine, if any.
  virtual bool click(std::uint32_t control) = 0;
  // A menu item was chosen. Runs its handler, if any.
  virtual bool choose_menu_item(std::uint32_t item) = 0;
  // The user followed the return link at the end of the document a
  // hypertext view shows: the view shows its own page again. Refused when
  // the view shows no document or the document has no return link.
  virtual bool follow_return_link(std::uint32_t control) = 0;
  // The user closed the window: the message loop ends.
  virtual void close_window() = 0;
};

// A renderer of the control model. Every method is called on the thread that
// runs the program; none may let an exception escape into the runtime.
class View {
public:
  virtual ~View() = default;

  // Builds the window for `window` (the model outlives the view's use of
  // it) and remembers `actions` for reporting user actions. Not yet shown.
  virtual void create_window(const WindowModel &window,
                             UserActions &actions) = 0;
  // Shows the window built by create_window. The runtime raises the
  // window's event 0 after this returns.
  virtual void show_window() = 0;
  // A property of `control` changed; the view reads the new value from it.
  virtual void property_changed(const Control &control,
                                PropertyKind property) = 0;
  // Shows a modal message box with GBK `text` and message box `flags`
  // (0x40: information icon, OK button) and returns when it is closed.
  virtual void show_message_box(std::string_view gbk_text,
                                std::uint32_t flags) = 0;
  // Reports a runtime error the program cannot survive (ASCII text, e.g.
  // "runtime error 4: array index below 1"); the program ends afterwards.
  virtual void show_runtime_error(std::string_view text) = 0;
  // Runs the message loop until the window is closed or quit_message_loop
  // is called.
  virtual void run_message_loop() = 0;
  // Makes run_message_loop return as soon as control is back in the loop.
  virtual void quit_message_loop() = 0;
};

} // namespace qx::rt
