// POSIX streams never translate line ends.
#include "platform/standard_streams.h"

namespace qx::platform {

void use_binary_standard_streams() {}

} // namespace qx::platform
