// The two ways a program stops inside a runtime call: end_program and
// raise_runtime_error, both thrown as exceptions that unwind through the
// program's code (whose block owners free what they hold) to the runtime's
// dispatch, which catches them.
#pragma once

#include <cstdint>
#include <string>

namespace qx::rt {

// Runtime error codes. 1 and 4 are the program's own; the rest are raised by
// the runtime when a call breaks the contract.
enum ErrorCode : std::int32_t {
  kErrorIndexPastEnd = 1,
  kErrorIndexBelowOne = 4,
  kErrorOutOfMemory = 100,
  kErrorBadCommand = 101,
  kErrorBadArgument = 102,
  kErrorBadProperty = 103,
  kErrorBadBlock = 104,
  kErrorBadWindow = 105,
  kErrorNoRoutine = 106,
  kErrorInternal = 107,
};

// The exit status of a program ended by a runtime error.
inline constexpr int kRuntimeErrorStatus = 3;

// end_program(code): the program ends normally with `code`.
struct ProgramEnded {
  std::int32_t code = 0;
};

// raise_runtime_error(code) or a broken call: the program ends with
// kRuntimeErrorStatus after the report.
struct RuntimeFault {
  std::int32_t code = 0;
  std::string detail; // what was wrong, for the report; may be empty

  // "runtime error 4: array index below 1", with ": detail" appended.
  std::string report() const;
};

// A short description of `code` ("array index below 1"); "unknown error"
// for codes the runtime does not know.
const char *describe_error(std::int32_t code);

[[noreturn]] void fail(std::int32_t code, std::string detail);

} // namespace qx::rt
