// The C runtime opens the standard streams in text mode on Windows, turning
// LF into CR LF on output and CR LF into LF on input.
#include "platform/standard_streams.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <initializer_list>

namespace qx::platform {

void use_binary_standard_streams() {
  for (std::FILE *stream : {stdin, stdout, stderr})
    _setmode(_fileno(stream), _O_BINARY);
}

} // namespace qx::platform
