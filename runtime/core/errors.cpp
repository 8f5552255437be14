// Descriptions and reports of runtime errors.
#include "runtime/core/errors.h"

#include <utility>

namespace qx::rt {

const char *describe_error(std::int32_t code) {
  switch (code) {
  case kErrorIndexPastEnd:
    return "array index beyond the last element";
  case kErrorIndexBelowOne:
    return "array index below 1";
  case kErrorOutOfMemory:
    return "out of memory";
  case kErrorBadCommand:
    return "unknown command";
  case kErrorBadArgument:
    return "bad command argument";
  case kErrorBadProperty:
    return "bad property access";
  case kErrorBadBlock:
    return "bad memory block";
  case kErrorBadWindow:
    return "bad window";
  case kErrorNoRoutine:
    return "no routine bound";
  case kErrorInternal:
    return "internal error";
  default:
    return "unknown error";
  }
}

std::string RuntimeFault::report() const {
  std::string text =
      "runtime error " + std::to_string(code) + ": " + describe_error(code);
  if (!detail.empty())
    text += ": " + detail;
  return text;
}

void fail(std::int32_t code, std::string detail) {
  throw RuntimeFault{code, std::move(detail)};
}

} // namespace qx::rt
