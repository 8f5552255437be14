// WebPane.rtp loaded as the runtime loads it: its identity, and which
// addresses its view shows as shipped pages.
#include "platform/library.h"
#include "runtime/webpane/webpane.h"

#include <QApplication>
#include <QTextBrowser>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {

class WebPaneTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_library = qx::platform::Library::load(QX_TEST_WEBPANE);
    ASSERT_TRUE(m_library.loaded()) << QX_TEST_WEBPANE;
  }

  // The text the view shows for `address`.
  QString shownFor(const char *address) {
    auto create =
        m_library.symbol<QxWebPaneCreateViewFn>(QX_WEBPANE_CREATE_VIEW_NAME);
    EXPECT_NE(create, nullptr);
    if (!create)
      return {};
    auto *view = static_cast<QWidget *>(create(&m_parent, address));
    EXPECT_NE(view, nullptr);
    EXPECT_EQ(view->parentWidget(), &m_parent);
    auto *browser = qobject_cast<QTextBrowser *>(view);
    EXPECT_NE(browser, nullptr);
    return browser ? browser->toPlainText() : QString();
  }

  qx::platform::Library m_library;
  QWidget m_parent;
};

TEST_F(WebPaneTest, IdentifiesItselfAsTheLibraryTableNamesIt) {
  auto identify =
      m_library.symbol<QxWebPaneIdentifyFn>(QX_WEBPANE_IDENTIFY_NAME);
  ASSERT_NE(identify, nullptr);
  const QxWebPaneIdentity *identity = identify();
  ASSERT_NE(identity, nullptr);
  EXPECT_EQ(identity->size, sizeof(QxWebPaneIdentity));
  EXPECT_STREQ(identity->identifier, "A6F04C2E91B7453DB8E01C7D59F3A264");
  EXPECT_EQ(identity->major, 2u);
  EXPECT_EQ(identity->minor, 0u);
}

TEST_F(WebPaneTest, ShowsShippedPagesAndANoticeForAnyOtherAddress) {
  const QString notice = QStringLiteral("无法显示此网页");
  const struct {
    const char *address;
    bool shipped;
  } cases[] = {
      // The configured page and its spellings.
      {"http://quadrix.invalid/ad1.htm", true},
      {"HTTP://Quadrix.Invalid/ad1.htm", true},
      {"https://quadrix.invalid/ad1.htm#top", true},
      // Not a shipped file.
      {"http://quadrix.invalid/missing.htm", false},
      {"http://quadrix.invalid/", false},
      {"http://quadrix.invalid/../WebPane.rtp", false},
      {"http://quadrix.invalid/%2E%2E/etc/passwd", false},
      {"http://quadrix.invalid/sub/ad1.htm", false},
      // Other hosts and schemes never reach the network or the disk.
      {"http://example.com/ad1.htm", false},
      {"file:///etc/passwd", false},
      {"ftp://quadrix.invalid/ad1.htm", false},
      {"not an address", false},
      {"", false},
      {nullptr, false},
  };
  for (const auto &c : cases) {
    const QString shown = shownFor(c.address);
    const char *label = c.address ? c.address : "(null)";
    EXPECT_EQ(shown.contains(notice), !c.shipped) << label;
    EXPECT_EQ(shown.contains(QStringLiteral("2&1/3")), c.shipped) << label;
  }
}

TEST_F(WebPaneTest, RefusesToCreateAViewWithoutAParent) {
  auto create =
      m_library.symbol<QxWebPaneCreateViewFn>(QX_WEBPANE_CREATE_VIEW_NAME);
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(create(nullptr, "http://quadrix.invalid/ad1.htm"), nullptr);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
