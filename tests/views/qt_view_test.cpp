// The Qt view on the offscreen platform: the main window built from the
// program's form through the real runtime, checked against the layout.
#include "document/document_codec.h"
#include "platform/gbk.h"
#include "program/control_ids.h"
#include "program/main_window.h"
#include "runtime/core/runtime.h"
#include "runtime/views/qt/qt_view.h"
#include "runtime/views/qt/qt_widgets.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using qx::platform::utf8_to_gbk;
using qx::views::fromGbk;
namespace ctl = qx::ctl;
namespace menu = qx::menu;

// ---- Recording routines ---------------------------------------------------
// Every routine the form binds is bound to a recorder that notes its name.

constexpr std::size_t kMaxRoutines = 48;
std::vector<std::string> g_routineNames;
std::vector<std::string> g_calls;
qx::views::QtView *g_view = nullptr;
bool g_shownWhenCreated = false;

void recordCall(std::size_t index) {
  const std::string &name = g_routineNames.at(index);
  if (name == "OnWindowCreated")
    g_shownWhenCreated =
        g_view && g_view->mainWindow() && g_view->mainWindow()->isVisible();
  g_calls.push_back(name);
}

template <std::size_t N> void plainRoutine() { recordCall(N); }
template <std::size_t N>
void clickRoutine(std::int32_t, std::int32_t, std::int32_t) {
  recordCall(N);
}

template <std::size_t... I>
constexpr auto plainRoutines(std::index_sequence<I...>) {
  return std::array<QxRoutineFn, sizeof...(I)>{&plainRoutine<I>...};
}
template <std::size_t... I>
constexpr auto clickRoutines(std::index_sequence<I...>) {
  return std::array<QxClickHandlerFn, sizeof...(I)>{&clickRoutine<I>...};
}
constexpr auto kPlain = plainRoutines(std::make_index_sequence<kMaxRoutines>());
constexpr auto kClick = clickRoutines(std::make_index_sequence<kMaxRoutines>());

std::string gbk(const char *utf8) { return utf8_to_gbk(utf8); }

// ---- The fixture: a runtime with the Qt view and the main window ----------

class QtViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    g_routineNames.clear();
    g_calls.clear();
    g_shownWhenCreated = false;

    auto qtView = std::make_unique<qx::views::QtView>();
    qtView->setLibraryDirectory(QX_TEST_LIBRARY_DIR);
    qtView->setUrlOpener([this](const QUrl &url) { m_opened.push_back(url); });
    g_view = qtView.get();
    m_runtime = std::make_unique<qx::rt::Runtime>(std::move(qtView));

    std::map<std::string, std::pair<std::uint32_t, std::uint32_t>> routines;
    qx::form::Form form = qx::window::main_window_form(
        [&](const qx::window::HandlerRef &ref) -> std::uint32_t {
          auto [it, added] = routines.try_emplace(
              std::string(ref.routine),
              static_cast<std::uint32_t>(0x18 + 0x10 * routines.size()),
              ref.arg_words);
          (void)added;
          return it->second.first;
        });
    for (const auto &[name, binding] : routines) {
      const std::size_t index = g_routineNames.size();
      ASSERT_LT(index, kMaxRoutines);
      g_routineNames.push_back(name);
      qx::rt::Routine routine{name, nullptr, nullptr};
      if (binding.second == 3)
        routine.click = kClick[index];
      else
        routine.plain = kPlain[index];
      m_runtime->bind_routine(binding.first, routine);
    }
    m_runtime->install_form(std::move(form));
    m_runtime->load_window(QX_MAIN_WINDOW);
    ASSERT_NE(view(), nullptr);
  }

  void TearDown() override {
    m_runtime.reset();
    g_view = nullptr;
  }

  QMainWindow *view() const { return g_view->mainWindow(); }
  QWidget *widget(std::uint32_t id) const {
    QWidget *w = g_view->widgetFor(id);
    EXPECT_NE(w, nullptr) << std::hex << id;
    return w;
  }
  template <typename W> W *widgetAs(std::uint32_t id) const {
    auto *w = qobject_cast<W *>(widget(id));
    EXPECT_NE(w, nullptr) << std::hex << id;
    return w;
  }
  const qx::rt::Control &control(std::uint32_t id) const {
    const qx::rt::Control *c = m_runtime->window()->find(id);
    EXPECT_NE(c, nullptr) << std::hex << id;
    return *c;
  }
  QTabWidget *tabs() const { return widgetAs<QTabWidget>(ctl::选择夹1); }

  // Brings a page to the front the way a user does: a click on its tab.
  void clickPage(int page) const {
    QTabBar *bar = tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    ASSERT_EQ(tabs()->currentIndex(), page);
  }
  // The visible flag as a routine reads it (property 5).
  bool readVisible(std::uint32_t id) const {
    return m_runtime->read_property(QX_MAIN_WINDOW, id, QX_PROP_VISIBLE,
                                    QX_ELEMENT_WHOLE) != 0;
  }
  // A routine writing `utf8` into a control's text (property 8).
  void writeText(std::uint32_t id, const char *utf8) const {
    const std::string text = gbk(utf8);
    const auto address = reinterpret_cast<std::uintptr_t>(text.c_str());
    m_runtime->write_property(QX_MAIN_WINDOW, id, QX_PROP_TEXT,
                              QX_ELEMENT_WHOLE,
                              static_cast<std::uint32_t>(address),
                              static_cast<std::uint32_t>(address >> 32));
  }
  void writeVisible(std::uint32_t id, bool visible) const {
    m_runtime->write_property(QX_MAIN_WINDOW, id, QX_PROP_VISIBLE,
                              QX_ELEMENT_WHOLE, visible ? 1 : 0, 0);
  }

  std::unique_ptr<qx::rt::Runtime> m_runtime;
  std::vector<QUrl> m_opened;
};

