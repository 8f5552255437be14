// The pages shipped beside the runtime.
#include "runtime/webpane/shipped_page.h"

#include "runtime/webpane/webpane.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qx::webpane {

std::optional<QString> shippedPageFile(const QUrl &url,
                                       const QString &directory,
                                       const char *root_page) {
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
  QString name = path.mid(1);
  if (name.isEmpty() && root_page)
    name = QString::fromUtf8(root_page);
  if (name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') ||
      name.contains(u'\\'))
    return std::nullopt;

  // Both sides with every link followed: a link planted beside the pages
  // may only lead to another file beside them.
  const QString home = QFileInfo(directory).canonicalFilePath();
  const QFileInfo file(QDir(directory).filePath(name));
  const QString real = file.canonicalFilePath();
  if (home.isEmpty() || real.isEmpty())
    return std::nullopt;
  const QFileInfo target(real);
  const QString suffix = target.suffix().toLower();
  if (target.absolutePath() != home || !target.isFile() ||
      (suffix != u"htm" && suffix != u"html") || target.size() > kMaxPageBytes)
    return std::nullopt;
  return real;
}

std::optional<QString> readShippedPage(const QString &file) {
  QFile page(file);
  if (!page.open(QIODevice::ReadOnly))
    return std::nullopt;
  // One byte more than allowed tells a file that grew since it was checked.
  const QByteArray bytes = page.read(kMaxPageBytes + 1);
  if (bytes.size() > kMaxPageBytes || bytes.contains('\0'))
    return std::nullopt;
  return QString::fromUtf8(bytes);
}

} // namespace qx::webpane
