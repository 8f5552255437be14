#include "runtime/webpane/working_page.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

namespace qx::webpane {
namespace {

// Raised and lowered spans are this much smaller than the text beside them,
// but never below kSmallestPixels.
constexpr qreal kScriptScale = 0.7;
constexpr qreal kSmallestPixels = 8;

// A laid-out piece of a formula: its advance, its extent above and below the
// baseline, and how to paint it with its baseline's left end at a point.
struct Box {
  qreal width = 0;
  qreal ascent = 0;
  qreal descent = 0;
  std::function<void(QPainter &, QPointF)> paint = [](QPainter &, QPointF) {};
};

qreal pixelSize(const QFont &font) {
  if (font.pixelSize() > 0)
    return font.pixelSize();
  return QFontMetricsF(font).height();
}

QFont scriptFont(const QFont &font) {
  QFont smaller = font;
  smaller.setPixelSize(static_cast<int>(
      std::max(kSmallestPixels, std::round(pixelSize(font) * kScriptScale))));
  return smaller;
}

class Layout {
public:
  explicit Layout(QColor ink) : m_ink(std::move(ink)) {}

  Box span(const doc::Span &nodes, const QFont &font) const {
    const QFontMetricsF metrics(font);
    Box row;
    // An empty span keeps the height of a line, so that a bar over or
    // under it still has room.
    row.ascent = metrics.ascent();
    row.descent = metrics.descent();
    std::vector<std::pair<qreal, Box>> placed;
    for (const doc::Node &node : nodes) {
      Box box = this->node(node, font);
      row.ascent = std::max(row.ascent, box.ascent);
      row.descent = std::max(row.descent, box.descent);
      placed.emplace_back(row.width, std::move(box));
      row.width += placed.back().second.width;
    }
    row.paint = [placed = std::move(placed)](QPainter &p, QPointF at) {
      for (const auto &[x, box] : placed)
        box.paint(p, at + QPointF(x, 0));
    };
    return row;
  }

  Box node(const doc::Node &node, const QFont &font) const {
    switch (node.kind) {
    case doc::NodeKind::Text:
      return text(node.text, font);
    case doc::NodeKind::Fraction:
      if (node.parts.size() == 2)
        return fraction(span(node.parts[0], font), span(node.parts[1], font),
                        font);
      break;
    case doc::NodeKind::Root:
      if (node.parts.size() == 1)
        return root(span(node.parts[0], font), font);
      break;
    case doc::NodeKind::Superscript:
    case doc::NodeKind::Subscript:
      if (node.parts.size() == 1)
        return shifted(span(node.parts[0], scriptFont(font)), font,
                       node.kind == doc::NodeKind::Superscript);
      break;
    }
    return Box{};
  }

private:
  Box text(const std::string &utf8, const QFont &font) const {
    const QString shown =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QFontMetricsF metrics(font);
    Box box;
    box.width = metrics.horizontalAdvance(shown);
    box.ascent = metrics.ascent();
    box.descent = metrics.descent();
    box.paint = [shown, font, ink = m_ink](QPainter &p, QPointF at) {
      p.setFont(font);
      p.setPen(ink);
      p.drawText(at, shown);
    };
    return box;
  }

  // Line thickness and the small gaps of a formula in `font`.
  static qreal rule(const QFont &font) {
    return std::max<qreal>(1, std::round(pixelSize(font) / 14));
  }
  static qreal gap(const QFont &font) {
    return std::max<qreal>(2, std::round(pixelSize(font) / 8));
  }

  Box fraction(Box numerator, Box denominator, const QFont &font) const {
    const QFontMetricsF metrics(font);
    const qreal thickness = rule(font);
    const qreal space = gap(font);
    const qreal pad = space;
    // The bar lies on the formula axis, half an x-height up.
    const qreal axis = std::round(metrics.xHeight() / 2);
    // Whole pixels, so that the bar is drawn sharp.
    const qreal barTop = std::round(-axis - thickness / 2);
    const qreal barBottom = barTop + thickness;
    const qreal numeratorBaseline = barTop - space - numerator.descent;
    const qreal denominatorBaseline = barBottom + space + denominator.ascent;
    Box box;
    box.width = std::max(numerator.width, denominator.width) + 2 * pad;
    box.ascent = -(numeratorBaseline - numerator.ascent);
    box.descent = denominatorBaseline + denominator.descent;
    const qreal width = box.width;
    box.paint = [=, ink = m_ink, numerator = std::move(numerator),
                 denominator = std::move(denominator)](QPainter &p,
                                                       QPointF at) {
      numerator.paint(
          p, at + QPointF((width - numerator.width) / 2, numeratorBaseline));
      denominator.paint(p, at + QPointF((width - denominator.width) / 2,
                                        denominatorBaseline));
      p.fillRect(
          QRectF(at.x() + pad / 2, at.y() + barTop, width - pad, thickness),
          ink);
    };
    return box;
  }