// ---- The window and its menu ---------------------------------------------

TEST_F(QtViewTest, WindowHasTitleOuterRectangleAndRanCreatedEventAfterShow) {
  EXPECT_EQ(view()->windowTitle(), QStringLiteral("QuadrixV1.0"));
  EXPECT_EQ(view()->frameGeometry(), QRect(50, 50, 542, 693));
  EXPECT_TRUE(view()->isVisible());
  ASSERT_EQ(g_calls, std::vector<std::string>{"OnWindowCreated"});
  EXPECT_TRUE(g_shownWhenCreated);
  EXPECT_FALSE(view()->windowIcon().isNull());
}

TEST_F(QtViewTest, MenuHoldsTheToolsInOrderAndChoosingRunsTheirHandlers) {
  const QList<QAction *> bar = view()->menuBar()->actions();
  ASSERT_EQ(bar.size(), 1);
  EXPECT_EQ(bar[0]->text(), QStringLiteral("常用工具"));
  QMenu *tools = bar[0]->menu();
  ASSERT_NE(tools, nullptr);
  const QList<QAction *> items = tools->actions();
  ASSERT_EQ(items.size(), 4);
  EXPECT_EQ(items[0]->text(), QStringLiteral("计算器"));
  EXPECT_EQ(items[1]->text(), QStringLiteral("记事本"));
  EXPECT_TRUE(items[2]->isSeparator());
  EXPECT_EQ(items[3]->text(), QStringLiteral("退出(&X)"));
  EXPECT_EQ(QKeySequence::mnemonic(items[3]->text()),
            QKeySequence(Qt::ALT | Qt::Key_X));

  const struct {
    std::uint32_t item;
    const char *handler; // nullptr: runs nothing
  } bindings[] = {
      {menu::计算器, "OnRunCalculator"},
      {menu::记事本, "OnRunNotepad"},
      {menu::退出, "OnExit"},
      {menu::分隔线, nullptr},
      {menu::常用工具, nullptr},
  };
  for (const auto &binding : bindings) {
    g_calls.clear();
    QAction *action = g_view->actionFor(binding.item);
    ASSERT_NE(action, nullptr) << std::hex << binding.item;
    action->trigger();
    if (binding.handler)
      EXPECT_EQ(g_calls, std::vector<std::string>{binding.handler});
    else
      EXPECT_TRUE(g_calls.empty()) << g_calls.front();
  }
}

TEST_F(QtViewTest, ClosingTheWindowEndsTheMessageLoop) {
  view()->close();
  m_runtime->message_loop(); // returns at once: nothing left to run
  EXPECT_FALSE(view()->isVisible());
}

TEST_F(QtViewTest, QuitFromInsideTheLoopEndsIt) {
  QTimer::singleShot(0, [] { g_view->quit_message_loop(); });
  m_runtime->message_loop();
  SUCCEED();
}

// ---- Geometry ---------------------------------------------------------------

struct Placement {
  std::uint32_t id;
  int page; // -1: a control of the window itself
  QRect rect;
};

// A sample from every page, written from the layout tables.
const Placement kPlacements[] = {
    {ctl::选择夹1, -1, {53, 6, 434, 161}},
    {ctl::清空, -1, {452, 8, 33, 16}},
    {ctl::超文本浏览框1, -1, {12, 176, 510, 422}},
    {ctl::自动消块1, -1, {389, 601, 128, 35}},
    {ctl::超级链接框1, -1, {4, 608, 96, 24}},
    {ctl::标签7, 0, {76, 32, 304, 24}},
    {ctl::编辑框1, 0, {67, 67, 95, 24}},
    {ctl::求解, 0, {316, 111, 72, 24}},
    {ctl::标签13, 1, {271, 33, 24, 40}},
    {ctl::xya1, 1, {32, 84, 53, 24}},
    {ctl::求方程组, 1, {260, 83, 40, 58}},
    {ctl::xyy, 1, {349, 116, 64, 24}},
    {ctl::标签11, 2, {299, 37, 8, 8}},
    {ctl::二次项系数, 2, {51, 70, 67, 24}},
    {ctl::求根, 2, {355, 117, 56, 24}},
    {ctl::分子1, 3, {21, 56, 19, 19}},
    {ctl::组合框1, 3, {56, 72, 40, 20}},
    {ctl::转换到假分数, 3, {338, 25, 88, 24}},
    {ctl::编辑框11, 3, {356, 119, 68, 24}},
    {ctl::编辑框13, 4, {12, 32, 55, 24}},
    {ctl::带分数到分数, 4, {280, 114, 84, 22}},
    {ctl::随机2, 4, {256, 143, 139, 13}},
};

