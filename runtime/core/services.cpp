// The functions of the service table: each forwards to the active runtime.
//
// end_program and raise_runtime_error never return: they throw ProgramEnded
// and RuntimeFault, which unwind through the program's routines (whose block
// owners free what they hold) to the runtime's dispatch.
#include "runtime/core/runtime.h"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace qx::rt {
namespace {

Runtime &active() {
  Runtime *runtime = Runtime::current();
  if (!runtime) {
    std::fputs("quadrix runtime: a service was called with no active runtime\n",
               stderr);
    std::abort();
  }
  runtime->count_service_call();
  return *runtime;
}

// Runs a service body; running out of memory becomes runtime error 100.
template <typename Body> auto guarded(Body &&body) {
  try {
    return body();
  } catch (const std::bad_alloc &) {
    throw RuntimeFault{kErrorOutOfMemory, {}};
  }
}

void raise_runtime_error(std::int32_t code) { throw RuntimeFault{code, {}}; }

std::uint64_t call_command(std::uint32_t number, const std::uint32_t *record) {
  return guarded([&] { return active().call_command(number, record); });
}

std::uint64_t read_property(std::uint32_t window, std::uint32_t control,
                            std::int32_t property, std::int32_t element) {
  return guarded([&] {
    return active().read_property(window, control, property, element);
  });
}

void write_property(std::uint32_t window, std::uint32_t control,
                    std::int32_t property, std::int32_t element,
                    std::uint32_t low, std::uint32_t high) {
  guarded([&] {
    active().write_property(window, control, property, element, low, high);
  });
}

void *allocate(std::uint32_t size) {
  return guarded([&] { return active().blocks().allocate(size); });
}

void *reallocate(void *block, std::uint32_t size) {
  return guarded([&] { return active().blocks().reallocate(block, size); });
}

void free_block(void *block) {
  guarded([&] { active().blocks().free(block); });
}

void end_program(std::int32_t code) { throw ProgramEnded{code}; }

void message_loop(std::int32_t) {
  guarded([] { active().message_loop(); });
}

void load_window(std::uint32_t window) {
  guarded([&] { active().load_window(window); });
}

void runtime_utility(std::int32_t subfunction, std::uint64_t first,
                     std::uint64_t second) {
  guarded([&] { active().runtime_utility(subfunction, first, second); });
}

void show_document(std::uint32_t window, std::uint32_t control,
                   const std::uint8_t *bytes, std::uint32_t size) {
  guarded([&] { active().show_document(window, control, bytes, size); });
}

QxServiceTable make_table() {
  QxServiceTable table{};
  table.size = sizeof(QxServiceTable);
  table.version = QX_SERVICE_TABLE_VERSION;
  table.raise_runtime_error = raise_runtime_error;
  table.call_command = call_command;
  table.read_property = read_property;
  table.write_property = write_property;
  table.allocate = allocate;
  table.reallocate = reallocate;
  table.free = free_block;
  table.end_program = end_program;
  table.message_loop = message_loop;
  table.load_window = load_window;
  table.runtime_utility = runtime_utility;
  table.show_document = show_document;
  return table;
}

} // namespace

const QxServiceTable &service_functions() {
  static const QxServiceTable table = make_table();
  return table;
}

} // namespace qx::rt
