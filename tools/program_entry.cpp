// The program's start-up routines, exported by name for the runtime: the
// binder, the entry routine, the initialisation routine and the routine
// registered with runtime_utility 3.
#include "runtime/sdk/routine.h"
#include "runtime/sdk/sdk.h"

#include <cfenv>

QX_IMAGE_ROUTINE int32_t startup_subroutine(void);

QX_IMAGE_ROUTINE int32_t qx_program_bind(const QxLinkBlock *link) {
  return qx::sdk::bind(link) ? QX_BIND_ACCEPTED : QX_BIND_REFUSED;
}

// The program has no global variables to set up.
QX_IMAGE_ROUTINE void qx_program_init(void) {}

// Handed to the runtime during start-up; it has nothing to do.
QX_IMAGE_ROUTINE void qx_program_registered(void) {}

QX_IMAGE_ROUTINE void qx_program_entry(void) {
  // Round to nearest, every floating-point exception masked.
  std::fesetround(FE_TONEAREST);
  std::fenv_t environment;
  std::feholdexcept(&environment);

  qx_program_init();
  qx::sdk::register_routine(qx_program_registered);
  static_cast<void>(startup_subroutine());
  qx::sdk::load_window(QX_MAIN_WINDOW);
  qx::sdk::message_loop();
  qx::sdk::end_program(0);
}
