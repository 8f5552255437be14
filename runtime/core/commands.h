// The runtime's numbered commands, run on argument records.
#pragma once

#include <cstdint>

namespace qx::rt {

class Runtime;

// Runs command `number` on `record` (a count and that many triples) and
// returns its result: 32-bit values zero-extended, doubles as their 64 bits,
// texts and arrays as the address of a fresh block owned by the caller, 0
// for commands without a result. An unknown number, an argument count
// outside the command's range, a wrong argument kind, or a null record is a
// runtime error (RuntimeFault) naming the command and the argument.
std::uint64_t run_command(Runtime &runtime, std::uint32_t number,
                          const std::uint32_t *record);

// The name of command `number` ("to_text"), or null for an unknown number.
const char *command_name(std::uint32_t number);

} // namespace qx::rt
