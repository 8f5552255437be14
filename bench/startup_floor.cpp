// The floor for quadrix's start-up benchmark: a minimal Qt 6 program that
// shows a window of the same shape (menu, a five-page tab widget, 100
// positioned widgets, a text browser) and, with QUADRIX_EXIT_AFTER_SHOW set,
// reports like quadrix once the window is on screen and quits.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int kPages = 5;
constexpr int kWidgetsPerPage = 20; // 100 in all

long residentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0)
      return std::atol(line.c_str() + 6);
  return 0;
}

// Twenty widgets on a page, in rows like the calculator pages: an entry
// box, a label, a button, a result box.
void fillPage(QWidget *tabs, int page, std::vector<QWidget *> &onPage) {
  for (int i = 0; i < kWidgetsPerPage; ++i) {
    const int row = i / 4, column = i % 4;
    const QRect rect(12 + column * 100, 30 + row * 26, 90, 24);
    QWidget *w = nullptr;
    switch (column) {
    case 0:
    case 3:
      w = new QLineEdit(tabs);
      break;
    case 1:
      w = new QLabel(QStringLiteral("标签 %1").arg(i), tabs);
      break;
    default:
      w = new QPushButton(QStringLiteral("按钮 %1").arg(i), tabs);
      break;
    }
    w->setGeometry(rect);
    w->setVisible(page == 0);
    onPage.push_back(w);
  }
}

} // namespace

int main(int argc, char **argv) {
  QApplication app(argc, argv);
  QFont font(QStringLiteral("AR PL UMing CN"));
  font.setPixelSize(12);
  app.setFont(font);

  QMainWindow window;
  window.setWindowTitle(QStringLiteral("QuadrixV1.0"));
  QMenu *tools = window.menuBar()->addMenu(QStringLiteral("常用工具"));
  tools->addAction(QStringLiteral("计算器"));
  tools->addAction(QStringLiteral("记事本"));
  tools->addSeparator();
  tools->addAction(QStringLiteral("退出(&X)"));

  auto *client = new QWidget;
  window.setCentralWidget(client);
  auto *tabs = new QTabWidget(client);
  tabs->setGeometry(53, 6, 434, 161);
  std::vector<std::vector<QWidget *>> pages(kPages);
  for (int page = 0; page < kPages; ++page) {
    tabs->addTab(new QWidget, QStringLiteral("页面 %1").arg(page));
    fillPage(tabs, page, pages[static_cast<std::size_t>(page)]);
  }
  QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [&](int shown) {
    for (int page = 0; page < kPages; ++page)
      for (QWidget *w : pages[static_cast<std::size_t>(page)])
        w->setVisible(page == shown);
  });

  auto *browser = new QTextBrowser(client);
  browser->setGeometry(12, 176, 510, 422);
  QFile page(QCoreApplication::applicationDirPath() +
             QStringLiteral("/ad1.htm"));
  if (page.open(QIODevice::ReadOnly))
    browser->setHtml(QString::fromUtf8(page.readAll()));
  auto *check = new QCheckBox(QStringLiteral("设为主页"), client);
  check->setGeometry(389, 601, 128, 35);
  auto *link = new QLabel(QStringLiteral("网站"), client);
  link->setGeometry(4, 608, 96, 24);

  window.move(50, 50);
  window.resize(542, 693);
  window.show();

  if (std::getenv("QUADRIX_EXIT_AFTER_SHOW")) {
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
      if (!window.windowHandle() || !window.windowHandle()->isExposed())
        return;
      QCoreApplication::processEvents();
      std::printf("floor: shown rss_kb=%ld\n", residentKilobytes());
      std::fflush(stdout);
      app.quit();
    });
    poll.start(5);
    return app.exec();
  }
  return app.exec();
}
