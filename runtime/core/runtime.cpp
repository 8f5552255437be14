// The runtime of one running program: services, properties, the window, the
// message loop and the dispatch of user actions to routines.
#include "runtime/core/runtime.h"

#include "base/format_error.h"
#include "document/document_codec.h"
#include "runtime/core/commands.h"
#include "runtime/core/input_mode.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <new>
#include <span>

namespace qx::rt {
namespace {

Runtime *g_current = nullptr;

std::string hex(std::uint32_t value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", value);
  return buffer;
}

// Leaves the message loop's depth count right however the loop ends.
class LoopDepth {
public:
  explicit LoopDepth(int &depth) : m_depth(depth) { ++m_depth; }
  ~LoopDepth() { --m_depth; }
  LoopDepth(const LoopDepth &) = delete;
  LoopDepth &operator=(const LoopDepth &) = delete;

private:
  int &m_depth;
};

} // namespace

Runtime::Runtime(std::unique_ptr<View> view) : m_view(std::move(view)) {
  if (g_current)
    throw std::logic_error("a runtime is already active in this process");
  if (!m_view)
    throw std::logic_error("a runtime needs a view");
  m_table = service_functions();
  reseed_random();
  g_current = this;
}

Runtime::~Runtime() {
  // The view may refer to the model; it goes first.
  if (m_window)
    m_window->attach_view(nullptr);
  m_view.reset();
  g_current = nullptr;
}

Runtime *Runtime::current() { return g_current; }

void Runtime::seed_random(std::uint64_t seed) {
  m_fixed_seed = seed;
  reseed_random();
}

void Runtime::reseed_random() {
  if (m_fixed_seed) {
    std::seed_seq sequence{static_cast<std::uint32_t>(*m_fixed_seed),
                           static_cast<std::uint32_t>(*m_fixed_seed >> 32)};
    m_random.seed(sequence);
    return;
  }
  std::random_device entropy;
  const auto now = static_cast<std::uint64_t>(
      std::chrono::steady_clock::now().time_since_epoch().count());
  std::seed_seq sequence{entropy(), entropy(), static_cast<std::uint32_t>(now),
                         static_cast<std::uint32_t>(now >> 32)};
  m_random.seed(sequence);
}

std::int32_t Runtime::random_integer(std::int32_t a, std::int32_t b) {
  std::uniform_int_distribution<std::int32_t> distribution(std::min(a, b),
                                                           std::max(a, b));
  return distribution(m_random);
}

void Runtime::install_form(form::Form form) {
  if (m_window_loaded)
    throw std::logic_error("the window is already loaded");
  m_window = std::make_unique<WindowModel>(std::move(form));
}

void Runtime::bind_routine(std::uint32_t code_offset, Routine routine) {
  m_routines[code_offset] = std::move(routine);
}

int Runtime::run(QxRoutineFn entry) {
  return run_body([entry] { entry(); });
}

RuntimeFault Runtime::internal_fault(const std::exception &error) {
  if (dynamic_cast<const std::bad_alloc *>(&error))
    return RuntimeFault{kErrorOutOfMemory, {}};
  return RuntimeFault{kErrorInternal, error.what()};
}

int Runtime::finish(const Ending &ending) {
  m_pending.reset();
  if (m_exit_status)
    return *m_exit_status;
  if (const auto *ended = std::get_if<ProgramEnded>(&ending)) {
    m_exit_status = ended->code;
    return ended->code;
  }
  m_error_report = std::get<RuntimeFault>(ending).report();
  std::fprintf(stderr, "%s\n", m_error_report.c_str());
  std::fflush(stderr);
  m_view->show_runtime_error(m_error_report);
  m_exit_status = kRuntimeErrorStatus;
  return kRuntimeErrorStatus;
}

// ---- Services ---------------------------------------------------------------

std::uint64_t Runtime::call_command(std::uint32_t number,
                                    const std::uint32_t *record) {
  ++m_command_calls;
  return run_command(*this, number, record);
}

Control &Runtime::property_target(std::uint32_t window, std::uint32_t control,
                                  std::int32_t element) {
  if (!m_window || !m_window_loaded || window != m_window->window_id())
    fail(kErrorBadWindow, "window " + hex(window) + " is not loaded");
  if (element != QX_ELEMENT_WHOLE)
    fail(kErrorBadProperty, "element index " + std::to_string(element) +
                                " of control " + hex(control) +
                                " (only -1 is supported)");
  Control *target = m_window->find(control);
  if (!target)
    fail(kErrorBadProperty,
         "window " + hex(window) + " has no control " + hex(control));
  return *target;
}

std::uint64_t Runtime::read_property(std::uint32_t window,
                                     std::uint32_t control,
                                     std::int32_t property,
                                     std::int32_t element) {
  const Control &target = property_target(window, control, element);
  switch (property) {
  case QX_PROP_VISIBLE:
    return m_window->effective_visible(target) ? 1 : 0;
  case QX_PROP_DISABLED:
    return target.disabled() ? 1 : 0;
  case QX_PROP_TEXT:
    return reinterpret_cast<std::uintptr_t>(m_blocks.copy_text(target.text()));
  case QX_PROP_SELECTION:
    return static_cast<std::uint32_t>(target.selection());
  default:
    fail(kErrorBadProperty, "property " + std::to_string(property) +
                                " of control " + hex(control) +
                                " cannot be read");
  }
}

void Runtime::write_property(std::uint32_t window, std::uint32_t control,
                             std::int32_t property, std::int32_t element,
                             std::uint32_t low, std::uint32_t high) {
  Control &target = property_target(window, control, element);
  switch (property) {
  case QX_PROP_VISIBLE:
    m_window->set_visible(target, low != 0);
    return;
  case QX_PROP_DISABLED:
    m_window->set_disabled(target, low != 0);
    return;
  case QX_PROP_TEXT: {
    const auto *text = reinterpret_cast<const char *>(
        static_cast<std::uintptr_t>(std::uint64_t{high} << 32 | low));
    m_window->set_text(target, text ? std::string(text) : std::string());
    return;
  }
  case QX_PROP_SELECTION: {
    const auto selection = static_cast<std::int32_t>(low);
    if (selection < -1 || selection >= target.choice_count())
      fail(kErrorBadProperty, "selection " + std::to_string(selection) +
                                  " of control " + hex(control) +
                                  " is out of range");
    m_window->set_selection(target, selection);
    return;
  }
  default:
    fail(kErrorBadProperty, "property " + std::to_string(property) +
                                " of control " + hex(control) +
                                " cannot be written");
  }
}

void Runtime::message_loop() {
  auto rethrow_pending = [this] {
    if (!m_pending)
      return;
    const Ending ending = *m_pending;
    std::visit([](const auto &e) { throw e; }, ending);
  };
  rethrow_pending();
  if (!m_window_loaded || m_close_requested)
    return;
  {
    LoopDepth depth(m_loop_depth);
    m_view->run_message_loop();
  }
  rethrow_pending();
}

void Runtime::load_window(std::uint32_t window) {
  if (!m_window)
    fail(kErrorBadWindow, "no form describes window " + hex(window));
  if (window != m_window->window_id())
    fail(kErrorBadWindow, "the form describes window " +
                              hex(m_window->window_id()) + ", not " +
                              hex(window));
  if (m_window_loaded)
    return;
  m_window->attach_view(m_view.get());
  m_view->create_window(*m_window, *this);
  m_view->show_window();
  m_window_loaded = true;
  if (const auto handler = m_window->window().handler(QX_EVENT_KIND_FIRST))
    call_routine(*handler);
}

void Runtime::runtime_utility(std::int32_t subfunction, std::uint64_t first,
                              std::uint64_t second) {
  if (subfunction == QX_UTILITY_REGISTER_ROUTINE) {
    m_registered =
        reinterpret_cast<QxRoutineFn>(static_cast<std::uintptr_t>(first));
    return;
  }
  if (subfunction != QX_UTILITY_PREPARE_ARRAY)
    fail(kErrorBadArgument,
         "runtime_utility sub-function " + std::to_string(subfunction));
  if (first == 0 || first > 8)
    fail(kErrorBadArgument,
         "runtime_utility 2: element width " + std::to_string(first));
  auto *variable =
      reinterpret_cast<void **>(static_cast<std::uintptr_t>(second));
  if (!variable)
    fail(kErrorBadArgument, "runtime_utility 2: no array variable");
  void *array = nullptr;
  std::memcpy(&array, variable, sizeof array);
  if (array) {
    if (!m_blocks.owns(array) || m_blocks.size_of(array) < 4)
      fail(kErrorBadBlock,
           "runtime_utility 2: the variable holds no array block");
    return;
  }
  // An empty one-dimensional array: {1, 0}.
  array = m_blocks.allocate(8);
  const std::uint32_t header[2] = {1, 0};
  std::memcpy(array, header, sizeof header);
  std::memcpy(variable, &array, sizeof array);
}

void Runtime::show_document(std::uint32_t window, std::uint32_t control,
                            const std::uint8_t *bytes, std::uint32_t size) {
  Control &target = property_target(window, control, QX_ELEMENT_WHOLE);
  if (target.unit_type() != QX_UNIT_HYPERTEXT_VIEW)
    fail(kErrorBadArgument,
         "control " + hex(control) + " is not a hypertext view");
  if (!bytes && size != 0)
    fail(kErrorBadArgument,
         "show_document: " + std::to_string(size) + " bytes at a null address");
  doc::Document document;
  try {
    document = doc::decode(std::span(bytes, size));
  } catch (const FormatError &error) {
    fail(kErrorBadArgument,
         "show_document for control " + hex(control) + ": " + error.what());
  }
  m_window->set_document(target, std::move(document));
}

// ---- Dispatch
// ------------------------------------------------------------------

void Runtime::call_routine(std::uint32_t code_offset) {
  const auto found = m_routines.find(code_offset);
  if (found == m_routines.end())
    fail(kErrorNoRoutine, "no routine at code offset " + hex(code_offset));
  const Routine &routine = found->second;
  if (routine.click) {
    routine.click(0, 0, 0);
    return;
  }
  if (routine.plain) {
    routine.plain();
    return;
  }
  fail(kErrorNoRoutine, "routine " + routine.name + " has no code");
}

void Runtime::dispatch(std::uint32_t code_offset) {
  std::optional<Ending> ending;
  try {
    call_routine(code_offset);
    return;
  } catch (const ProgramEnded &ended) {
    ending = ended;
  } catch (const RuntimeFault &fault) {
    ending = fault;
  } catch (const std::exception &error) {
    ending = internal_fault(error);
  }
  m_pending = *ending;
  if (m_loop_depth > 0) {
    m_view->quit_message_loop();
    return;
  }
  finish(*ending);
}

Control *Runtime::action_target(std::uint32_t control) {
  if (ended() || !m_window || !m_window_loaded)
    return nullptr;
  return m_window->find(control);
}

bool Runtime::type_text(std::uint32_t control, std::string_view gbk) {
  Control *target = action_target(control);
  if (!target || target->unit_type() != QX_UNIT_EDIT_BOX ||
      !m_window->effective_visible(*target) || target->disabled() ||
      !input_accepts(target->input_mode(), gbk))
    return false;
  m_window->set_text(*target, std::string(gbk));
  return true;
}

bool Runtime::select_item(std::uint32_t control, std::int32_t index) {
  Control *target = action_target(control);
  if (!target || target->unit_type() != QX_UNIT_COMBO_BOX ||
      !m_window->effective_visible(*target) || target->disabled() ||
      index < 0 || index >= target->choice_count())
    return false;
  m_window->set_selection(*target, index);
  return true;
}

bool Runtime::select_page(std::uint32_t tab, std::int32_t page) {
  Control *target = action_target(tab);
  if (!target || target->unit_type() != QX_UNIT_TAB_CONTROL ||
      !m_window->effective_visible(*target) || target->disabled() || page < 0 ||
      page >= target->choice_count())
    return false;
  m_window->set_selection(*target, page);
  return true;
}

bool Runtime::click(std::uint32_t control) {
  Control *target = action_target(control);
  if (!target || target->is_window() || !m_window->effective_visible(*target) ||
      target->disabled())
    return false;
  const std::int32_t event = target->unit_type() == QX_UNIT_BUTTON
                                 ? QX_EVENT_KIND_FIRST
                                 : QX_EVENT_CLICK;
  if (const auto handler = target->handler(event))
    dispatch(*handler);
  return true;
}

bool Runtime::choose_menu_item(std::uint32_t item) {
  if (ended() || !m_window || !m_window_loaded)
    return false;
  const form::MenuItemRecord *record = m_window->find_menu_item(item);
  if (!record)
    return false;
  if (record->handler != form::kNoHandler)
    dispatch(record->handler);
  return true;
}

bool Runtime::follow_return_link(std::uint32_t control) {
  Control *target = action_target(control);
  if (!target || target->unit_type() != QX_UNIT_HYPERTEXT_VIEW ||
      !m_window->effective_visible(*target) || target->disabled())
    return false;
  const auto &paragraphs = target->document().paragraphs;
  const bool has_link =
      std::any_of(paragraphs.begin(), paragraphs.end(), [](const auto &p) {
        return p.style == doc::ParagraphStyle::ReturnLink;
      });
  if (!has_link)
    return false;
  m_window->set_document(*target, {});
  return true;
}

void Runtime::close_window() {
  m_close_requested = true;
  if (m_loop_depth > 0)
    m_view->quit_message_loop();
}

} // namespace qx::rt
