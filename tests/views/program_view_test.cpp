// The real program's routines in the runtime with the Qt view on the
// offscreen platform: what a pupil types, presses and then reads.
#include "platform/gbk.h"
#include "program/control_ids.h"
#include "program/embedded_image.h"
#include "runtime/core/runtime.h"
#include "runtime/loader/loader.h"
#include "runtime/views/qt/qt_view.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

namespace ctl = qx::ctl;

class ProgramViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto view = std::make_unique<qx::views::QtView>();
    view->setLibraryDirectory(QX_TEST_LIBRARY_DIR);
    m_view = view.get();
    m_runtime = std::make_unique<qx::rt::Runtime>(std::move(view));
    // The runtime relocates the image in place: a fresh padded copy.
    constexpr std::size_t kPage = 0x1000;
    m_image.assign((qx_program_image_size + kPage - 1) / kPage * kPage, 0);
    std::memcpy(m_image.data(), qx_program_image_pristine,
                qx_program_image_size);
    qx::rt::load_program(*m_runtime,
                         std::span(m_image.data(), qx_program_image_size),
                         QX_TEST_LIBRARY_DIR);
    m_runtime->load_window(QX_MAIN_WINDOW);
    ASSERT_NE(m_view->mainWindow(), nullptr);
  }
  void TearDown() override {
    EXPECT_EQ(m_runtime->blocks().outstanding_blocks(), 0u);
    m_runtime.reset();
  }

  QLineEdit *edit(std::uint32_t id) const {
    return qobject_cast<QLineEdit *>(m_view->widgetFor(id));
  }
  void page(int index) const {
    ASSERT_TRUE(m_runtime->select_page(ctl::选择夹1, index));
  }
  // Types `text` as an input method commits it.
  void type(std::uint32_t id, const QString &text) const {
    QLineEdit *box = edit(id);
    box->setFocus();
    box->selectAll();
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
  }
  void enter(std::uint32_t id) const {
    QTest::keyClick(edit(id), Qt::Key_Return);
  }

  qx::views::QtView *m_view = nullptr;
  std::unique_ptr<qx::rt::Runtime> m_runtime;
  std::vector<unsigned char> m_image;
};

TEST_F(ProgramViewTest, FullWidthCoefficientsComputeAsTheirAsciiForms) {
  type(ctl::编辑框1, QStringLiteral("２"));
  type(ctl::编辑框2, QStringLiteral("３"));
  EXPECT_EQ(edit(ctl::编辑框1)->text(), QStringLiteral("2"));
  enter(ctl::编辑框2);
  EXPECT_EQ(edit(ctl::编辑框3)->text(), QStringLiteral("-1.5"));

  type(ctl::编辑框1, QStringLiteral("１２"));
  type(ctl::编辑框2, QStringLiteral("－３"));
  enter(ctl::编辑框1);
  EXPECT_EQ(edit(ctl::编辑框3)->text(), QStringLiteral("0.25"));

  page(3);
  type(ctl::编辑框4, QStringLiteral("１/２"));
  type(ctl::编辑框5, QStringLiteral("１／３"));
  enter(ctl::编辑框5);
  EXPECT_EQ(edit(ctl::编辑框12)->text(), QStringLiteral("5/6"));
}

// Long results of every page, each shown from its first character.
TEST_F(ProgramViewTest, LongResultsShowTheirFirstCharacter) {
  const struct {
    int page;
    std::vector<std::pair<std::uint32_t, const char *>> typed;
    std::uint32_t result;
    const char *text;
  } cases[] = {
      {0,
       {{ctl::编辑框1, "3"}, {ctl::编辑框2, "7"}},
       ctl::编辑框3,
       "-2.33333333333333"},
      {2,
       {{ctl::二次项系数, "3"}, {ctl::一次项系数, "-2"}, {ctl::常数项, "0"}},
       ctl::x1,
       "0.666666666666667"},
      {1,
       {{ctl::xya1, "3"},
        {ctl::xyb1, "0"},
        {ctl::xyc1, "1"},
        {ctl::xya2, "0"},
        {ctl::xyb2, "1"},
        {ctl::xyc2, "0"}},
       ctl::xyx,
       "0.333333333333333"},
      {3,
       {{ctl::编辑框4, "41/15"}, {ctl::编辑框5, "1/19"}},
       ctl::编辑框12,
       "794/285"},
  };
  for (const auto &c : cases) {
    page(c.page);
    for (const auto &[box, text] : c.typed)
      type(box, QString::fromUtf8(text));
    enter(c.typed.back().first);
    QLineEdit *result = edit(c.result);
    EXPECT_EQ(result->text(), QString::fromUtf8(c.text));
    EXPECT_EQ(result->cursorPosition(), 0) << c.text;
    result->grab(); // a line edit scrolls its text when it paints
    EXPECT_LE(result->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(),
              8)
        << c.text;
  }
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
