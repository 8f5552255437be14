// libFuzzer target: the document decoder on arbitrary bytes. Whatever it
// accepts must encode back to the same bytes, decode again to the same
// document and render as plain text.
#include "document/document_codec.h"
#include "document/plain_text.h"

#include "base/format_error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data,
                                      std::size_t size) {
  qx::doc::Document document;
  try {
    document = qx::doc::decode(std::span(data, size));
  } catch (const qx::FormatError &) {
    return 0;
  }
  const std::vector<std::uint8_t> written = qx::doc::encode(document);
  if (written != std::vector<std::uint8_t>(data, data + size))
    std::abort();
  if (qx::doc::decode(written) != document)
    std::abort();
  static_cast<void>(qx::doc::to_plain_text(document));
  return 0;
}
