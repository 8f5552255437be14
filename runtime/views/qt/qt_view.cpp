// The Qt view: builds the window, its menu and its controls from the control
// model, keeps the widgets in step with the model and reports user actions.
#include "runtime/views/qt/qt_view.h"

#include "document/document_codec.h"
#include "platform/library.h"
#include "runtime/core/control_model.h"
#include "runtime/core/guarded_action.h"
#include "runtime/views/qt/qt_widgets.h"
#include "runtime/webpane/shipped_page.h"
#include "runtime/webpane/webpane.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace qx::views {
namespace {

using rt::guarded;

// The outer rectangle used when the window's record gives none.
constexpr QRect kDefaultOuterRect(50, 50, 542, 693);
// The window's default font: the Song face at 12 pixels.
constexpr int kDefaultFontPixels = 12;
// How long show_window waits for the window to reach the screen before a
// screenshot or the exit-after-show report.
constexpr int kExposeTimeoutMs = 5000;
// How often a screenshot waiting for QUADRIX_SCREENSHOT_AFTER looks for it.
constexpr int kScreenshotPollMs = 50;
// The room a tab leaves beside its caption.
constexpr int kTabCaptionMargin = 10;

// QApplication keeps references to its arguments for its whole life.
int g_argc = 1;
char g_arg0[] = "quadrix";
char *g_argv[] = {g_arg0, nullptr};

bool hasEnvironment(const char *name) {
  const char *value = std::getenv(name);
  return value && *value;
}

// Whether Qt can start: a display to connect to, or a platform named in
// QT_QPA_PLATFORM ("name[:options]", several separated by ';') that needs
// none. A platform that needs a display would abort the process without one.
bool displayAvailable() {
  if (hasEnvironment("DISPLAY") || hasEnvironment("WAYLAND_DISPLAY"))
    return true;
  if (!hasEnvironment("QT_QPA_PLATFORM"))
    return false;
  static const QStringList kWithoutDisplay = {
      QStringLiteral("offscreen"), QStringLiteral("minimal"),
      QStringLiteral("vnc"), QStringLiteral("linuxfb"),
      QStringLiteral("eglfs")};
  const QString platforms =
      QString::fromLocal8Bit(std::getenv("QT_QPA_PLATFORM"));
  for (const QString &platform : platforms.split(u';'))
    if (kWithoutDisplay.contains(platform.section(u':', 0, 0).trimmed()))
      return true;
  return false;
}

// A whole number from the environment; nullopt when unset or not a number.
std::optional<int> environmentNumber(const char *name) {
  if (!hasEnvironment(name))
    return std::nullopt;
  bool ok = false;
  const int value = QString::fromLocal8Bit(std::getenv(name)).toInt(&ok);
  if (!ok)
    return std::nullopt;
  return value;
}

// The resident set of this process in kilobytes, from /proc.
std::optional<long> residentKilobytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) != 0)
      continue;
    try {
      return std::stol(line.substr(6));
    } catch (const std::exception &) {
      return std::nullopt;
    }
  }
  return std::nullopt;
}

QMessageBox::Icon messageIcon(std::uint32_t flags) {
  switch (flags & 0xF0u) {
  case 0x10:
    return QMessageBox::Critical;
  case 0x20:
    return QMessageBox::Question;
  case 0x30:
    return QMessageBox::Warning;
  case 0x40:
    return QMessageBox::Information;
  default:
    return QMessageBox::NoIcon;
  }
}

// A form rectangle as a widget geometry; sizes below zero become zero.
QRect geometryOf(const form::Rect &rect) {
  return QRect(rect.left, rect.top, std::max(rect.width, 0),
               std::max(rect.height, 0));
}

void setTextColour(QWidget *widget, QPalette::ColorRole role,
                   std::uint32_t colour) {
  const std::optional<QColor> qt = colourFromColorRef(colour);
  if (!qt)
    return;
  QPalette palette = widget->palette();
  palette.setColor(role, *qt);
  widget->setPalette(palette);
}

