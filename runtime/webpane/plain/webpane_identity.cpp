// WebPane.rtp for a build without Qt: the library's identity, which the
// runtime checks when the image's library table names it. The hypertext
// view itself belongs to the native view there.
#include "runtime/webpane/webpane.h"

namespace {

const QxWebPaneIdentity kIdentity = {sizeof(QxWebPaneIdentity),
                                     QX_WEBPANE_IDENTIFIER, QX_WEBPANE_MAJOR,
                                     QX_WEBPANE_MINOR};

} // namespace

extern "C" const QxWebPaneIdentity *WebPaneIdentify(void) { return &kIdentity; }
