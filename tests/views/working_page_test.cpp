// The working in the hypertext view of WebPane.rtp: what it paints for a
// fraction and a root, the return link, and the guide coming back.
#include "document/document_codec.h"
#include "platform/library.h"
#include "runtime/webpane/webpane.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using namespace qx::doc;

Span t(const char *utf8) { return {text(utf8)}; }

Document working() {
  Document d;
  d.add(ParagraphStyle::Heading, t("系数化为1"));
  d.add(ParagraphStyle::Formula, {text("x = "), fraction(t("13"), t("4")),
                                  text("，"), text("y = "), root(t("5"))});
  d.add(ParagraphStyle::Formula,
        {text("x"), superscript(t("2")), text(" = 5")});
  d.add(ParagraphStyle::ReturnLink, t("返回使用指南"));
  return d;
}

// The ink of an image, row by row: how many pixels of each row are drawn
// (alpha above a half), and the leftmost and rightmost drawn column.
struct Row {
  int count = 0;
  int first = -1;
  int last = -1;
};

std::vector<Row> inkRows(const QImage &image) {
  std::vector<Row> rows(static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qAlpha(image.pixel(x, y)) > 128) {
        Row &row = rows[static_cast<std::size_t>(y)];
        ++row.count;
        if (row.first < 0)
          row.first = x;
        row.last = x;
      }
  return rows;
}

// The images of the formulas in `document`, in order.
std::vector<QImage> formulaImages(QTextDocument &document) {
  std::vector<QImage> images;
  for (QTextBlock block = document.begin(); block.isValid();
       block = block.next())
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextCharFormat format = it.fragment().charFormat();
      if (!format.isImageFormat())
        continue;
      const QVariant resource = document.resource(
          QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
      images.push_back(resource.value<QImage>());
    }
  return images;
}

class WorkingPageTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_library = qx::platform::Library::load(QX_TEST_WEBPANE);
    ASSERT_TRUE(m_library.loaded()) << QX_TEST_WEBPANE;
    m_show = m_library.symbol<QxWebPaneShowDocumentFn>(
        QX_WEBPANE_SHOW_DOCUMENT_NAME);
    ASSERT_NE(m_show, nullptr);
    const auto create =
        m_library.symbol<QxWebPaneCreateViewFn>(QX_WEBPANE_CREATE_VIEW_NAME);
    ASSERT_NE(create, nullptr);
    m_browser = qobject_cast<QTextBrowser *>(static_cast<QWidget *>(
        create(&m_parent, "http://quadrix.invalid/ad1.htm")));
    ASSERT_NE(m_browser, nullptr);
    m_browser->resize(510, 422);
    m_guide = m_browser->toPlainText();
  }

  int show(const std::vector<std::uint8_t> &bytes) {
    return m_show(m_browser, bytes.data(),
                  static_cast<std::uint32_t>(bytes.size()), &record, this,
                  0x160108D1);
  }
  static void record(void *context, std::uint32_t tag) {
    static_cast<WorkingPageTest *>(context)->m_returns.push_back(tag);
  }

  qx::platform::Library m_library;
  QxWebPaneShowDocumentFn m_show = nullptr;
  QWidget m_parent;
  QTextBrowser *m_browser = nullptr;
  QString m_guide;
  std::vector<std::uint32_t> m_returns;
};

