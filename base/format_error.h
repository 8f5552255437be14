// The error every reader of image and form bytes throws for malformed input.
#pragma once

#include <stdexcept>
#include <string>

namespace qx {

// Names the field, the record or section, and the offset that is wrong, e.g.
// "form record 17: counted text length 0x7fffffff runs past the record end".
class FormatError : public std::runtime_error {
public:
  explicit FormatError(const std::string &what) : std::runtime_error(what) {}
};

} // namespace qx
