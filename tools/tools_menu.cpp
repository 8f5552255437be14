// The tools menu (text editor, calculator, exit) and the window's created
// event.
#include "program/const_pool.h"
#include "program/tool_routines.h"
#include "runtime/sdk/sdk.h"

#include <cstdint>

namespace {

using namespace qx;
namespace konst = qx::image::konst;

// Starts the program at `relative_path` under the system directory named by
// SystemRoot. An unset variable leaves the path relative to the root; a
// program that cannot be started passes silently.
void run_system_program(std::uint32_t relative_path) {
  sdk::Text path;
  {
    const sdk::Text root =
        sdk::get_environment_variable(sdk::const_text(konst::kSystemRoot));
    path = sdk::concat({root.c_str(), sdk::const_text(relative_path)});
  }
  sdk::run_program(path.c_str());
}

} // namespace

QX_IMAGE_ROUTINE void OnRunNotepad() {
  run_system_program(konst::kNotepadPath);
}

QX_IMAGE_ROUTINE void OnRunCalculator() {
  run_system_program(konst::kCalculatorPath);
}

QX_IMAGE_ROUTINE void OnExit() { sdk::end_program(0); }

QX_IMAGE_ROUTINE void OnWindowCreated() { sdk::set_random_seed(); }
