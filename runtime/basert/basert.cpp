// basert.rtp: the core runtime library. Exports GetNewSock, which hands out
// the start routine, and QxRunHeadless.
//
// Exit status: a program ended by end_program(code) ends with `code`; a
// runtime error ends it with 3 after the report on standard error; an image
// that cannot be loaded ends it with 2 after a message naming the problem;
// without a display for the window it ends with 4 after a message saying so.
// With QUADRIX_DEBUG_BLOCKS set, the blocks the program still holds at its
// end are counted on standard error.
#include "platform/environment.h"
#include "platform/gbk.h"
#include "platform/library.h"
#include "runtime/basert/desktop_view.h"
#include "runtime/basert/headless_api.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/views/headless/headless_view.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#define QX_EXPORT extern "C" __attribute__((visibility("default"), used))

QX_EXPORT QxStartFn GetNewSock(std::int32_t selector);

namespace qx::rt {
namespace {

// Exit status when there is no display for the window.
constexpr int kNoDisplayStatus = 4;

// The directory of basert.rtp, where the support libraries lie.
std::filesystem::path runtime_directory() {
  return platform::module_directory(reinterpret_cast<const void *>(&GetNewSock))
      .value_or(std::filesystem::path("."));
}

int report_load_error(const char *what) {
  std::fprintf(stderr, "quadrix: cannot load the program: %s\n", what);
  return QX_HEADLESS_LOAD_ERROR;
}

// The image's bytes: `size` of them when given, else the size the
// executable exports beside it.
std::optional<std::span<std::uint8_t>> image_bytes(void *image,
                                                   std::uint32_t size) {
  if (!image)
    return std::nullopt;
  if (size == 0) {
    const std::optional<std::uint32_t> exported = exported_image_size(image);
    if (!exported)
      return std::nullopt;
    size = *exported;
  }
  return std::span<std::uint8_t>(static_cast<std::uint8_t *>(image), size);
}

// Loads the image and runs it; the view is the runtime's. `size` 0: the
// size the executable exports beside the image.
int run_image(void *image, std::uint32_t size, std::unique_ptr<View> view,
              std::optional<std::uint64_t> seed,
              const std::function<void(Runtime &)> &prepare = {}) {
  const std::optional<std::span<std::uint8_t>> bytes = image_bytes(image, size);
  if (!bytes)
    return report_load_error("the program image's size is not known (the "
                             "executable exports no qx_program_image_size "
                             "beside it)");
  Runtime runtime(std::move(view));
  if (seed)
    runtime.seed_random(*seed);
  if (prepare)
    prepare(runtime);
  LoadedProgram program;
  try {
    program = load_program(runtime, *bytes, runtime_directory());
  } catch (const LoadError &error) {
    return report_load_error(error.what());
  }
  const int status = runtime.run(program.entry);
  // The debug query of the block accounting: what the program still holds
  // when it ends (0 blocks for a program that frees everything).
  if (std::getenv("QUADRIX_DEBUG_BLOCKS"))
    std::fprintf(stderr, "quadrix: outstanding blocks %zu, bytes %zu\n",
                 runtime.blocks().outstanding_blocks(),
                 runtime.blocks().outstanding_bytes());
  return status;
}

void start(void *image) {
  std::unique_ptr<View> view = make_desktop_view();
  if (!view) {
    // Running the program unseen and ending with 0 would report success
    // for a window nobody saw.
    std::fputs("quadrix: cannot show the window: no display (neither "
               "DISPLAY nor WAYLAND_DISPLAY is set, and QT_QPA_PLATFORM "
               "names no platform that works without one)\n",
               stderr);
    std::fflush(nullptr);
    std::exit(kNoDisplayStatus);
  }
  const int status = run_image(image, 0, std::move(view), std::nullopt);
  if (status != 0) {
    std::fflush(nullptr);
    std::exit(status);
  }
}

// A driver's view of the runtime, by names in UTF-8. Actions go through the
// view's `actions`, as the user's would.
class Session final : public HeadlessSession {
public:
  Session(Runtime &runtime, UserActions &actions,
          const views::HeadlessView &view)
      : m_runtime(runtime), m_actions(actions), m_view(view) {}

