// libFuzzer target: the form reader on arbitrary bytes. Whatever it
// accepts must write back to the same bytes (the two slot words as zero)
// and read again as the same form.
#include "window/form_io.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  qx::form::Form form;
  try {
    form = qx::form::read_form(std::span(data, size));
  } catch (const qx::FormatError &) {
    return 0;
  }
  std::vector<std::uint8_t> expected(data, data + size);
  std::fill(expected.begin() + 0x08, expected.begin() + 0x10, 0);
  std::vector<std::uint8_t> written = qx::form::write_form(form);
  if (written != expected)
    std::abort();
  if (qx::form::read_form(written) != form)
    std::abort();
  return 0;
}