TEST_F(QtViewTest, ControlsSitWhereTheLayoutPutsThem) {
  QWidget *client = view()->centralWidget();
  for (const Placement &p : kPlacements) {
    QWidget *w = widget(p.id);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), p.rect) << std::hex << p.id;
    // Page controls count from the tab control's corner, not its page area.
    QWidget *expectedParent = p.page < 0 ? client : tabs();
    EXPECT_EQ(w->parentWidget(), expectedParent) << std::hex << p.id;
    if (p.page < 0)
      continue;
    clickPage(p.page);
    EXPECT_EQ(w->isVisible(), control(p.id).own_visible()) << std::hex << p.id;
  }
}

// The caption a control's record gives it, as the widget should show it.
std::optional<QString> recordedCaption(const qx::form::ControlRecord &r) {
  if (const auto *p = std::get_if<qx::form::LabelProps>(&r.props))
    return qx::views::displayCaption(fromGbk(p->caption));
  if (const auto *p = std::get_if<qx::form::HyperlinkProps>(&r.props))
    return qx::views::displayCaption(fromGbk(p->caption));
  if (const auto *p = std::get_if<qx::form::ButtonProps>(&r.props))
    return fromGbk(p->caption);
  if (const auto *p = std::get_if<qx::form::CheckBoxProps>(&r.props))
    return fromGbk(p->caption);
  return std::nullopt;
}

QString shownCaption(QWidget *w) {
  if (auto *label = qobject_cast<QLabel *>(w))
    return label->text();
  if (auto *button = qobject_cast<QAbstractButton *>(w))
    return button->text();
  return {};
}