  bool type_text(std::string_view control, std::string_view text) override {
    const Control *target = find(control);
    return target &&
           m_actions.type_text(target->id(), platform::utf8_to_gbk(text));
  }
  bool choose_item(std::string_view combo, std::int32_t index) override {
    const Control *target = find(combo);
    return target && m_actions.select_item(target->id(), index);
  }
  bool select_page(std::string_view tab, std::int32_t page) override {
    const Control *target = find(tab);
    return target && m_actions.select_page(target->id(), page);
  }
  bool click(std::string_view control) override {
    const Control *target = find(control);
    return target && m_actions.click(target->id());
  }
  bool press_enter(std::string_view box) override {
    const Control *target = find(box);
    if (!target || m_runtime.ended() ||
        !m_runtime.window()->effective_visible(*target) || target->disabled())
      return false;
    const Control *button = m_runtime.window()->enter_button(*target);
    return button && m_actions.click(button->id());
  }
  bool choose_menu_item(std::string_view caption) override {
    WindowModel *window = m_runtime.window();
    if (!window)
      return false;
    const form::MenuItemRecord *item =
        window->find_menu_item_by_caption(platform::utf8_to_gbk(caption));
    return item && m_actions.choose_menu_item(item->id);
  }
  bool follow_return_link(std::string_view view) override {
    const Control *target = find(view);
    return target && m_actions.follow_return_link(target->id());
  }
  void close_window() override { m_actions.close_window(); }

  std::optional<std::string> text(std::string_view control) override {
    const Control *target = find(control);
    if (!target)
      return std::nullopt;
    if (target->unit_type() == QX_UNIT_HYPERTEXT_VIEW) {
      // The rendering ends each paragraph with a line feed; the last one
      // is left to whoever prints it.
      std::string shown = m_view.shown_document(target->id());
      if (!shown.empty() && shown.back() == '\n')
        shown.pop_back();
      return shown;
    }
    return platform::gbk_to_utf8(target->text());
  }
  std::optional<bool> visible(std::string_view control) override {
    const Control *target = find(control);
    if (!target)
      return std::nullopt;
    return m_runtime.window()->effective_visible(*target);
  }
  std::optional<bool> disabled(std::string_view control) override {
    const Control *target = find(control);
    if (!target)
      return std::nullopt;
    return target->disabled();
  }
  std::optional<std::int32_t> selection(std::string_view control) override {
    const Control *target = find(control);
    if (!target)
      return std::nullopt;
    return target->selection();
  }

  const form::Form *form() const override {
    const WindowModel *window = m_runtime.window();
    return window ? &window->form() : nullptr;
  }

  bool ended() const override { return m_runtime.ended(); }
  std::size_t outstanding_blocks() const override {
    return m_runtime.blocks().outstanding_blocks();
  }
  std::size_t outstanding_bytes() const override {
    return m_runtime.blocks().outstanding_bytes();
  }

private:
  const Control *find(std::string_view utf8_name) {
    WindowModel *window = m_runtime.window();
    return window ? window->find_by_name(platform::utf8_to_gbk(utf8_name))
                  : nullptr;
  }

  Runtime &m_runtime;
  UserActions &m_actions;
  const views::HeadlessView &m_view;
};

int run_headless(void *image, const QxHeadlessOptions *options) {
  QxHeadlessOptions settings{};
  if (options) {
    if (options->size < sizeof(QxHeadlessOptions)) {
      std::fprintf(stderr,
                   "quadrix: headless options of %u bytes, expected "
                   "%zu\n",
                   options->size, sizeof(QxHeadlessOptions));
      return QX_HEADLESS_LOAD_ERROR;
    }
    settings = *options;
  }
  auto view = std::make_unique<views::HeadlessView>();
  views::HeadlessView &headless = *view;
  if (settings.on_message)
    headless.set_message_hook(
        [settings](const views::HeadlessView::MessageRecord &message) {
          settings.on_message(platform::gbk_to_utf8(message.text).c_str(),
                              message.flags, settings.context);
        });
  std::optional<std::uint64_t> seed;
  if (settings.fix_seed)
    seed = settings.seed;
  return run_image(image, settings.image_size, std::move(view), seed,
                   [&](Runtime &runtime) {
                     if (!settings.driver)
                       return;
                     headless.set_driver(
                         [&runtime, &headless, settings](UserActions &actions) {
                           Session session(runtime, actions, headless);
                           settings.driver(session, settings.context);
                         });
                   });
}

} // namespace
} // namespace qx::rt

QX_EXPORT QxStartFn GetNewSock(std::int32_t selector) {
  return selector == QX_GET_NEW_SOCK_START ? &qx::rt::start : nullptr;
}

QX_EXPORT int QxRunHeadless(void *image, const QxHeadlessOptions *options) {
  try {
    return qx::rt::run_headless(image, options);
  } catch (const std::exception &error) {
    std::fprintf(stderr, "quadrix: %s\n", error.what());
    return QX_HEADLESS_LOAD_ERROR;
  }
}
