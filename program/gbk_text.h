// Strict UTF-8 to GBK conversion for texts the image writer stores.
#pragma once

#include <string>
#include <string_view>

namespace qx::image {

// The GBK bytes of `utf8`. Throws qx::FormatError naming `what` when the
// text is not valid UTF-8 or holds a character GBK cannot represent: a
// declared text is stored exactly or not at all.
std::string to_gbk(std::string_view utf8, std::string_view what);

} // namespace qx::image