// A check box breaks a long caption into lines at blanks, which it drops.
QString withoutBlanks(QString text) {
  return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

TEST_F(QtViewTest, EveryWidgetAgreesWithItsFormRecordOnEveryPage) {
  std::size_t checked = 0;
  for (int page = 0; page < 5; ++page) {
    clickPage(page);
    for (const qx::form::Record &record : m_runtime->window()->form().records) {
      const auto *r = std::get_if<qx::form::ControlRecord>(&record);
      if (!r || r->unit_type == QX_UNIT_WINDOW)
        continue;
      QWidget *w = widget(r->id);
      ASSERT_NE(w, nullptr);
      const auto where = "control " + qx::platform::gbk_to_utf8(r->name) +
                         " on page " + std::to_string(page);
      EXPECT_EQ(w->objectName(), fromGbk(r->name)) << where;
      EXPECT_EQ(w->geometry(),
                QRect(r->rect.left, r->rect.top, r->rect.width, r->rect.height))
          << where;
      if (const auto caption = recordedCaption(*r)) {
        if (qobject_cast<QCheckBox *>(w))
          EXPECT_EQ(withoutBlanks(shownCaption(w)), withoutBlanks(*caption))
              << where;
        else
          EXPECT_EQ(shownCaption(w), *caption) << where;
      }
      const qx::rt::Control &c = control(r->id);
      const bool onShow = c.tab() == 0 || c.page() == page;
      EXPECT_EQ(w->isVisible(), c.own_visible() && onShow) << where;
      EXPECT_EQ(w->isVisible(), readVisible(r->id)) << where;
      EXPECT_EQ(w->isEnabled(), (r->flags & qx::form::kFlagDisabled) == 0)
          << where;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 5u * 108u);
}

TEST_F(QtViewTest, FocusIsTakenByTheKindsThatTakeIt) {
  const std::set<std::uint32_t> focusKinds = {
      QX_UNIT_EDIT_BOX, QX_UNIT_BUTTON, QX_UNIT_COMBO_BOX, QX_UNIT_CHECK_BOX,
      QX_UNIT_HYPERTEXT_VIEW};
  for (const qx::rt::Control &c : m_runtime->window()->controls()) {
    if (c.is_window())
      continue;
    const bool takesFocus = focusKinds.count(c.unit_type()) != 0;
    EXPECT_EQ(widget(c.id())->focusPolicy(),
              takesFocus ? Qt::StrongFocus : Qt::NoFocus)
        << qx::platform::gbk_to_utf8(c.name());
  }
  EXPECT_EQ(tabs()->tabBar()->focusPolicy(), Qt::NoFocus);
}

// ---- Pages and visibility ---------------------------------------------------

TEST_F(QtViewTest, StartsOnPageZeroAndShowsOnlyThePageOnShow) {
  EXPECT_EQ(tabs()->currentIndex(), 0);
  EXPECT_EQ(tabs()->count(), 5);
  EXPECT_EQ(tabs()->tabText(1), QStringLiteral("二元一次方程组"));
  // One entry box per page, as the clear link tells the pages apart.
  const std::array<std::uint32_t, 5> probes = {
      ctl::编辑框1, ctl::xya1, ctl::二次项系数, ctl::分子1, ctl::编辑框13};
  for (int page = 0; page < 5; ++page) {
    clickPage(page);
    EXPECT_EQ(control(ctl::选择夹1).selection(), page);
    for (int other = 0; other < 5; ++other) {
      const std::uint32_t id = probes[static_cast<std::size_t>(other)];
      EXPECT_EQ(widget(id)->isVisible(), other == page) << page << other;
      EXPECT_EQ(readVisible(id), other == page) << page << other;
    }
  }
}

TEST_F(QtViewTest, CtrlTabKeepsTheFocusOnTheNewPage) {
  widget(ctl::编辑框1)->setFocus();
  QApplication::processEvents();
  ASSERT_EQ(QApplication::focusWidget(), widget(ctl::编辑框1));
  // Each page's first control that takes the focus, in page order.
  const std::array<std::uint32_t, 5> first = {
      ctl::编辑框1, ctl::xya1, ctl::二次项系数, ctl::分子1, ctl::编辑框13};
  for (int page = 1; page <= 5; ++page) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                    Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(tabs()->currentIndex(), page % 5);
    EXPECT_EQ(QApplication::focusWidget(),
              widget(first[static_cast<std::size_t>(page % 5)]))
        << page;
  }
}

TEST_F(QtViewTest, AControlHiddenByTheProgramStaysHiddenWhenItsPageReturns) {
  clickPage(3);
  QWidget *random = widget(ctl::随机1);
  QWidget *improper = widget(ctl::转换到假分数);
  EXPECT_TRUE(random->isVisible());
  EXPECT_FALSE(improper->isVisible());
  EXPECT_FALSE(improper->isEnabled());

  // The program swaps the two labels while page 3 is on show.
  writeVisible(ctl::转换到假分数, true);
  writeVisible(ctl::随机1, false);
  EXPECT_TRUE(improper->isVisible());
  EXPECT_FALSE(random->isVisible());

  clickPage(0);
  EXPECT_FALSE(improper->isVisible());
  EXPECT_FALSE(readVisible(ctl::转换到假分数));
  clickPage(3);
  EXPECT_TRUE(improper->isVisible());
  EXPECT_FALSE(random->isVisible());

  // Shown by the program while its page is away: appears with the page.
  clickPage(4);
  writeVisible(ctl::随机1, true);
  EXPECT_FALSE(random->isVisible());
  clickPage(3);
  EXPECT_TRUE(random->isVisible());
}

TEST_F(QtViewTest, ClearLinkStaysOnTopAndClickableOnEveryPage) {
  QWidget *clear = widget(ctl::清空);
  QWidget *client = view()->centralWidget();
  const QPoint centre = clear->geometry().center();
  for (int page = 0; page < 5; ++page) {
    clickPage(page);
    EXPECT_TRUE(clear->isVisible());
    EXPECT_EQ(client->childAt(centre), clear) << "page " << page;
    // Above the header row: the link ends above the first row of controls.
    EXPECT_LE(clear->geometry().bottom(),
              tabs()->geometry().top() + tabs()->tabBar()->height());
    g_calls.clear();
    QTest::mouseClick(client->childAt(centre), Qt::LeftButton);
    EXPECT_EQ(g_calls, std::vector<std::string>{"OnClearPage"});
  }
  EXPECT_TRUE(m_opened.empty()); // no target address
}

// ---- Labels, links and lists -------------------------------------------

TEST_F(QtViewTest, LabelsShowDoubledAmpersandOnceAndWrapTheLongCaptions) {
  auto *demo = widgetAs<QLabel>(ctl::标签31);
  EXPECT_TRUE(demo->text().contains(QStringLiteral("二又三分之一: 2&1/3")))
      << demo->text().toStdString();
  EXPECT_FALSE(demo->text().contains(QStringLiteral("&&")));

  for (std::uint32_t id :
       {ctl::随机1, ctl::转换到假分数, ctl::标签12, ctl::标签31}) {
    auto *label = widgetAs<QLabel>(id);
    EXPECT_TRUE(label->wordWrap());
    const int lines = QFontMetrics(label->font()).lineSpacing();
    const int height = label->heightForWidth(label->width());
    EXPECT_GT(height, lines) << std::hex << id; // two lines ...
    EXPECT_LE(height, 24) << std::hex << id;    // ... inside the rectangle
  }
  EXPECT_FALSE(widgetAs<QLabel>(ctl::标签7)->wordWrap());
}

TEST_F(QtViewTest, ClickHereLabelsAndLinksAreBlueWithAHandCursor) {
  const QColor blue(0, 0, 255);
  for (std::uint32_t id : {ctl::随机1, ctl::转换到假分数, ctl::清空, ctl::随机2,
                           ctl::超级链接框1}) {
    QWidget *w = widget(id);
    EXPECT_EQ(w->palette().color(QPalette::WindowText), blue) << std::hex << id;
    EXPECT_EQ(w->cursor().shape(), Qt::PointingHandCursor) << std::hex << id;
  }
  QWidget *plain = widget(ctl::标签7);
  EXPECT_EQ(plain->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_EQ(plain->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(QtViewTest, ClicksOnLabelsAndLinksRunTheirHandlersAndOpenTargets) {
  clickPage(3);
  g_calls.clear();
  QTest::mouseClick(widget(ctl::随机1), Qt::LeftButton);
  EXPECT_EQ(g_calls, std::vector<std::string>{"OnRandomTest1"});

  // 转换到假分数 shares the place but is hidden: the place is 随机1's.
  const QPoint place = widget(ctl::随机1)->geometry().center();
  EXPECT_EQ(tabs()->childAt(place), widget(ctl::随机1));

  clickPage(4);
  g_calls.clear();
  QTest::mouseClick(widget(ctl::随机2), Qt::LeftButton);
  EXPECT_EQ(g_calls, std::vector<std::string>{"OnRandomTest2"});

  g_calls.clear();
  QTest::mouseClick(widget(ctl::超级链接框1), Qt::LeftButton);
  EXPECT_TRUE(g_calls.empty());
  // The site link's target is the local page host: the desktop opens the
  // shipped guide page as a local file, a page that exists.
  ASSERT_EQ(m_opened.size(), 1u);
  const auto &link = std::get<qx::form::HyperlinkProps>(
      control(ctl::超级链接框1).record().props);
  EXPECT_EQ(QUrl(fromGbk(link.target)).host(), "quadrix.invalid");
  const QString guide =
      QFileInfo(QStringLiteral(QX_TEST_LIBRARY_DIR "/ad1.htm"))
          .canonicalFilePath();
  ASSERT_FALSE(guide.isEmpty());
  EXPECT_EQ(m_opened[0], QUrl::fromLocalFile(guide))
      << m_opened[0].toString().toStdString();
}

TEST_F(QtViewTest, ButtonsRunTheirHandlers) {
  const struct {
    int page;
    std::uint32_t id;
    const char *handler;
  } buttons[] = {
      {0, ctl::求解, "OnSolveLinear"},
      {1, ctl::求方程组, "OnSolveSystem"},
      {2, ctl::求根, "OnSolveQuadratic"},
      {3, ctl::约分, "OnReduce"},
      {4, ctl::带分数到分数, "OnMixedToFraction"},
  };
  for (const auto &b : buttons) {
    clickPage(b.page);
    g_calls.clear();
    QTest::mouseClick(widget(b.id), Qt::LeftButton);
    EXPECT_EQ(g_calls, std::vector<std::string>{b.handler});
  }
}

TEST_F(QtViewTest, ComboBoxesStartOnPlusAndHandOnTheChosenItem) {
  clickPage(3);
  for (std::uint32_t id : {ctl::组合框1, ctl::组合框2}) {
    auto *combo = widgetAs<QComboBox>(id);
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), QStringLiteral("＋"));
    ASSERT_EQ(combo->count(), 4);
    EXPECT_EQ(combo->itemText(3), QStringLiteral("÷"));
    combo->setCurrentIndex(3);
    emit combo->activated(3);
    EXPECT_EQ(control(id).selection(), 3);
    EXPECT_EQ(control(id).item_value(3), 4);
  }
}

TEST_F(QtViewTest, HypertextViewShowsTheShippedGuide) {
  auto *browser = widgetAs<QTextBrowser>(ctl::超文本浏览框1);
  ASSERT_NE(browser, nullptr);
  const QString text = browser->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("2&1/3"))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("分数运算2")));
}