void setBackground(QWidget *widget, QPalette::ColorRole role,
                   std::uint32_t colour) {
  const std::optional<QColor> qt = colourFromColorRef(colour);
  if (!qt)
    return;
  QPalette palette = widget->palette();
  palette.setColor(role, *qt);
  widget->setPalette(palette);
  if (role == QPalette::Window)
    widget->setAutoFillBackground(true);
}

// The application's style with tabs only a few pixels wider than their
// captions.
class CompactTabStyle : public QProxyStyle {
public:
  int pixelMetric(PixelMetric metric, const QStyleOption *option,
                  const QWidget *widget) const override {
    if (metric == PM_TabBarTabHSpace)
      return kTabCaptionMargin;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// The width a check box of `width` pixels leaves for its caption.
int captionRoom(const QCheckBox *box, int width) {
  const QStyle *style = box->style();
  return width - style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) -
         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
}

bool isHypertextView(std::uint32_t unitType) {
  return unitType == QX_UNIT_HYPERTEXT_VIEW;
}

// Stops an edit box's validator from folding while it lives: a text a
// routine wrote is shown as it is.
class FoldingPause {
public:
  explicit FoldingPause(QLineEdit &edit)
      : m_validator(edit.findChild<InputModeValidator *>()) {
    if (m_validator)
      m_validator->setFolding(false);
  }
  ~FoldingPause() {
    if (m_validator)
      m_validator->setFolding(true);
  }
  FoldingPause(const FoldingPause &) = delete;
  FoldingPause &operator=(const FoldingPause &) = delete;

private:
  InputModeValidator *m_validator;
};

// Shows a text a routine wrote: unfolded, from its first character (the
// line edit would leave its cursor, and so its view, at the end).
void showProgramText(QLineEdit &edit, const QString &text) {
  const FoldingPause pause(edit);
  edit.setText(text);
  edit.setCursorPosition(0);
}

// Gives the keyboard focus back to `widget` after a message box, when it can
// still take it.
void restoreFocus(QWidget *widget) {
  if (!widget || !widget->isVisible() || !widget->isEnabled())
    return;
  widget->activateWindow();
  widget->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace

struct QtView::Impl {
  // Declared first so that it is destroyed last, after every widget.
  std::unique_ptr<QApplication> ownedApp;
  // The hypertext view's code lives here: released after the window.
  platform::Library webPane;
  std::unique_ptr<MainWindow> window;

  const rt::WindowModel *model = nullptr;
  rt::UserActions *actions = nullptr;
  std::unordered_map<std::uint32_t, QPointer<QWidget>> widgets;
  std::unordered_map<std::uint32_t, QPointer<QAction>> menuActions;
  std::function<void(const QUrl &)> openUrl = [](const QUrl &url) {
    QDesktopServices::openUrl(url);
  };
  std::optional<std::filesystem::path> libraryDirectory;
  QPointer<QEventLoop> loop;
  bool quitPending = false;

  QString title() const {
    return model ? fromGbk(model->window().text()) : QString();
  }
  QWidget *widget(std::uint32_t id) const {
    auto found = widgets.find(id);
    return found == widgets.end() ? nullptr : found->second.data();
  }
  const rt::Control *control(std::uint32_t id) const {
    return model ? model->find(id) : nullptr;
  }

  void buildWindow();
  void buildMenu();
  void createControl(const rt::Control &control, QWidget *parent);
  QWidget *createEditBox(const rt::Control &control, QWidget *parent);
  QWidget *createLabel(const rt::Control &control, QWidget *parent);
  QWidget *createHyperlinkBox(const rt::Control &control, QWidget *parent);
  // Where basert.rtp and the files shipped with it lie.
  std::optional<std::filesystem::path> runtimeDirectory() const;
  // What a hyperlink box's target opens on the desktop; nullopt: nothing.
  std::optional<QUrl> desktopTarget(const QString &target) const;
  QWidget *createButton(const rt::Control &control, QWidget *parent);
  QWidget *createCheckBox(const rt::Control &control, QWidget *parent);
  QWidget *createComboBox(const rt::Control &control, QWidget *parent);
  QWidget *createTabControl(const rt::Control &control, QWidget *parent);
  void keepFocusOnPage(QTabWidget &tabs, const rt::Control &tab, int page);
  QWidget *createHypertextView(const rt::Control &control, QWidget *parent);

  void applyVisibility(const rt::Control &control);
  void applyText(const rt::Control &control);
  void applySelection(const rt::Control &control);
  void applyDocument(const rt::Control &control);

  void typed(std::uint32_t id, QLineEdit *edit, const QString &text);
  void pressEnter(std::uint32_t box);
  void waitUntilExposed();
  void runShowHooks();
  void takePictureAndQuit(bool picture, bool withPopups);
  void selectStartPage(int page);
};

// ---- Building -------------------------------------------------------------

void QtView::Impl::buildWindow() {
  window = std::make_unique<MainWindow>();
  window->setWindowTitle(title());
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(kDefaultFontPixels);
  window->setFont(font);
  if (const auto *props =
          std::get_if<form::WindowProps>(&model->window().record().props)) {
    QPixmap icon;
    if (!props->icon.empty() &&
        icon.loadFromData(props->icon.data(),
                          static_cast<uint>(props->icon.size()), "ICO"))
      window->setWindowIcon(QIcon(icon));
    setBackground(window.get(), QPalette::Window, props->background);
  }
  window->setCloseHandler([this] {
    guarded("closing the window", [this] {
      if (actions)
        actions->close_window();
    });
    if (loop)
      loop->quit();
  });

  auto *client = new QWidget(window.get());
  window->setCentralWidget(client);
  buildMenu();

  // Tab controls first, the other window-level controls above them (the
  // clear link lies over the tab header row), then the pages' controls,
  // positioned from the tab control's top-left corner.
  const auto &controls = model->controls();
  for (const rt::Control &c : controls)
    if (!c.is_window() && c.tab() == 0 && c.unit_type() == QX_UNIT_TAB_CONTROL)
      createControl(c, client);
  for (const rt::Control &c : controls)
    if (!c.is_window() && c.tab() == 0 && c.unit_type() != QX_UNIT_TAB_CONTROL)
      createControl(c, client);
  for (const rt::Control &c : controls) {
    if (c.is_window() || c.tab() == 0)
      continue;
    QWidget *tab = widget(c.tab());
    createControl(c, tab ? tab : client);
  }
  for (const rt::Control &c : controls)
    if (!c.is_window())
      applyVisibility(c);
}

void QtView::Impl::buildMenu() {
  QMenuBar *bar = window->menuBar();
  bar->setNativeMenuBar(false);
  QMenu *menu = nullptr;
  for (const form::MenuItemRecord &item : model->menu_items()) {
    const QString caption = fromGbk(item.caption);
    QAction *action = nullptr;
    if (item.level == 0) {
      menu = bar->addMenu(caption);
      action = menu->menuAction();
    } else if (item.caption == "-") {
      action = menu ? menu->addSeparator() : bar->addSeparator();
    } else {
      action = menu ? menu->addAction(caption) : bar->addAction(caption);
      const std::uint32_t id = item.id;
      QObject::connect(action, &QAction::triggered, window.get(), [this, id] {
        guarded("choosing a menu item", [this, id] {
          if (actions)
            actions->choose_menu_item(id);
        });
      });
    }
    menuActions[item.id] = action;
  }
}

void QtView::Impl::createControl(const rt::Control &c, QWidget *parent) {
  QWidget *w = nullptr;
  switch (c.unit_type()) {
  case QX_UNIT_EDIT_BOX:
    w = createEditBox(c, parent);
    break;
  case QX_UNIT_LABEL:
    w = createLabel(c, parent);
    break;
  case QX_UNIT_BUTTON:
    w = createButton(c, parent);
    break;
  case QX_UNIT_CHECK_BOX:
    w = createCheckBox(c, parent);
    break;
  case QX_UNIT_COMBO_BOX:
    w = createComboBox(c, parent);
    break;
  case QX_UNIT_TAB_CONTROL:
    w = createTabControl(c, parent);
    break;
  case QX_UNIT_HYPERLINK_BOX:
    w = createHyperlinkBox(c, parent);
    break;
  default:
    if (isHypertextView(c.unit_type()))
      w = createHypertextView(c, parent);
    else
      w = new QWidget(parent); // a kind this view does not draw
    break;
  }
  w->setObjectName(fromGbk(c.name()));
  w->setProperty("qxControlId", static_cast<uint>(c.id()));
  w->setGeometry(geometryOf(c.record().rect));
  w->setFocusPolicy((c.record().flags & form::kFlagTakesFocus) != 0
                        ? Qt::StrongFocus
                        : Qt::NoFocus);
  w->setEnabled(!c.disabled());
  w->raise();
  widgets[c.id()] = w;
}

QWidget *QtView::Impl::createEditBox(const rt::Control &c, QWidget *parent) {
  auto *edit = new QLineEdit(parent);
  // The whole text as a tooltip whenever the box cannot show all of it.
  QObject::connect(
      edit, &QLineEdit::textChanged, edit, [edit](const QString &text) {
        edit->setToolTip(fitsInEdit(*edit, text) ? QString() : text);
      });
  showProgramText(*edit, fromGbk(c.text()));
  if (c.input_mode() == form::kInputReadOnly)
    edit->setReadOnly(true);
  else
    edit->setValidator(new InputModeValidator(c.input_mode(), edit));
  if (const auto *props = std::get_if<form::EditProps>(&c.record().props)) {
    setTextColour(edit, QPalette::Text, props->text_colour);
    setBackground(edit, QPalette::Base, props->background);
    // Border style 3 draws a flat frame; 5 (and anything else) the sunken
    // frame of an entry box.
    if (props->border_style == 3)
      edit->setStyleSheet(
          QStringLiteral("QLineEdit { border: 1px solid #808080; }"));
  }
  const std::uint32_t id = c.id();
  QObject::connect(edit, &QLineEdit::textEdited, edit,
                   [this, id, edit](const QString &text) {
                     guarded("typing", [&] { typed(id, edit, text); });
                   });
  QObject::connect(edit, &QLineEdit::returnPressed, edit,
                   [this, id] { pressEnter(id); });
  return edit;
}

QWidget *QtView::Impl::createLabel(const rt::Control &c, QWidget *parent) {
  auto *label = new ClickableLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(displayCaption(fromGbk(c.text())));
  // Centred vertically: a large glyph cut to a small rectangle (the "-"
  // fraction bars, the braces) shows its middle.
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  if (const auto *props = std::get_if<form::LabelProps>(&c.record().props)) {
    // The form marks the captions that run over two lines.
    label->setWordWrap(props->attr_b != 0);
    if (props->font)
      label->setFont(fontFromLogFont(*props->font, label->font()));
    setTextColour(label, QPalette::WindowText, props->text_colour);
    setBackground(label, QPalette::Window, props->background);
  }
  if (c.handler(QX_EVENT_CLICK)) {
    label->setCursor(Qt::PointingHandCursor);
    const std::uint32_t id = c.id();
    label->setClickHandler([this, id] {
      guarded("clicking", [this, id] {
        if (actions)
          actions->click(id);
      });
    });
  }
  return label;
}

QWidget *QtView::Impl::createHyperlinkBox(const rt::Control &c,
                                          QWidget *parent) {
  auto *link = new ClickableLabel(parent);
  link->setTextFormat(Qt::PlainText);
  link->setText(displayCaption(fromGbk(c.text())));
  link->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  link->setCursor(Qt::PointingHandCursor);
  QString target;
  if (const auto *props =
          std::get_if<form::HyperlinkProps>(&c.record().props)) {
    QFont font = link->font();
    if (props->font)
      font = fontFromLogFont(*props->font, font);
    font.setUnderline(true);
    link->setFont(font);
    // The first of the three link colours is the colour at rest.
    setTextColour(link, QPalette::WindowText, props->link_colours[0]);
    setBackground(link, QPalette::Window, props->background);
    target = fromGbk(props->target);
  }
  const std::uint32_t id = c.id();
  link->setClickHandler([this, id, target] {
    guarded("clicking", [this, id, &target] {
      if (!actions || !actions->click(id) || target.isEmpty())
        return;
      if (const std::optional<QUrl> url = desktopTarget(target))
        openUrl(*url);
    });
  });
  return link;
}

std::optional<std::filesystem::path> QtView::Impl::runtimeDirectory() const {
  if (libraryDirectory)
    return libraryDirectory;
  return platform::module_directory(
      reinterpret_cast<const void *>(&make_qt_view));
}

std::optional<QUrl> QtView::Impl::desktopTarget(const QString &target) const {
  const QUrl url(target);
  if (url.host().compare(QStringLiteral(QX_WEBPANE_LOCAL_HOST),
                         Qt::CaseInsensitive) != 0)
    return url;
  // The local page host is no site on the network: its pages are the files
  // shipped beside the runtime, the guide page for the host itself.
  const std::optional<std::filesystem::path> directory = runtimeDirectory();
  if (!directory)
    return std::nullopt;
  const std::optional<QString> file = webpane::shippedPageFile(
      url, QString::fromStdString(directory->string()), webpane::kGuidePage);
  if (!file)
    return std::nullopt;
  return QUrl::fromLocalFile(*file);
}

QWidget *QtView::Impl::createButton(const rt::Control &c, QWidget *parent) {
  auto *button = new QPushButton(fromGbk(c.text()), parent);
  button->setAutoDefault(false);
  const std::uint32_t id = c.id();
  QObject::connect(button, &QPushButton::clicked, button, [this, id] {
    guarded("clicking", [this, id] {
      if (actions)
        actions->click(id);
    });
  });
  return button;
}

QWidget *QtView::Impl::createCheckBox(const rt::Control &c, QWidget *parent) {
  auto *box = new QCheckBox(parent);
  if (const auto *props = std::get_if<form::CheckBoxProps>(&c.record().props)) {
    if (props->font)
      box->setFont(fontFromLogFont(*props->font, box->font()));
    setBackground(box, QPalette::Window, props->background);
  }
  // The caption wraps beside the box when it is too long for one line.
  box->setText(wrapToWidth(fromGbk(c.text()), box->font(),
                           captionRoom(box, c.record().rect.width)));
  return box;
}

QWidget *QtView::Impl::createComboBox(const rt::Control &c, QWidget *parent) {
  auto *combo = new QComboBox(parent);
  if (const auto *props = std::get_if<form::ComboProps>(&c.record().props)) {
    for (const form::ComboItem &item : props->items)
      combo->addItem(fromGbk(item.text), item.value);
    setTextColour(combo, QPalette::Text, props->text_colour);
    setBackground(combo, QPalette::Base, props->background);
  }
  combo->setCurrentIndex(c.selection());
  const std::uint32_t id = c.id();
  QObject::connect(combo, &QComboBox::activated, combo, [this, id](int index) {
    guarded("choosing an item", [this, id, index] {
      const bool accepted = actions && actions->select_item(id, index);
      const rt::Control *c = control(id);
      if (!accepted && c)
        applySelection(*c);
    });
  });
  return combo;
}

QWidget *QtView::Impl::createTabControl(const rt::Control &c, QWidget *parent) {
  auto *tabs = new QTabWidget(parent);
  std::vector<QString> captions;
  if (const auto *props = std::get_if<form::TabProps>(&c.record().props)) {
    for (const std::string &caption : props->pages)
      captions.push_back(fromGbk(caption));
    if (props->font)
      tabs->setFont(fontFromLogFont(*props->font, tabs->font()));
    setBackground(tabs, QPalette::Window, props->background);
  }
  captions.resize(static_cast<std::size_t>(std::max(c.choice_count(), 0)));
  for (const QString &caption : captions)
    tabs->addTab(new QWidget, caption);
  // Tabs as narrow as the system's own, so that the header row leaves room
  // for the clear link at its right end.
  auto *compact = new CompactTabStyle;
  compact->setParent(tabs);
  tabs->tabBar()->setStyle(compact);
  tabs->tabBar()->setUsesScrollButtons(false);
  tabs->tabBar()->setFocusPolicy((c.record().flags & form::kFlagTakesFocus) != 0
                                     ? Qt::StrongFocus
                                     : Qt::NoFocus);
  tabs->setCurrentIndex(c.selection());
  const std::uint32_t id = c.id();
  QObject::connect(
      tabs, &QTabWidget::currentChanged, tabs, [this, tabs, id](int page) {
        guarded("changing the page", [this, tabs, id, page] {
          const bool hadFocus = tabs->isAncestorOf(QApplication::focusWidget());
          const bool accepted = actions && actions->select_page(id, page);
          const rt::Control *c = control(id);
          if (!accepted && c)
            applySelection(*c);
          if (accepted && c && hadFocus)
            keepFocusOnPage(*tabs, *c, page);
        });
      });
  return tabs;
}

// Hiding the old page's controls took the keyboard focus away from the tab
// control; the first control of the new page that takes the focus gets it
// back, so that Ctrl+Tab keeps turning the pages.
void QtView::Impl::keepFocusOnPage(QTabWidget &tabs, const rt::Control &tab,
                                   int page) {
  if (tabs.isAncestorOf(QApplication::focusWidget()))
    return;
  const auto &pages = tab.record().pages;
  if (page < 0 || static_cast<std::size_t>(page) >= pages.size())
    return;
  for (std::uint32_t id : pages[static_cast<std::size_t>(page)]) {
    QWidget *w = widget(id);
    if (w && w->isVisible() && w->isEnabled() &&
        (w->focusPolicy() & Qt::TabFocus) != 0) {
      w->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

QWidget *QtView::Impl::createHypertextView(const rt::Control &c,
                                           QWidget *parent) {
  std::string address;
  if (const auto *props = std::get_if<form::HypertextProps>(&c.record().props))
    address = fromGbk(props->address).toStdString();
  if (!webPane) {
    if (const std::optional<std::filesystem::path> directory =
            runtimeDirectory())
      webPane = platform::Library::load(*directory / "WebPane.rtp");
  }
  const auto create =
      webPane.symbol<QxWebPaneCreateViewFn>(QX_WEBPANE_CREATE_VIEW_NAME);
  if (create)
    if (void *view = create(parent, address.c_str()))
      return static_cast<QWidget *>(view);
  // The runtime refuses an image whose library is missing, so this only
  // shows when the library is broken.
  auto *notice = new QLabel(parent);
  notice->setText(QStringLiteral("超文本浏览框支持库不可用"));
  notice->setAlignment(Qt::AlignCenter);
  notice->setFrameShape(QFrame::StyledPanel);
  return notice;
}

// ---- Keeping the widgets in step with the model -------------------------

void QtView::Impl::applyDocument(const rt::Control &c) {
  QWidget *w = widget(c.id());
  const auto show =
      webPane.symbol<QxWebPaneShowDocumentFn>(QX_WEBPANE_SHOW_DOCUMENT_NAME);
  if (!w || !show)
    return;
  const std::vector<std::uint8_t> bytes = doc::encode(c.document());
  // The return link is the user's action: it goes to the runtime, which
  // changes the model, which brings the guide back through this function.
  const auto followed = [](void *context, std::uint32_t control) {
    auto *impl = static_cast<Impl *>(context);
    if (impl->actions)
      impl->actions->follow_return_link(control);
  };
  show(w, bytes.data(), static_cast<std::uint32_t>(bytes.size()), followed,
       this, c.id());
}

void QtView::Impl::applyVisibility(const rt::Control &c) {
  if (QWidget *w = widget(c.id()))
    w->setVisible(model->effective_visible(c));
}

void QtView::Impl::applyText(const rt::Control &c) {
  if (c.is_window()) {
    if (window)
      window->setWindowTitle(title());
    return;
  }
  QWidget *w = widget(c.id());
  const QString text = fromGbk(c.text());
  if (auto *edit = qobject_cast<QLineEdit *>(w)) {
    if (edit->text() != text)
      showProgramText(*edit, text);
  } else if (auto *label = qobject_cast<QLabel *>(w)) {
    label->setText(displayCaption(text));
  } else if (auto *box = qobject_cast<QCheckBox *>(w)) {
    box->setText(
        wrapToWidth(text, box->font(), captionRoom(box, box->width())));
  } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
    button->setText(text);
  }
}

void QtView::Impl::applySelection(const rt::Control &c) {
  QWidget *w = widget(c.id());
  if (auto *combo = qobject_cast<QComboBox *>(w)) {
    const QSignalBlocker blocker(combo);
    combo->setCurrentIndex(c.selection());
    return;
  }
  auto *tabs = qobject_cast<QTabWidget *>(w);
  if (!tabs)
    return;
  {
    const QSignalBlocker blocker(tabs);
    tabs->setCurrentIndex(c.selection());
  }
  for (const rt::Control &child : model->controls())
    if (child.tab() == c.id())
      applyVisibility(child);
}

void QtView::Impl::typed(std::uint32_t id, QLineEdit *edit,
                         const QString &text) {
  const bool accepted = actions && actions->type_text(id, toGbk(text));
  const rt::Control *c = control(id);
  if (!c)
    return;
  // A refused text, or one GBK could not hold, shows the model's text.
  const QString stored = fromGbk(c->text());
  if (accepted && stored == text)
    return;
  const QSignalBlocker blocker(edit);
  const FoldingPause pause(*edit);
  edit->setText(stored);
  edit->setToolTip(fitsInEdit(*edit, stored) ? QString() : stored);
}

void QtView::Impl::pressEnter(std::uint32_t box) {
  const rt::Control *c = control(box);
  const rt::Control *button = c ? model->enter_button(*c) : nullptr;
  if (!button)
    return;
  // The button's own click, so that Enter does exactly what a click does.
  if (auto *pushButton = qobject_cast<QAbstractButton *>(widget(button->id())))
    pushButton->click();
}

// ---- Showing ----------------------------------------------------------------

void QtView::Impl::waitUntilExposed() {
  QWindow *handle = window->windowHandle();
  if (!handle)
    return;
  QEventLoop wait;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
    if (handle->isExposed())
      wait.quit();
  });
  poll.start(5);
  QTimer::singleShot(kExposeTimeoutMs, &wait, &QEventLoop::quit);
  if (!handle->isExposed())
    wait.exec();
  QCoreApplication::processEvents();
}

void QtView::Impl::runShowHooks() {
  const bool exitAfterShow = hasEnvironment("QUADRIX_EXIT_AFTER_SHOW");
  const bool screenshot = hasEnvironment("QUADRIX_SCREENSHOT");
  if (!exitAfterShow && !screenshot)
    return;
  if (screenshot)
    if (const std::optional<int> page = environmentNumber("QUADRIX_START_PAGE"))
      selectStartPage(*page);
  waitUntilExposed();
  if (exitAfterShow) {
    std::printf("quadrix: shown rss_kb=%ld\n", residentKilobytes().value_or(0));
    std::fflush(stdout);
  }
  if (!screenshot || !hasEnvironment("QUADRIX_SCREENSHOT_AFTER")) {
    takePictureAndQuit(screenshot, false);
    return;
  }
  // The user acts on the window first; the picture waits for the file that
  // says the window is ready.
  const QString ready =
      QString::fromLocal8Bit(std::getenv("QUADRIX_SCREENSHOT_AFTER"));
  auto *poll = new QTimer(window.get());
  QObject::connect(poll, &QTimer::timeout, window.get(), [this, poll, ready] {
    if (!QFileInfo::exists(ready))
      return;
    poll->stop();
    takePictureAndQuit(true, true);
  });
  poll->start(kScreenshotPollMs);
}

void QtView::Impl::takePictureAndQuit(bool picture, bool withPopups) {
  if (picture) {
    const QString path =
        QString::fromLocal8Bit(std::getenv("QUADRIX_SCREENSHOT"));
    // After the user's actions the screen is taken, so that a tooltip or
    // an open list over the window shows too.
    QRect area = window->frameGeometry();
    for (const QWidget *top : QApplication::topLevelWidgets())
      if (top->isVisible())
        area |= top->frameGeometry();
    QScreen *screen = window->screen();
    const QPixmap shot = withPopups && screen
                             ? screen->grabWindow(0, area.x(), area.y(),
                                                  area.width(), area.height())
                             : window->grab();
    if (!shot.save(path, "PNG"))
      std::fprintf(stderr, "quadrix: cannot save the screenshot to %s\n",
                   qPrintable(path));
  }
  if (loop)
    loop->quit();
  else
    quitPending = true;
}

void QtView::Impl::selectStartPage(int page) {
  for (const rt::Control &c : model->controls()) {
    if (c.unit_type() != QX_UNIT_TAB_CONTROL)
      continue;
    if (!actions || !actions->select_page(c.id(), page))
      std::fprintf(stderr, "quadrix: there is no page %d to start on\n", page);
    return;
  }
}

// ---- QtView
// -------------------------------------------------------------------

std::unique_ptr<rt::View> make_qt_view() {
  if (!QApplication::instance() && !displayAvailable())
    return nullptr;
  return std::make_unique<QtView>();
}

QtView::QtView() : m(std::make_unique<Impl>()) {
  if (!QApplication::instance())
    m->ownedApp = std::make_unique<QApplication>(g_argc, g_argv);
  installSongFaceFallback();
  installQtTranslations(QLocale());
}

QtView::~QtView() = default;

void QtView::create_window(const rt::WindowModel &window,
                           rt::UserActions &actions) {
  m->model = &window;
  m->actions = &actions;
  m->widgets.clear();
  m->menuActions.clear();
  m->window.reset();
  m->buildWindow();
}

void QtView::show_window() {
  if (!m->window)
    return;
  QRect outer = geometryOf(m->model->window().record().rect);
  if (outer.isEmpty())
    outer = kDefaultOuterRect;
  m->window->resize(outer.size());
  m->window->move(outer.topLeft());

  m->window->show();
  // The form gives the outer size; take off the frame the desktop adds.
  const QSize frame = m->window->frameGeometry().size() - m->window->size();
  if (!frame.isNull())
    m->window->resize(outer.size() - frame);
  // The hooks act as a user would, so they wait for the message loop.
  if (hasEnvironment("QUADRIX_EXIT_AFTER_SHOW") ||
      hasEnvironment("QUADRIX_SCREENSHOT"))
    QTimer::singleShot(0, m->window.get(), [this] { m->runShowHooks(); });
}

void QtView::property_changed(const rt::Control &control,
                              rt::PropertyKind property) {
  if (!m->model)
    return;
  switch (property) {
  case rt::PropertyKind::Text:
    m->applyText(control);
    break;
  case rt::PropertyKind::Visible:
    if (!control.is_window())
      m->applyVisibility(control);
    break;
  case rt::PropertyKind::Disabled:
    if (QWidget *w = m->widget(control.id()))
      w->setEnabled(!control.disabled());
    break;
  case rt::PropertyKind::Selection:
    m->applySelection(control);
    break;
  case rt::PropertyKind::Document:
    m->applyDocument(control);
    break;
  }
}

void QtView::show_message_box(std::string_view gbk_text, std::uint32_t flags) {
  QPointer<QWidget> focused = QApplication::focusWidget();
  if (!focused && m->window)
    focused = m->window->focusWidget();
  QMessageBox box(messageIcon(flags), m->title(), fromGbk(gbk_text),
                  QMessageBox::Ok, m->window.get());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  restoreFocus(focused);
}

void QtView::show_runtime_error(std::string_view text) {
  QMessageBox box(
      QMessageBox::Critical, m->title(),
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
      QMessageBox::Ok, m->window.get());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtView::run_message_loop() {
  if (m->quitPending) {
    m->quitPending = false;
    return;
  }
  QEventLoop loop;
  m->loop = &loop;
  loop.exec();
  m->loop = nullptr;
  m->quitPending = false;
}

void QtView::quit_message_loop() {
  if (m->loop)
    m->loop->quit();
  else
    m->quitPending = true;
}

QMainWindow *QtView::mainWindow() const { return m->window.get(); }

QWidget *QtView::widgetFor(std::uint32_t control) const {
  return m->widget(control);
}

QAction *QtView::actionFor(std::uint32_t item) const {
  auto found = m->menuActions.find(item);
  return found == m->menuActions.end() ? nullptr : found->second.data();
}

void QtView::setUrlOpener(std::function<void(const QUrl &)> opener) {
  m->openUrl = std::move(opener);
}

void QtView::setLibraryDirectory(const std::filesystem::path &directory) {
  m->libraryDirectory = directory;
}

} // namespace qx::views
