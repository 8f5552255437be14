// The process's standard input, output and error as byte streams.
#ifndef QUADRIX_PLATFORM_STANDARD_STREAMS_H
#define QUADRIX_PLATFORM_STANDARD_STREAMS_H

namespace qx::platform {

/// Makes standard input, output and error pass bytes unchanged, so that a
/// program reads and writes the same bytes on every system: no line-end
/// translation (LF stays LF, CR stays CR) and no end-of-file byte. Call it
/// before the first read or write. Nothing to do on POSIX.
void use_binary_standard_streams();

} // namespace qx::platform

#endif // QUADRIX_PLATFORM_STANDARD_STREAMS_H
