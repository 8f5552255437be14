// The headless entry point of basert.rtp, for quadrix-cli and tests: runs a
// program image without a window, with a driver that plays the user.
//
//   auto run = library.symbol<QxRunHeadlessFn>(QX_RUN_HEADLESS_NAME);
//   QxHeadlessOptions options{};
//   options.size = sizeof options;
//   options.driver = [](qx::rt::HeadlessSession &s, void *) {
//     s.type_text("编辑框1", "3");
//     s.click("求解");
//   };
//   int status = run(image, &options);
#pragma once

#include "window/form_model.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qx::rt {

// What a driver can do while the program's message loop runs. Controls are
// named by their form names and menu items by their captions without the
// access-key marks, in UTF-8. Typed texts are folded as the window folds
// them (full-width forms become ASCII). Every action returns false when it is
// refused (unknown name, hidden or disabled control, text the input mode
// rejects, the program has ended).
class HeadlessSession {
public:
  virtual bool type_text(std::string_view control, std::string_view text) = 0;
  virtual bool choose_item(std::string_view combo, std::int32_t index) = 0;
  virtual bool select_page(std::string_view tab, std::int32_t page) = 0;
  virtual bool click(std::string_view control) = 0;
  // Enter in edit box `box`: a click on the button that follows it in its
  // page's tab order. False when the box cannot take the key (unknown,
  // hidden or disabled) or no button follows it (a read-only box has none).
  virtual bool press_enter(std::string_view box) = 0;
  virtual bool choose_menu_item(std::string_view caption) = 0;
  // Follows the return link at the end of the working a hypertext view
  // shows, which brings its guide back. False while it shows the guide.
  virtual bool follow_return_link(std::string_view view) = 0;
  virtual void close_window() = 0;

  // A control's text in UTF-8, nullopt for an unknown name. A hypertext
  // view's text is the plain-text rendering of the working it shows, one
  // line per paragraph, or "" while it shows its guide.
  virtual std::optional<std::string> text(std::string_view control) = 0;
  // The visible flag as the program reads it, nullopt for an unknown name.
  virtual std::optional<bool> visible(std::string_view control) = 0;
  virtual std::optional<bool> disabled(std::string_view control) = 0;
  virtual std::optional<std::int32_t> selection(std::string_view control) = 0;

  // The window's form as the program declared it (control kinds, input
  // modes, combo items, tab pages; texts in GBK), null before it is loaded.
  virtual const form::Form *form() const = 0;

  // True once the program has ended (end_program or a runtime error).
  virtual bool ended() const = 0;
  // The runtime's block accounting.
  virtual std::size_t outstanding_blocks() const = 0;
  virtual std::size_t outstanding_bytes() const = 0;

protected:
  ~HeadlessSession() = default;
};

} // namespace qx::rt

extern "C" {

// Exit status of QxRunHeadless when the image cannot be loaded.
#define QX_HEADLESS_LOAD_ERROR 2

typedef struct QxHeadlessOptions {
  std::uint32_t size; // sizeof(QxHeadlessOptions)
  // Non-zero: random_integer draws from `seed`, also after the program
  // reseeds, so runs are reproducible.
  std::int32_t fix_seed;
  std::uint64_t seed;
  // Runs as the message loop; the loop ends when it returns. Null: the loop
  // ends at once.
  void (*driver)(qx::rt::HeadlessSession &session, void *context);
  // Called at once for every message box, with its text in UTF-8. May be
  // null.
  void (*on_message)(const char *utf8_text, std::uint32_t flags, void *context);
  void *context;
  // Bytes of the image (padding included). 0: the size the executable
  // exports beside the image, which must then be its qx_program_image.
  std::uint32_t image_size;
} QxHeadlessOptions;

#define QX_RUN_HEADLESS_NAME "QxRunHeadless"

// Runs the image headless and returns the exit status: the code given to
// end_program, 3 after a runtime error (reported on standard error), or
// QX_HEADLESS_LOAD_ERROR when the image cannot be loaded (reported on
// standard error).
typedef int (*QxRunHeadlessFn)(void *image, const QxHeadlessOptions *options);
}
