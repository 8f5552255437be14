// WebPane.rtp: the hypertext view, a page browser that shows the pages
// shipped beside the library and never reaches the network.
#include "runtime/webpane/webpane.h"

#include "platform/library.h"
#include "runtime/webpane/shipped_page.h"

#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include <filesystem>
#include <optional>

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
  QUrl m_address;
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
  view->open(QUrl(QString::fromUtf8(address ? address : "")));
  return view;
}

} // extern "C"
