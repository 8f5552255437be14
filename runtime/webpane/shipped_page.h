// The pages shipped beside the runtime: which file an address of the local
// host names, and whether that file may be shown. Shared by the hypertext
// view (WebPane.rtp) and the desktop view's hyperlink.
#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace qx::webpane {

// Pages larger than this are not shown: they are not the shipped pages.
inline constexpr qint64 kMaxPageBytes = 4 * 1024 * 1024;

// The page the local host's root address stands for.
inline constexpr const char *kGuidePage = "ad1.htm";

// The shipped file that `url` names: "http(s)://quadrix.invalid/NAME" with
// NAME a plain file name (`root_page` when the path is "/" and `root_page`
// is given). The file, with every symbolic link followed, must lie directly
// in the real directory `directory`, be a regular file named *.htm or
// *.html and be at most kMaxPageBytes long. nullopt for any other address
// or file.
std::optional<QString> shippedPageFile(const QUrl &url,
                                       const QString &directory,
                                       const char *root_page = nullptr);

// The text of the page `file` (UTF-8), or nullopt when it cannot be read,
// has grown past kMaxPageBytes or holds a zero byte (not a page).
std::optional<QString> readShippedPage(const QString &file);

} // namespace qx::webpane
