// WebPane.rtp: the hypertext view, a page browser that shows the pages
// shipped beside the library and never reaches the network.
#include "runtime/webpane/webpane.h"

#include "platform/library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include <filesystem>
#include <optional>

#define QX_WEBPANE_EXPORT __attribute__((visibility("default"), used))

namespace {

// Pages larger than this are not shown: they are not the shipped pages.
constexpr qint64 kMaxPageBytes = 4 * 1024 * 1024;

// The directory that holds this library and the pages shipped with it.
QString libraryDirectory() {
  const std::optional<std::filesystem::path> directory =
      qx::platform::module_directory(
          reinterpret_cast<const void *>(&WebPaneIdentify));
  return directory ? QString::fromStdString(directory->string()) : QString();
}

// The shipped file an address names: "http://quadrix.invalid/NAME" with
// NAME a plain file name in `directory`. nullopt for any other address.
std::optional<QString> shippedPage(const QUrl &url, const QString &directory) {
  if (!url.isValid() || directory.isEmpty())
    return std::nullopt;
  const QString scheme = url.scheme().toLower();
  if ((scheme != u"http" && scheme != u"https") ||
      url.host().compare(QStringLiteral(QX_WEBPANE_LOCAL_HOST),
                         Qt::CaseInsensitive) != 0)
    return std::nullopt;
  const QString path = url.path();
  if (!path.startsWith(u'/'))
    return std::nullopt;
  const QString name = path.mid(1);
  if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
      name.contains(u'\\'))
    return std::nullopt;
  const QString file = QDir(directory).filePath(name);
  if (!QFileInfo(file).isFile())
    return std::nullopt;
  return file;
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
    const std::optional<QString> file = shippedPage(address, m_directory);
    if (!file)
      return showNotice(address);
    QFile page(*file);
    if (!page.open(QIODevice::ReadOnly) || page.size() > kMaxPageBytes)
      return showNotice(address);
    // Shipped pages are UTF-8.
    setHtml(QString::fromUtf8(page.readAll()));
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
