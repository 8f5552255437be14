// WebPane.rtp loaded as the runtime loads it: its identity, and which
// addresses its view shows as shipped pages.
#include "platform/library.h"
#include "runtime/webpane/shipped_page.h"
#include "runtime/webpane/webpane.h"
#include "tests/platform/test_support.h"

#include <QApplication>
#include <QTextBrowser>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstring>

namespace {

namespace fs = std::filesystem;

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

// A copy of WebPane.rtp in a scratch directory beside the shipped page and
// files planted around it, as a hostile user could place them.
class PlantedFiles : public ::testing::Test {
protected:
  void SetUp() override {
    m_pages = m_root.path() / "pages";
    m_outside = m_root.path() / "outside";
    fs::create_directories(m_pages);
    fs::create_directories(m_outside);
    const fs::path shipped = fs::path(QX_TEST_WEBPANE).parent_path();
    fs::copy_file(QX_TEST_WEBPANE, m_pages / "WebPane.rtp");
    fs::copy_file(shipped / "ad1.htm", m_pages / "ad1.htm");
    m_library = qx::platform::Library::load(m_pages / "WebPane.rtp");
    ASSERT_TRUE(m_library.loaded());
  }

  bool shows(const std::string &name) {
    auto create =
        m_library.symbol<QxWebPaneCreateViewFn>(QX_WEBPANE_CREATE_VIEW_NAME);
    EXPECT_NE(create, nullptr);
    if (!create)
      return false;
    const std::string address = "http://quadrix.invalid/" + name;
    auto *view = static_cast<QWidget *>(create(&m_parent, address.c_str()));
    auto *browser = qobject_cast<QTextBrowser *>(view);
    EXPECT_NE(browser, nullptr);
    return browser &&
           !browser->toPlainText().contains(QStringLiteral("无法显示此网页"));
  }

  qx::test::TempDir m_root;
  fs::path m_pages;
  fs::path m_outside;
  qx::platform::Library m_library;
  QWidget m_parent;
};

TEST_F(PlantedFiles, OnlyPagesThatLieInTheDirectoryAreShown) {
  using qx::test::write_file;
  const std::string page = "<p>a page</p>";
  write_file(m_outside / "elsewhere.htm", page);
  write_file(m_pages / "upper.HTML", page);
  write_file(m_pages / "notes.txt", page);
  write_file(m_pages / "binary.htm", std::string("<p>\0\x7F"
                                                 "ELF</p>",
                                                 10));
  write_file(m_pages / "huge.htm", std::string(4 * 1024 * 1024 + 1, 'x'));
  fs::create_directories(m_pages / "folder.htm");
  fs::create_symlink("ad1.htm", m_pages / "inside.htm");
  fs::create_symlink(m_outside / "elsewhere.htm", m_pages / "outside.htm");
  fs::create_symlink("/proc/self/environ", m_pages / "environ.htm");
  fs::create_symlink("/proc/self/status", m_pages / "status");
  fs::create_symlink(m_pages / "WebPane.rtp", m_pages / "library.htm");
  fs::create_symlink(m_pages / "missing.htm", m_pages / "dangling.htm");
  fs::create_symlink(m_outside, m_pages / "sub");

  const struct {
    const char *name;
    bool shown;
  } cases[] = {
      {"ad1.htm", true},       {"upper.HTML", true},
      {"inside.htm", true},    // a link to a page beside it
      {"outside.htm", false},  // a link out of the directory
      {"environ.htm", false},  // a /proc file
      {"status", false},       // neither .htm nor .html, and in /proc
      {"library.htm", false},  // a link to the binary beside it
      {"binary.htm", false},   // holds a zero byte
      {"huge.htm", false},     // over the size limit
      {"folder.htm", false},   // a directory
      {"dangling.htm", false}, // a link to nothing
      {"notes.txt", false},    // not a page
      {"WebPane.rtp", false},  // the library itself
  };
  for (const auto &c : cases)
    EXPECT_EQ(shows(c.name), c.shown) << c.name;
}

// The pages are found beside the library also when its directory is named
// through a link, and the guide page stands for the host's root address only
// where the caller asks for it.
TEST_F(PlantedFiles, DirectoryNamedThroughALink) {
  const fs::path linked = m_root.path() / "linked";
  fs::create_directory_symlink(m_pages, linked);
  const QString directory = QString::fromStdString(linked.string());
  const QString real =
      QString::fromStdString(fs::canonical(m_pages / "ad1.htm").string());
  using qx::webpane::shippedPageFile;
  EXPECT_EQ(shippedPageFile(QUrl("http://quadrix.invalid/ad1.htm"), directory),
            real);
  EXPECT_EQ(shippedPageFile(QUrl("http://quadrix.invalid/"), directory),
            std::nullopt);
  EXPECT_EQ(shippedPageFile(QUrl("http://quadrix.invalid/"), directory,
                            qx::webpane::kGuidePage),
            real);
  EXPECT_EQ(shippedPageFile(QUrl("http://quadrix.invalid/sub/x.htm"), directory,
                            qx::webpane::kGuidePage),
            std::nullopt);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