TEST_F(WorkingPageTest, AFractionIsStackedOverABar) {
  ASSERT_EQ(show(encode(working())), 1);
  const std::vector<QImage> images = formulaImages(*m_browser->document());
  ASSERT_EQ(images.size(), 2u) << "a fraction and a root; x² is rich text";
  const std::vector<Row> rows = inkRows(images[0]);
  // The bar: a row drawn across nearly the whole width, wider than either
  // number, with drawn rows above it and below it, each apart from it by
  // an empty row. A "/" has no such row.
  const int width = images[0].width();
  std::size_t bar = rows.size();
  for (std::size_t y = 0; y < rows.size(); ++y)
    if (rows[y].count >= width * 7 / 10) {
      bar = y;
      break;
    }
  ASSERT_LT(bar, rows.size()) << "no bar";
  std::size_t above = 0, below = 0;
  for (std::size_t y = 0; y < rows.size(); ++y) {
    if (rows[y].count == 0 || rows[y].count >= width * 7 / 10)
      continue;
    (y < bar ? above : below) += 1;
  }
  EXPECT_GE(above, 5u) << "the numerator's rows";
  EXPECT_GE(below, 5u) << "the denominator's rows";
  // An empty row on each side of the bar (its thickness may be two rows).
  std::size_t end = bar;
  while (end < rows.size() && rows[end].count >= width * 7 / 10)
    ++end;
  ASSERT_GT(bar, 0u);
  ASSERT_LT(end, rows.size());
  EXPECT_EQ(rows[bar - 1].count, 0);
  EXPECT_EQ(rows[end].count, 0);
}

TEST_F(WorkingPageTest, ARootHasABarOverItsRadicand) {
  ASSERT_EQ(show(encode(working())), 1);
  const std::vector<QImage> images = formulaImages(*m_browser->document());
  ASSERT_EQ(images.size(), 2u);
  const std::vector<Row> rows = inkRows(images[1]);
  std::size_t top = 0;
  while (top < rows.size() && rows[top].count == 0)
    ++top;
  ASSERT_LT(top, rows.size());
  // The first drawn row is the bar: long, reaching the right end, starting
  // after the sign's left stroke.
  const int width = images[1].width();
  EXPECT_GE(rows[top].count, width / 2);
  EXPECT_GE(rows[top].last, width - 4);
  EXPECT_GT(rows[top].first, 2);
  // Below the bar, left of its start, the sign's strokes reach down past
  // the digit under the bar.
  bool sign = false;
  std::size_t lowest = top;
  for (std::size_t y = top + 1; y < rows.size(); ++y) {
    if (rows[y].count == 0)
      continue;
    lowest = y;
    if (rows[y].first < rows[top].first)
      sign = true;
  }
  EXPECT_TRUE(sign) << "no radical sign left of the bar";
  EXPECT_GE(lowest - top, 8u) << "the sign and the digit span the height";
}

TEST_F(WorkingPageTest, TheReturnLinkAsksAndAnEmptyDocumentBringsTheGuide) {
  ASSERT_EQ(show(encode(working())), 1);
  const QString shown = m_browser->toPlainText();
  EXPECT_TRUE(shown.contains(QStringLiteral("系数化为1")));
  EXPECT_TRUE(shown.contains(QStringLiteral("返回使用指南")));
  EXPECT_NE(shown, m_guide);
  // The link is the last anchor; following it asks the program, later.
  emit m_browser->anchorClicked(QUrl(QStringLiteral("qx-return:guide")));
  EXPECT_TRUE(m_returns.empty()) << "called back within the click";
  QApplication::processEvents();
  EXPECT_EQ(m_returns, std::vector<std::uint32_t>{0x160108D1});
  // The program's answer: the guide again.
  ASSERT_EQ(show(encode(Document{})), 1);
  EXPECT_EQ(m_browser->toPlainText(), m_guide);
}

TEST_F(WorkingPageTest, BadBytesOrAnotherWidgetChangeNothing) {
  ASSERT_EQ(show(encode(working())), 1);
  const QString shown = m_browser->toPlainText();
  std::vector<std::uint8_t> bad = encode(working());
  bad.back() ^= 0x80; // the last text is no longer UTF-8
  EXPECT_EQ(show(bad), 0);
  EXPECT_EQ(m_show(m_browser, nullptr, 4, nullptr, nullptr, 0), 0);
  QLabel label;
  const std::vector<std::uint8_t> good = encode(working());
  EXPECT_EQ(m_show(&label, good.data(), static_cast<std::uint32_t>(good.size()),
                   nullptr, nullptr, 0),
            0);
  EXPECT_EQ(m_browser->toPlainText(), shown);
}

} // namespace
