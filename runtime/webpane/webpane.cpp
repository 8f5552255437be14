// WebPane.rtp: the hypertext view, a page browser that shows the pages
// shipped beside the library and never reaches the network, and in their
// place the working of a calculation when the program hands one over.
#include "runtime/webpane/webpane.h"

#include "base/format_error.h"
#include "document/document_codec.h"
#include "platform/library.h"
#include "runtime/webpane/shipped_page.h"
#include "runtime/webpane/working_page.h"

#include <QPalette>
#include <QScrollBar>
#include <QString>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <optional>
#include <span>

#define QX_WEBPANE_EXPORT __attribute__((visibility("default"), used))

namespace {

// The directory that holds this library and the pages shipped with it.
QString libraryDirectory() {
  const std::optional<std::filesystem::path> directory =
      qx::platform::module_directory(
          reinterpret_cast<const void *>(&WebPaneIdentify));
  return directory ? QString::fromStdString(directory->string()) : QString();
}

class PageView : public QTextBrowser {
public:
  PageView(QWidget *parent, QString directory)
      : QTextBrowser(parent), m_directory(std::move(directory)) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this,
            [this](const QUrl &link) { follow(link); });
  }

  // The page the view was created with: the guide.
  void openHome(const QUrl &address) {
    m_home = address;
    open(address);
  }

  // Shows `working` in place of the page; an empty document brings the
  // guide back. A click on the working's return link calls `onReturn`.
  void showWorking(const qx::doc::Document &working,
                   std::function<void()> onReturn) {
    if (working.empty()) {
      m_onReturn = {};
      open(m_home);
      return;
    }
    m_onReturn = std::move(onReturn);
    m_address = QUrl();
    qx::webpane::writeWorking(*document(), working, font(),
                              palette().color(QPalette::Text));
    verticalScrollBar()->setValue(0);
  }

  void open(const QUrl &address) {
    m_address = address;
    const std::optional<QString> file =
        qx::webpane::shippedPageFile(address, m_directory);
    const std::optional<QString> text =
        file ? qx::webpane::readShippedPage(*file) : std::nullopt;
    if (!text)
      return showNotice(address);
    setHtml(*text);
    if (address.hasFragment())
      scrollToAnchor(address.fragment());
  }

private:
  void follow(const QUrl &link) {
    if (link == QUrl(QString::fromLatin1(qx::webpane::kReturnLinkAddress))) {
      // The program answers by bringing the guide back through
      // showWorking; that waits until this click has been handled.
      if (m_onReturn)
        QTimer::singleShot(0, this, m_onReturn);
      return;
    }
    const QUrl target = m_address.resolved(link);
    const bool samePage = target.adjusted(QUrl::RemoveFragment) ==
                          m_address.adjusted(QUrl::RemoveFragment);
    if (samePage && target.hasFragment()) {
      scrollToAnchor(target.fragment());
      return;
    }
    open(target);
  }

  void showNotice(const QUrl &address) {
    const QString shown = address.toDisplayString().toHtmlEscaped();
    setHtml(QStringLiteral("<p>无法显示此网页。</p><p>%1</p>").arg(shown));
  }

  QString m_directory;
  QUrl m_home;
  QUrl m_address;
  std::function<void()> m_onReturn;
};

const QxWebPaneIdentity kIdentity = {sizeof(QxWebPaneIdentity),
                                     QX_WEBPANE_IDENTIFIER, QX_WEBPANE_MAJOR,
                                     QX_WEBPANE_MINOR};

} // namespace

extern "C" {

QX_WEBPANE_EXPORT const QxWebPaneIdentity *WebPaneIdentify(void) {
  return &kIdentity;
}

QX_WEBPANE_EXPORT void *WebPaneCreateView(void *parent, const char *address) {
  if (!parent)
    return nullptr;
  auto *view = new PageView(static_cast<QWidget *>(parent), libraryDirectory());
  view->openHome(QUrl(QString::fromUtf8(address ? address : "")));
  return view;
}

QX_WEBPANE_EXPORT int WebPaneShowDocument(void *view, const uint8_t *bytes,
                                          uint32_t size,
                                          QxWebPaneReturnFn on_return,
                                          void *context, uint32_t tag) {
  auto *page = dynamic_cast<PageView *>(
      static_cast<QObject *>(static_cast<QWidget *>(view)));
  if (!page || (!bytes && size != 0))
    return 0;
  qx::doc::Document working;
  try {
    working = qx::doc::decode(std::span(bytes, size));
  } catch (const qx::FormatError &) {
    return 0;
  }
  std::function<void()> onReturn;
  if (on_return)
    onReturn = [on_return, context, tag] { on_return(context, tag); };
  page->showWorking(working, std::move(onReturn));
  return 1;
}

} // extern "C"
