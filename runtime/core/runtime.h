// The runtime of one running program: its blocks, its window model, its
// routines and the services the program calls through the service table.
//
// One Runtime is active per process at a time (Runtime::current()); the C
// functions of the service table forward to it. Tests create and destroy
// runtimes freely, one after another.
#pragma once

#include "base/qx_abi.h"
#include "runtime/core/blocks.h"
#include "runtime/core/control_model.h"
#include "runtime/core/errors.h"
#include "runtime/core/view.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <variant>

namespace qx::rt {

// A routine of the program that an event or menu item is bound to.
struct Routine {
  std::string name;
  // A handler without arguments (button click, menu item, window created)
  // or with the three ignored integers of a click on a label or hyperlink
  // box; exactly one is set.
  QxRoutineFn plain = nullptr;
  QxClickHandlerFn click = nullptr;
};

class Runtime final : public UserActions {
public:
  // Makes this runtime the current one; there must be none.
  explicit Runtime(std::unique_ptr<View> view);
  ~Runtime() override;
  Runtime(const Runtime &) = delete;
  Runtime &operator=(const Runtime &) = delete;

  // The active runtime, or null.
  static Runtime *current();

  const QxServiceTable &service_table() const { return m_table; }
  BlockRegistry &blocks() { return m_blocks; }
  const BlockRegistry &blocks() const { return m_blocks; }
  View &view() { return *m_view; }

  // ---- Random source ----------------------------------------------------
  // Fixes the seed: the source restarts from it now and whenever the program
  // reseeds with the seed omitted, so runs are reproducible.
  void seed_random(std::uint64_t seed);
  // Reseeds from the fixed seed if one was given, else from a changing
  // source (the system's entropy and the clock).
  void reseed_random();
  // Uniform over [min(a, b), max(a, b)].
  std::int32_t random_integer(std::int32_t a, std::int32_t b);

  // ---- Window and routines ---------------------------------------------
  // The form that load_window builds the window from (the loader installs
  // the image's form section; tests install one directly).
  void install_form(form::Form form);
  // The window model; null before install_form.
  WindowModel *window() { return m_window.get(); }
  // Binds the routine whose directory entry is at `code_offset`.
  void bind_routine(std::uint32_t code_offset, Routine routine);
  // The routine passed to runtime_utility 3, or null.
  QxRoutineFn registered_routine() const { return m_registered; }
  // True once load_window has built and shown the window.
  bool window_loaded() const { return m_window_loaded; }

  // ---- Running ------------------------------------------------------------
  // Calls the entry routine and returns the exit status: end_program's code,
  // 0 when the routine returns, kRuntimeErrorStatus after a runtime error
  // (reported on stderr and through the view).
  int run(QxRoutineFn entry);
  // Runs `body` as run() runs the entry routine; for tests that call
  // services from C++ code.
  template <typename Body> int run_body(Body &&body);
  // The exit status once the program has ended (by end_program, a runtime
  // error, or the end of the entry routine); nullopt while it runs.
  std::optional<int> exit_status() const { return m_exit_status; }
  // True once the program has ended or is ending (an ending inside the
  // message loop takes effect when the loop returns).
  bool ended() const { return m_pending.has_value() || m_exit_status; }
  // The report of the runtime error that ended the program, or "".
  const std::string &error_report() const { return m_error_report; }

  // ---- Services (what the service table's functions call) -----------------
  // Calls that came in through the service table, of any service, and of
  // those the calls of commands; for tests and measurements.
  void count_service_call() { ++m_service_calls; }
  std::uint64_t service_calls() const { return m_service_calls; }
  std::uint64_t command_calls() const { return m_command_calls; }
  std::uint64_t call_command(std::uint32_t number, const std::uint32_t *record);
  std::uint64_t read_property(std::uint32_t window, std::uint32_t control,
                              std::int32_t property, std::int32_t element);
  void write_property(std::uint32_t window, std::uint32_t control,
                      std::int32_t property, std::int32_t element,
                      std::uint32_t low, std::uint32_t high);
  void message_loop();
  void load_window(std::uint32_t window);
  void runtime_utility(std::int32_t subfunction, std::uint64_t first,
                       std::uint64_t second);
  // Decodes the document (document/document_codec.h) and hands it to the
  // hypertext view `control`; a bad document is runtime error 102.
  void show_document(std::uint32_t window, std::uint32_t control,
                     const std::uint8_t *bytes, std::uint32_t size);

  // ---- User actions (UserActions) -------------------------------------------
  bool type_text(std::uint32_t control, std::string_view gbk) override;
  bool select_item(std::uint32_t control, std::int32_t index) override;
  bool select_page(std::uint32_t tab, std::int32_t page) override;
  bool click(std::uint32_t control) override;
  bool choose_menu_item(std::uint32_t item) override;
  bool follow_return_link(std::uint32_t control) override;
  void close_window() override;

private:
  using Ending = std::variant<ProgramEnded, RuntimeFault>;

  Control &property_target(std::uint32_t window, std::uint32_t control,
                           std::int32_t element);
  // Calls the routine bound at `code_offset`; exceptions pass through.
  void call_routine(std::uint32_t code_offset);
  // Runs a routine for a user action: an ending is remembered and the
  // message loop told to quit, so no exception crosses the view's loop.
  void dispatch(std::uint32_t code_offset);
  static RuntimeFault internal_fault(const std::exception &error);
  // Records how the program ended; reports a runtime error once.
  int finish(const Ending &ending);
  // An action from the view is refused once the program has ended or before
  // the window exists.
  Control *action_target(std::uint32_t control);

  QxServiceTable m_table{};
  BlockRegistry m_blocks;
  std::unique_ptr<View> m_view;
  std::mt19937 m_random;
  std::optional<std::uint64_t> m_fixed_seed;
  std::unique_ptr<WindowModel> m_window;
  bool m_window_loaded = false;
  std::unordered_map<std::uint32_t, Routine> m_routines;
  QxRoutineFn m_registered = nullptr;
  int m_loop_depth = 0;
  bool m_close_requested = false;
  std::optional<Ending> m_pending; // ended inside the message loop
  std::optional<int> m_exit_status;
  std::string m_error_report;
  std::uint64_t m_service_calls = 0;
  std::uint64_t m_command_calls = 0;
};

template <typename Body> int Runtime::run_body(Body &&body) {
  try {
    body();
    if (m_pending)
      return finish(*m_pending);
    return finish(ProgramEnded{0});
  } catch (const ProgramEnded &ended) {
    return finish(ended);
  } catch (const RuntimeFault &fault) {
    return finish(fault);
  } catch (const std::exception &error) {
    return finish(internal_fault(error));
  }
}

// The service table's functions; each forwards to Runtime::current().
// Exposed for tests that call services without a loaded image.
const QxServiceTable &service_functions();

} // namespace qx::rt