TEST_F(QtViewTest, AWorkingReplacesTheGuideUntilItsReturnLinkIsFollowed) {
  auto *browser = widgetAs<QTextBrowser>(ctl::超文本浏览框1);
  ASSERT_NE(browser, nullptr);
  const QString guide = browser->toPlainText();
  qx::doc::Document working;
  working.add(qx::doc::ParagraphStyle::Formula,
              {qx::doc::text("x = "),
               qx::doc::fraction({qx::doc::text("3")}, {qx::doc::text("4")})});
  working.add(qx::doc::ParagraphStyle::ReturnLink,
              {qx::doc::text("返回使用指南")});
  const std::vector<std::uint8_t> bytes = qx::doc::encode(working);
  m_runtime->show_document(QX_MAIN_WINDOW, ctl::超文本浏览框1, bytes.data(),
                           static_cast<std::uint32_t>(bytes.size()));
  const QString shown = browser->toPlainText();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("x = "))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("返回使用指南")));
  // The click on the link goes to the model, which brings the guide back.
  emit browser->anchorClicked(QUrl(QStringLiteral("qx-return:guide")));
  QApplication::processEvents();
  EXPECT_TRUE(control(ctl::超文本浏览框1).document().empty());
  EXPECT_EQ(browser->toPlainText(), guide);
}

