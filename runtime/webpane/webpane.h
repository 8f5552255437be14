/* The C interface of WebPane.rtp, the hypertext view support library.
 *
 * The runtime loads the library because the image's library table names it
 * and may check its identity; the Qt view creates the hypertext view through
 * WebPaneCreateView. Every function is exported with C linkage so that it is
 * found with dlsym.
 */
#ifndef QUADRIX_RUNTIME_WEBPANE_WEBPANE_H
#define QUADRIX_RUNTIME_WEBPANE_WEBPANE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The identity the image's library table records for this library. */
#define QX_WEBPANE_IDENTIFIER "A6F04C2E91B7453DB8E01C7D59F3A264"
#define QX_WEBPANE_MAJOR 2u
#define QX_WEBPANE_MINOR 0u

typedef struct QxWebPaneIdentity {
  uint32_t size;          /* sizeof(QxWebPaneIdentity) */
  const char *identifier; /* 32 hexadecimal digits, zero-terminated */
  uint32_t major;
  uint32_t minor;
} QxWebPaneIdentity;

/* "WebPaneIdentify": the library's identity; a static record, never null. */
#define QX_WEBPANE_IDENTIFY_NAME "WebPaneIdentify"
typedef const QxWebPaneIdentity *(*QxWebPaneIdentifyFn)(void);
const QxWebPaneIdentity *WebPaneIdentify(void);

/* "WebPaneCreateView": creates the hypertext view as a child of `parent` (a
 * QWidget *, not null) showing the page at `address` (UTF-8, may be null for
 * none) and returns it as a QWidget * owned by `parent`. The address
 * "http://quadrix.invalid/NAME" opens the file NAME shipped beside the
 * library; the view never reaches the network, and an address it cannot
 * show gives a short notice in the view instead of a page. Returns null
 * when `parent` is null. Must be called on the thread that runs Qt. */
#define QX_WEBPANE_CREATE_VIEW_NAME "WebPaneCreateView"
typedef void *(*QxWebPaneCreateViewFn)(void *parent, const char *address);
void *WebPaneCreateView(void *parent, const char *address);

/* Called when the user follows the return link of a document the view
 * shows, with the `context` and `tag` given to WebPaneShowDocument; the
 * call comes from the event loop, never from within WebPaneShowDocument. */
typedef void (*QxWebPaneReturnFn)(void *context, uint32_t tag);

/* "WebPaneShowDocument": the view `view` (from WebPaneCreateView) shows the
 * document of `size` bytes at `bytes` (the document byte form of
 * document/document_codec.h) in place of its page; a document without
 * paragraphs brings back the page it was created with. A click on the
 * document's return link calls `on_return` (may be null). Returns 1 when
 * shown, 0 when `view` is not such a view or the bytes are not a document
 * (the view then stays as it was). Must be called on the thread that runs
 * Qt. */
#define QX_WEBPANE_SHOW_DOCUMENT_NAME "WebPaneShowDocument"
typedef int (*QxWebPaneShowDocumentFn)(void *view, const uint8_t *bytes,
                                       uint32_t size,
                                       QxWebPaneReturnFn on_return,
                                       void *context, uint32_t tag);
int WebPaneShowDocument(void *view, const uint8_t *bytes, uint32_t size,
                        QxWebPaneReturnFn on_return, void *context,
                        uint32_t tag);

/* The host whose pages are files shipped beside the library. */
#define QX_WEBPANE_LOCAL_HOST "quadrix.invalid"

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QUADRIX_RUNTIME_WEBPANE_WEBPANE_H */
