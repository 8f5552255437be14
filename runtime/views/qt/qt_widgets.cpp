// GBK texts, Windows colours and fonts for Qt, and the view's small widgets.
#include "runtime/views/qt/qt_widgets.h"

#include "platform/gbk.h"
#include "runtime/core/input_mode.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QMouseEvent>
#include <QStringList>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextLayout>
#include <QTranslator>

#include <algorithm>
#include <exception>
#include <memory>

namespace qx::views {

QString fromGbk(std::string_view gbk) {
  try {
    const std::string utf8 = platform::gbk_to_utf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  } catch (const std::exception &) {
    // No GBK converter on this system: show the ASCII part at least.
    return QString::fromLatin1(gbk.data(), static_cast<qsizetype>(gbk.size()));
  }
}

namespace {

std::string convertToGbk(const QString &text) {
  const QByteArray utf8 = text.toUtf8();
  try {
    return platform::utf8_to_gbk(
        std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
  } catch (const std::exception &) {
    return text.toLatin1().toStdString();
  }
}

} // namespace

std::string toGbk(const QString &text) {
  // A keystroke is converted by the box's validator and again when the box
  // reports the edit: the last conversion is kept for the second time.
  thread_local QString lastText;
  thread_local std::string lastGbk;
  thread_local bool converted = false;
  if (!converted || text != lastText) {
    lastGbk = convertToGbk(text);
    lastText = text;
    converted = true;
  }
  return lastGbk;
}

QString displayCaption(const QString &caption) {
  QString shown;
  shown.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] != u'&') {
      shown += caption[i];
      continue;
    }
    // "&&" is one "&"; "&x" is an underlined x, shown here as x.
    if (i + 1 < caption.size())
      shown += caption[++i];
  }
  return shown;
}

QString wrapToWidth(const QString &text, const QFont &font, int width) {
  if (width <= 0)
    return text;
  QTextLayout layout(text, font);
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  QStringList lines;
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid();
       line = layout.createLine()) {
    line.setLineWidth(width);
    lines << text.mid(line.textStart(), line.textLength()).trimmed();
  }
  layout.endLayout();
  return lines.join(u'\n');
}

std::optional<QColor> colourFromColorRef(std::uint32_t colour) {
  if ((colour & 0xFF000000u) != 0)
    return std::nullopt;
  return QColor(static_cast<int>(colour & 0xFF),
                static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

QFont fontFromLogFont(const form::Font &font, const QFont &base) {
  QFont result = base;
  const auto &name = font.face_name;
  const auto end = std::find(name.begin(), name.end(), std::uint8_t{0});
  const std::string face(name.begin(), end);
  if (!face.empty())
    result.setFamilies({fromGbk(face)});
  if (font.height != 0) {
    // INT32_MIN has no positive counterpart; any huge size is nonsense.
    const std::int64_t height = font.height;
    const std::int64_t pixels =
        std::clamp<std::int64_t>(height < 0 ? -height : height, 1, 1000);
    result.setPixelSize(static_cast<int>(pixels));
  }
  if (font.weight > 0)
    result.setWeight(
        static_cast<QFont::Weight>(std::clamp(font.weight, 1, 1000)));
  result.setItalic(font.italic != 0);
  result.setUnderline(font.underline != 0);
  result.setStrikeOut(font.strike_out != 0);
  return result;
}

void installSongFaceFallback() {
  const QStringList installed = {
      QStringLiteral("AR PL UMing CN"),   QStringLiteral("AR PL UMing TW"),
      QStringLiteral("AR PL SungtiL GB"), QStringLiteral("Noto Serif CJK SC"),
      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei")};
  for (const char16_t *song : {u"宋体", u"新宋体", u"SimSun", u"NSimSun"}) {
    const QString face = QString::fromUtf16(song);
    if (QFont::substitutes(face).isEmpty())
      QFont::insertSubstitutions(face, installed);
  }
}

bool installQtTranslations(const QLocale &locale) {
  QCoreApplication *app = QCoreApplication::instance();
  if (!app)
    return false;
  const QLocale chinese = locale.language() == QLocale::Chinese
                              ? locale
                              : QLocale(QLocale::Chinese, QLocale::China);
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    return false;
  const QString name = QStringLiteral("qxQtTranslations");
  if (auto *previous = app->findChild<QTranslator *>(name)) {
    QCoreApplication::removeTranslator(previous);
    previous->setObjectName(QString());
    previous->deleteLater();
  }
  translator->setObjectName(name);
  translator->setParent(app);
  return QCoreApplication::installTranslator(translator.release());
}

QString foldFullWidth(QString text) {
  for (QChar &c : text)
    c = QChar(static_cast<char16_t>(rt::fold_full_width(c.unicode())));
  return text;
}

bool fitsInEdit(const QLineEdit &edit, const QString &text) {
  // QLineEdit keeps this margin between its contents rectangle and the text.
  constexpr int kLineEditHorizontalMargin = 2;
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = edit.contentsRect();
  option.lineWidth =
      edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth,
                                                  &option, &edit)
                      : 0;
  option.midLineWidth = 0;
  option.state |= QStyle::State_Sunken;
  option.features = QStyleOptionFrame::None;
  const QRect contents =
      edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit);
  const QMargins margins = edit.textMargins();
  const int room = contents.width() - margins.left() - margins.right() -
                   2 * kLineEditHorizontalMargin;
  return edit.fontMetrics().horizontalAdvance(text) <= room;
}

void ClickableLabel::mousePressEvent(QMouseEvent *event) {
  m_pressed = event->button() == Qt::LeftButton;
  QLabel::mousePressEvent(event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent *event) {
  const bool click = m_pressed && event->button() == Qt::LeftButton &&
                     rect().contains(event->position().toPoint());
  m_pressed = false;
  QLabel::mouseReleaseEvent(event);
  if (click && m_onClick)
    m_onClick();
}

QValidator::State InputModeValidator::validate(QString &input, int &) const {
  if (m_folding)
    input = foldFullWidth(input);
  return rt::input_accepts(m_inputMode, toGbk(input)) ? Acceptable : Invalid;
}

void MainWindow::closeEvent(QCloseEvent *event) {
  event->accept();
  if (m_onClose)
    m_onClose();
}

} // namespace qx::views