TEST_F(QtViewTest, SongFaceFallsBackToAnInstalledChineseFace) {
  if (!QFontDatabase::families().contains(QStringLiteral("AR PL UMing CN")))
    GTEST_SKIP() << "fonts-arphic-uming is not installed";
  for (std::uint32_t id : {ctl::标签12, ctl::编辑框1, ctl::自动消块1})
    EXPECT_EQ(QFontInfo(widget(id)->font()).family(),
              QStringLiteral("AR PL UMing CN"))
        << std::hex << id;
}

// ---- Edit boxes -------------------------------------------------------------

// Typing `typed` into box `id` on page `page` leaves `shown` in it.
struct TypingCase {
  int page;
  std::uint32_t id;
  const char *typed;
  const char *shown;
};

TEST_F(QtViewTest, EditBoxesTakeOnlyWhatTheirInputModeAccepts) {
  const TypingCase cases[] = {
      // Free entry boxes take anything.
      {0, ctl::编辑框1, "1.5e3 x", "1.5e3 x"},
      {3, ctl::编辑框6, "3&6/4", "3&6/4"},
      // Whole-number boxes: an optional leading minus, then digits.
      {3, ctl::分子1, "12a3", "123"},
      {3, ctl::分母1, "-7", "-7"},
      {3, ctl::分子2, "1.5", "15"},
      {3, ctl::分母2, "4-", "4"},
      // Decimal boxes: one decimal point.
      {4, ctl::编辑框13, "-0.25", "-0.25"},
      {4, ctl::编辑框15, "1.2.3", "1.23"},
      {4, ctl::编辑框15, "abc", ""},
      // Result boxes take no typing at all.
      {0, ctl::编辑框3, "5", ""},
      {2, ctl::x1, "5", ""},
      {3, ctl::分子3, "5", ""},
      {4, ctl::编辑框28, "5", ""},
  };
  for (const auto &c : cases) {
    clickPage(c.page);
    auto *edit = widgetAs<QLineEdit>(c.id);
    ASSERT_NE(edit, nullptr);
    edit->clear();
    m_runtime->type_text(c.id, "");
    QTest::keyClicks(edit, QString::fromUtf8(c.typed));
    EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown)) << c.typed;
    EXPECT_EQ(control(c.id).text(), gbk(c.shown)) << c.typed;
  }
}

TEST_F(QtViewTest, ProgramTextsShowInTheirBoxes) {
  clickPage(2);
  const std::string root = gbk("方程无实数根");
  const auto address = reinterpret_cast<std::uintptr_t>(root.c_str());
  m_runtime->write_property(QX_MAIN_WINDOW, ctl::x1, QX_PROP_TEXT,
                            QX_ELEMENT_WHOLE,
                            static_cast<std::uint32_t>(address),
                            static_cast<std::uint32_t>(address >> 32));
  EXPECT_EQ(widgetAs<QLineEdit>(ctl::x1)->text(),
            QStringLiteral("方程无实数根"));
  EXPECT_TRUE(widgetAs<QLineEdit>(ctl::x1)->isReadOnly());
}

// Where the text cursor of `edit` is drawn, after the box has been painted
// (a line edit scrolls its text when it paints).
QRect paintedCursor(QLineEdit *edit) {
  edit->grab();
  return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
}

// The cursor drawn at the box's left edge: the first character is in view.
bool showsStart(QLineEdit *edit) {
  constexpr int kLeftMargin = 8; // frame and text margin
  return edit->cursorPosition() == 0 &&
         paintedCursor(edit).left() <= kLeftMargin;
}

TEST_F(QtViewTest, EveryResultBoxShowsALongResultFromItsStartWithATooltip) {
  const char *const longResult = "-2.33333333333333333333333333333333333";
  std::size_t checked = 0;
  for (const qx::rt::Control &c : m_runtime->window()->controls()) {
    if (c.unit_type() != QX_UNIT_EDIT_BOX ||
        c.input_mode() != qx::form::kInputReadOnly)
      continue;
    const std::string name = qx::platform::gbk_to_utf8(c.name());
    clickPage(c.page());
    auto *edit = widgetAs<QLineEdit>(c.id());
    ASSERT_NE(edit, nullptr);
    writeText(c.id(), longResult);
    EXPECT_EQ(edit->text(), QString::fromUtf8(longResult)) << name;
    EXPECT_TRUE(showsStart(edit)) << name;
    EXPECT_EQ(edit->toolTip(), QString::fromUtf8(longResult)) << name;
    // A result that fits has no tooltip.
    writeText(c.id(), "7");
    EXPECT_EQ(edit->toolTip(), QString()) << name;
    ++checked;
  }
  EXPECT_EQ(checked, 19u); // every result box of the five pages
}

