// Widgets and conversions the Qt view builds the window from: GBK texts,
// Windows colours and fonts as Qt sees them, and the few widget classes the
// form's control kinds need beyond stock Qt.
#pragma once

#include "window/form_model.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMainWindow>
#include <QString>
#include <QValidator>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qx::views {

// GBK (the texts of the model) to Qt's UTF-16 and back. Bytes that are not
// GBK show as U+FFFD; characters GBK cannot hold become "?".
QString fromGbk(std::string_view gbk);
std::string toGbk(const QString &text);

// What a label or hyperlink box shows for `caption` under the access-key
// rule of static text: "&&" shows as "&", a single "&" marks the next
// character and is not shown itself.
QString displayCaption(const QString &caption);

// `text` with line breaks where it wraps in `width` pixels of `font`, for
// the controls that wrap a long caption but draw no wrapped text of their
// own (check boxes). Blanks at a break are dropped.
QString wrapToWidth(const QString &text, const QFont &font, int width);

// A Windows colour 0x00BBGGRR; nullopt for form::kNoColour (no colour of the
// control's own) and for any value with a non-zero high byte.
std::optional<QColor> colourFromColorRef(std::uint32_t colour);

// `base` changed as `font` asks: face, pixel height (a negative height is
// the character height, a positive one the cell height, 0 keeps the base
// size), weight, italic, underline and strike-out.
QFont fontFromLogFont(const form::Font &font, const QFont &base);

// The face names standing for the Song face the form asks for, and the
// installed faces drawn in their place so that Chinese text renders.
void installSongFaceFallback();

// Loads Qt's own translations (the standard buttons of a message box, the
// edit menu of a line edit) in Chinese, as the program's own texts are: for
// `locale` when it is a Chinese one, else for simplified Chinese. Replaces
// translations loaded before; false when there is no application or Qt's
// translations are not installed.
bool installQtTranslations(const QLocale &locale);

// `text` with the full-width characters folded as typed text is
// (rt::fold_full_width); every character keeps its place.
QString foldFullWidth(QString text);

// Whether `edit` can show `text` whole in the width it draws text in.
bool fitsInEdit(const QLineEdit &edit, const QString &text);

// A label that reports a left-button click made on it.
class ClickableLabel : public QLabel {
public:
  explicit ClickableLabel(QWidget *parent) : QLabel(parent) {}
  void setClickHandler(std::function<void()> handler) {
    m_onClick = std::move(handler);
  }

protected:
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  std::function<void()> m_onClick;
  bool m_pressed = false;
};

// Lets a user type only what an edit box's input mode accepts (the runtime
// core's rule, applied to the text as GBK), so a whole-number box never
// shows a letter. Full-width characters are folded first, so the box shows
// what is computed; while folding is paused (the view showing a text a
// routine wrote) the text is only judged.
class InputModeValidator : public QValidator {
public:
  InputModeValidator(std::uint32_t inputMode, QObject *parent)
      : QValidator(parent), m_inputMode(inputMode) {}
  State validate(QString &input, int &position) const override;
  void setFolding(bool folding) { m_folding = folding; }

private:
  std::uint32_t m_inputMode;
  bool m_folding = true;
};

// The top-level window; closing it is reported instead of just hiding it.
class MainWindow : public QMainWindow {
public:
  MainWindow() = default;
  void setCloseHandler(std::function<void()> handler) {
    m_onClose = std::move(handler);
  }

protected:
  void closeEvent(QCloseEvent *event) override;

private:
  std::function<void()> m_onClose;
};

} // namespace qx::views
