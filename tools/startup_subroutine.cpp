// The start-up subroutine that the entry routine runs before the window is
// loaded.
#include "runtime/sdk/routine.h"

#include <cstdint>

namespace {

// Start-up has nothing to prepare in this program.
void prepare_start(void) {}

} // namespace

QX_IMAGE_ROUTINE std::int32_t startup_subroutine(void) {
  prepare_start();
  return 0;
}