TEST_F(QtViewTest, TypingKeepsTheEndInViewUntilARoutineRewritesTheBox) {
  const QString digits = QStringLiteral("1234567890123456789012345678901234");
  auto *edit = widgetAs<QLineEdit>(ctl::编辑框1);
  ASSERT_NE(edit, nullptr);
  QTest::keyClicks(edit, digits);
  EXPECT_EQ(edit->cursorPosition(), digits.size());
  EXPECT_GT(paintedCursor(edit).left(), edit->width() / 2);
  EXPECT_EQ(edit->toolTip(), digits);
  // A random fill or the clear link writes the box: its start shows.
  writeText(ctl::编辑框1, "9876543210987654321098765432109876");
  EXPECT_TRUE(showsStart(edit));
  writeText(ctl::编辑框1, "");
  EXPECT_EQ(edit->toolTip(), QString());
}

// Types `text` one character at a time as key presses carrying it.
void typeCharacters(QWidget *widget, const QString &text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                    QString(c));
    QApplication::sendEvent(widget, &press);
  }
}

// Commits `text` at once, as a Chinese input method does.
void commitFromInputMethod(QWidget *widget, const QString &text) {
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(widget, &commit);
}

TEST_F(QtViewTest, FullWidthFormsAreFoldedAsTheyAreTyped) {
  const TypingCase cases[] = {
      {0, ctl::编辑框1, "１２", "12"},
      {0, ctl::编辑框2, "－３", "-3"},
      {0, ctl::编辑框1, "１　２ｘ", "1 2x"},
      {3, ctl::分子1, "－１２", "-12"}, // whole-number box
      {3, ctl::分母1, "１５", "15"},
      {3, ctl::编辑框4, "１／２", "1/2"}, // fraction text
      {3, ctl::编辑框6, "２＆１／３", "2&1/3"},
      {4, ctl::编辑框13, "０．２５", "0.25"}, // decimal box
  };
  using Typist = void (*)(QWidget *, const QString &);
  for (Typist typist :
       {Typist{&typeCharacters}, Typist{&commitFromInputMethod}}) {
    for (const auto &c : cases) {
      clickPage(c.page);
      auto *edit = widgetAs<QLineEdit>(c.id);
      ASSERT_NE(edit, nullptr);
      writeText(c.id, "");
      edit->setFocus();
      typist(edit, QString::fromUtf8(c.typed));
      EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown)) << c.typed;
      EXPECT_EQ(control(c.id).text(), gbk(c.shown)) << c.typed;
    }
  }
}

TEST_F(QtViewTest, TextsARoutineWritesAreShownUnfolded) {
  for (std::uint32_t id : {ctl::编辑框1, ctl::分子1, ctl::编辑框3}) {
    writeText(id, "＋１２");
    EXPECT_EQ(widgetAs<QLineEdit>(id)->text(), QStringLiteral("＋１２"));
    EXPECT_EQ(control(id).text(), gbk("＋１２"));
  }
}

// ---- Enter
// --------------------------------------------------------------------

// The first push button after `edit` in the window's tab order among the
// controls of the same page, or null.
QPushButton *nextButtonInTabOrder(QLineEdit *edit, const qx::rt::Control &box,
                                  const qx::rt::WindowModel &window) {
  for (QWidget *w = edit->nextInFocusChain(); w && w != edit->window();
       w = w->nextInFocusChain()) {
    const auto *button = qobject_cast<QPushButton *>(w);
    if (!button || (button->focusPolicy() & Qt::TabFocus) == 0)
      continue;
    const qx::rt::Control *c =
        window.find(button->property("qxControlId").toUInt());
    if (c && c->tab() == box.tab() && c->page() == box.page())
      return const_cast<QPushButton *>(button);
  }
  return nullptr;
}

TEST_F(QtViewTest, EnterInAnEntryBoxPressesTheNextButtonInTabOrder) {
  std::map<std::string, std::string> pressed; // box -> routine run
  for (const qx::rt::Control &c : m_runtime->window()->controls()) {
    if (c.unit_type() != QX_UNIT_EDIT_BOX)
      continue;
    const std::string name = qx::platform::gbk_to_utf8(c.name());
    clickPage(c.page());
    auto *edit = widgetAs<QLineEdit>(c.id());
    ASSERT_NE(edit, nullptr);
    // What a click on the following button runs; a result box presses
    // nothing.
    std::vector<std::string> expected;
    QPushButton *button = nextButtonInTabOrder(edit, c, *m_runtime->window());
    if (button && c.input_mode() != qx::form::kInputReadOnly) {
      g_calls.clear();
      QTest::mouseClick(button, Qt::LeftButton);
      expected = g_calls;
      ASSERT_EQ(expected.size(), 1u) << name;
    }
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      edit->setFocus();
      g_calls.clear();
      QTest::keyClick(edit, key);
      EXPECT_EQ(g_calls, expected) << name;
    }
    if (!expected.empty())
      pressed[name] = expected.front();
  }
  // The rows the guide names.
  EXPECT_EQ(pressed["二次项系数"], "OnSolveQuadratic");
  EXPECT_EQ(pressed["常数项"], "OnSolveQuadratic");
  EXPECT_EQ(pressed["分子1"], "OnFractionCalc");
  EXPECT_EQ(pressed["分母2"], "OnFractionCalc");
  EXPECT_EQ(pressed["编辑框6"], "OnReduce");
  EXPECT_EQ(pressed["编辑框26"], "OnMixedToFraction");
  EXPECT_EQ(pressed.count("编辑框14"), 0u); // a result box
  EXPECT_EQ(pressed.size(), 28u);           // every entry box
}