  Box root(Box radicand, const QFont &font) const {
    const qreal thickness = rule(font);
    const qreal space = gap(font);
    const qreal sign = std::round(pixelSize(font) * 0.6);
    // The middle of the bar's line, at whole pixels plus half its width.
    const qreal barY =
        std::round(-(radicand.ascent + space + thickness)) + thickness / 2;
    Box box;
    box.width = sign + radicand.width + space;
    box.ascent = radicand.ascent + space + thickness;
    box.descent = radicand.descent;
    const qreal bottom = radicand.descent;
    const qreal middle = (barY + bottom) / 2;
    box.paint = [=, ink = m_ink, radicand = std::move(radicand)](QPainter &p,
                                                                 QPointF at) {
      radicand.paint(p, at + QPointF(sign, 0));
      // A short rising tick, the long stroke down, the stroke up to the bar,
      // and the bar over the radicand.
      QPainterPath path;
      path.moveTo(at + QPointF(0, middle + sign * 0.15));
      path.lineTo(at + QPointF(sign * 0.25, middle));
      path.lineTo(at + QPointF(sign * 0.5, bottom));
      path.lineTo(at + QPointF(sign * 0.9, barY));
      path.lineTo(at + QPointF(sign + radicand.width + space, barY));
      p.setPen(QPen(ink, thickness, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
      p.setBrush(Qt::NoBrush);
      p.drawPath(path);
    };
    return box;
  }

  static Box shifted(Box inner, const QFont &font, bool raised) {
    const QFontMetricsF metrics(font);
    const qreal shift = raised ? -std::round(metrics.ascent() * 0.45)
                               : std::round(metrics.ascent() * 0.2);
    Box box;
    box.width = inner.width;
    box.ascent = std::max<qreal>(0, inner.ascent - shift);
    box.descent = std::max<qreal>(0, inner.descent + shift);
    box.paint = [shift, inner = std::move(inner)](QPainter &p, QPointF at) {
      inner.paint(p, at + QPointF(0, shift));
    };
    return box;
  }

  QColor m_ink;
};

// A raised or lowered span of plain text, which rich text can show itself.
bool isPlainScript(const doc::Node &node) {
  if (node.kind != doc::NodeKind::Superscript &&
      node.kind != doc::NodeKind::Subscript)
    return false;
  return node.parts.size() == 1 &&
         std::all_of(node.parts[0].begin(), node.parts[0].end(),
                     [](const doc::Node &inner) {
                       return inner.kind == doc::NodeKind::Text;
                     });
}

QString fromUtf8(const std::string &utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QTextBlockFormat blockFormat(doc::ParagraphStyle style, qreal line) {
  QTextBlockFormat format;
  format.setTopMargin(line * 0.15);
  format.setBottomMargin(line * 0.15);
  switch (style) {
  case doc::ParagraphStyle::Heading:
    format.setTopMargin(line * 0.5);
    break;
  case doc::ParagraphStyle::Formula:
    format.setLeftMargin(line * 2);
    break;
  case doc::ParagraphStyle::ReturnLink:
    format.setTopMargin(line * 0.8);
    break;
  case doc::ParagraphStyle::Body:
  case doc::ParagraphStyle::Note:
    break;
  }
  return format;
}

QTextCharFormat charFormat(doc::ParagraphStyle style, const QFont &font,
                           const QColor &ink) {
  QTextCharFormat format;
  format.setFont(font);
  format.setForeground(ink);
  switch (style) {
  case doc::ParagraphStyle::Heading:
    format.setFontWeight(QFont::Bold);
    break;
  case doc::ParagraphStyle::Note:
    format.setForeground(QColor(0x55, 0x55, 0x55));
    break;
  case doc::ParagraphStyle::ReturnLink:
    format.setAnchor(true);
    format.setAnchorHref(QString::fromLatin1(kReturnLinkAddress));
    format.setForeground(QColor(0x00, 0x00, 0xEE));
    format.setFontUnderline(true);
    break;
  case doc::ParagraphStyle::Body:
  case doc::ParagraphStyle::Formula:
    break;
  }
  return format;
}

} // namespace

QImage renderFormula(const doc::Node &node, const QFont &font,
                     const QColor &ink) {
  const Box box = Layout(ink).node(node, font);
  // The baseline in the middle: as much room below it as above.
  const qreal half = std::ceil(std::max(box.ascent, box.descent)) + 1;
  const int width = std::max(1, static_cast<int>(std::ceil(box.width)) + 2);
  QImage image(width, static_cast<int>(2 * half),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  box.paint(painter, QPointF(1, half));
  return image;
}

void writeWorking(QTextDocument &target, const doc::Document &working,
                  const QFont &font, const QColor &ink) {
  target.clear();
  target.setDefaultFont(font);
  const qreal line = QFontMetricsF(font).height();
  QTextCursor cursor(&target);
  int images = 0;
  bool first = true;
  for (const doc::Paragraph &paragraph : working.paragraphs) {
    const QTextBlockFormat block = blockFormat(paragraph.style, line);
    if (first)
      cursor.setBlockFormat(block);
    else
      cursor.insertBlock(block);
    first = false;
    const QTextCharFormat format = charFormat(paragraph.style, font, ink);
    for (const doc::Node &node : paragraph.content) {
      if (node.kind == doc::NodeKind::Text) {
        cursor.insertText(fromUtf8(node.text), format);
        continue;
      }
      if (isPlainScript(node)) {
        QTextCharFormat script = format;
        script.setVerticalAlignment(node.kind == doc::NodeKind::Superscript
                                        ? QTextCharFormat::AlignSuperScript
                                        : QTextCharFormat::AlignSubScript);
        for (const doc::Node &inner : node.parts[0])
          cursor.insertText(fromUtf8(inner.text), script);
        continue;
      }
      const QImage image =
          renderFormula(node, font, format.foreground().color());
      const QString name = QStringLiteral("qx-formula:%1").arg(++images);
      target.addResource(QTextDocument::ImageResource, QUrl(name), image);
      QTextImageFormat picture;
      picture.merge(format);
      picture.setName(name);
      picture.setWidth(image.width());
      picture.setHeight(image.height());
      picture.setVerticalAlignment(QTextCharFormat::AlignMiddle);
      cursor.insertImage(picture);
    }
  }
}

} // namespace qx::webpane