// ---- Message boxes ---------------------------------------------------------

TEST_F(QtViewTest, MessageBoxIsModalWithInformationIconOkAndTheTitle) {
  QMessageBox *seen = nullptr;
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QList<QAbstractButton *> buttons;
  bool modal = false;
  std::function<void()> closeWhenShown = [&] {
    seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!seen) {
      QTimer::singleShot(10, closeWhenShown);
      return;
    }
    title = seen->windowTitle();
    text = seen->text();
    icon = seen->icon();
    buttons = seen->buttons();
    modal = seen->isModal();
    seen->button(QMessageBox::Ok)->click();
  };
  QTimer::singleShot(0, closeWhenShown);
  g_view->show_message_box(gbk("请完整输入系数和常数项。"), QX_MB_INFORMATION);
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(title, QStringLiteral("QuadrixV1.0"));
  EXPECT_EQ(text, QStringLiteral("请完整输入系数和常数项。"));
  EXPECT_EQ(icon, QMessageBox::Information);
  EXPECT_EQ(buttons.size(), 1);
  EXPECT_TRUE(modal);
}

// Shows a message box, runs `whileShown` once it is up, closes it with its
// OK button and returns that button's text.
QString
okButtonTextOfAMessageBox(const std::function<void()> &whileShown = {}) {
  QString okText;
  std::function<void()> closeWhenShown = [&] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) {
      QTimer::singleShot(10, closeWhenShown);
      return;
    }
    if (whileShown)
      whileShown();
    okText = box->button(QMessageBox::Ok)->text();
    box->button(QMessageBox::Ok)->click();
  };
  QTimer::singleShot(0, closeWhenShown);
  g_view->show_message_box(gbk("请完整输入系数和常数项。"), QX_MB_INFORMATION);
  return okText;
}

TEST_F(QtViewTest, MessageBoxButtonReadsQueDingInEveryLocale) {
  for (const QLocale &locale :
       {QLocale(QLocale::Chinese, QLocale::China),
        QLocale(QLocale::English, QLocale::UnitedStates), QLocale::c()}) {
    ASSERT_TRUE(qx::views::installQtTranslations(locale))
        << "Qt's translations (qt6-translations-l10n) are not installed";
    EXPECT_EQ(okButtonTextOfAMessageBox(), QStringLiteral("确定"))
        << locale.name().toStdString();
  }
}

TEST_F(QtViewTest, TheFocusReturnsToItsControlAfterAMessageBox) {
  for (std::uint32_t id : {ctl::编辑框2, ctl::求解}) {
    widget(id)->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), widget(id));
    // The window below the box loses track of its focus meanwhile, as it
    // does when the desktop hands the focus elsewhere.
    okButtonTextOfAMessageBox([this] { widget(ctl::编辑框1)->setFocus(); });
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), widget(id)) << std::hex << id;
  }
}

// ---- Helpers
// ------------------------------------------------------------------

TEST(QtViewHelpers, DisplayCaptionFollowsTheAccessKeyRule) {
  const struct {
    const char *caption;
    const char *shown;
  } cases[] = {
      {"2&&1/3", "2&1/3"}, {"退出(&X)", "退出(X)"}, {"a&&&b", "a&b"},
      {"end&", "end"},     {"&&&&", "&&"},          {"plain", "plain"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(qx::views::displayCaption(QString::fromUtf8(c.caption)),
              QString::fromUtf8(c.shown))
        << c.caption;
}

TEST(QtViewHelpers, ColoursAreReadInTheWindowsByteOrder) {
  EXPECT_EQ(qx::views::colourFromColorRef(0x00FF0000), QColor(0, 0, 255));
  EXPECT_EQ(qx::views::colourFromColorRef(0x00C56A31),
            QColor(0x31, 0x6A, 0xC5));
  EXPECT_EQ(qx::views::colourFromColorRef(qx::form::kNoColour), std::nullopt);
  EXPECT_EQ(qx::views::colourFromColorRef(0x01000000), std::nullopt);
}

TEST(QtViewHelpers, LogFontBecomesAQtFont) {
  qx::form::Font font;
  font.height = -96;
  font.weight = 700;
  const std::string face = gbk("宋体");
  std::copy(face.begin(), face.end(), font.face_name.begin());
  const QFont qt = qx::views::fontFromLogFont(font, QFont());
  EXPECT_EQ(qt.pixelSize(), 96);
  EXPECT_EQ(qt.weight(), QFont::Bold);
  EXPECT_EQ(qt.families().value(0), QStringLiteral("宋体"));

  font.height = INT32_MIN; // no positive counterpart: clamped, no overflow
  EXPECT_EQ(qx::views::fontFromLogFont(font, QFont()).pixelSize(), 1000);
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
