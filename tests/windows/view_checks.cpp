// The Win32 view on the real controls, run under Wine by `make
// windows-test`: the main window built from its form through the runtime,
// with every routine doing nothing (the one of 求根 counting its runs),
// then checked from outside as a user's system sees it: where each control
// lies, what a page shows, what typing leaves in a box, the tooltip of a
// long text, Tab and Enter, and the working and its return link in the
// rich-text control.
//
// Exit status 0 when every check holds; each failure prints one line.
#include "document/document.h"
#include "platform/gbk.h"
#include "program/control_ids.h"
#include "runtime/core/runtime.h"
#include "runtime/views/win32/win32_view.h"
#include "tests/views/placeholder_form.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

namespace ctl = qx::ctl;
using qx::platform::utf8_to_gbk;

int g_run = 0;
int g_failed = 0;

void expect(bool holds, const std::string &what) {
  ++g_run;
  if (holds)
    return;
  ++g_failed;
  std::printf("FAILED: %s\n", what.c_str());
}

void doNothing() {}

// How often the routine bound to 求根 ran.
int g_roots_runs = 0;
void countRoots() { ++g_roots_runs; }

// The view, for ending its message loop from a timer.
qx::rt::View *g_view = nullptr;
void CALLBACK endLoop(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  g_view->quit_message_loop();
}

std::wstring text_of(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  const int got = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

// Where `child` lies in its parent's client area.
RECT placement(HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(child),
                  reinterpret_cast<POINT *>(&rect), 2);
  return rect;
}

class ViewChecks {
public:
  ViewChecks() {
    std::unique_ptr<qx::rt::View> view = qx::views::make_win32_view();
    g_view = view.get();
    m_runtime = std::make_unique<qx::rt::Runtime>(std::move(view));
    std::map<std::string, std::uint32_t> offsets;
    qx::form::Form form = qx::test::placeholder_main_form(offsets);
    std::uint32_t roots = 0;
    for (const qx::form::Record &record : form.records)
      if (const auto *c = std::get_if<qx::form::ControlRecord>(&record);
          c && c->id == ctl::求根 && !c->events.empty())
        roots = c->events.front().handler;
    for (const auto &[name, offset] : offsets)
      m_runtime->bind_routine(
          offset, {name, offset == roots ? &countRoots : &doNothing, nullptr});
    m_runtime->install_form(std::move(form));
    m_runtime->load_window(QX_MAIN_WINDOW);
    m_main = FindWindowW(nullptr, L"QuadrixV1.0");
    EnumChildWindows(m_main, &collect, reinterpret_cast<LPARAM>(this));
  }

  qx::rt::WindowModel &model() { return *m_runtime->window(); }
  qx::rt::Control &control(std::uint32_t id) { return *model().find(id); }
  bool has_window() const { return m_main != nullptr; }

  // The child window standing for `c`: the one at its rectangle (from the
  // tab control's corner for a control on a page). A drop-down list's
  // window reaches further down, over its open list.
  HWND find(const qx::rt::Control &c) const {
    qx::form::Rect want = c.record().rect;
    if (c.tab() != 0) {
      const qx::form::Rect &tab = model_const().find(c.tab())->record().rect;
      want.left += tab.left;
      want.top += tab.top;
    }
    // Controls may share a rectangle (a hidden one under a shown one): the
    // one with the control's caption is the control's own.
    const std::wstring caption = wide(qx::platform::gbk_to_utf8(c.text()));
    HWND found = nullptr;
    for (HWND child : m_children) {
      if (GetParent(child) != m_main)
        continue;
      const RECT at = placement(child);
      const bool height_fits = c.unit_type() == QX_UNIT_COMBO_BOX
                                   ? at.bottom - at.top >= want.height
                                   : at.bottom - at.top == want.height;
      if (at.left != want.left || at.top != want.top ||
          at.right - at.left != want.width || !height_fits)
        continue;
      if (!found || text_of(child) == caption)
        found = child;
    }
    return found;
  }
  HWND find(std::uint32_t id) { return find(control(id)); }

  void check_placement() {
    for (const qx::rt::Control &c : model().controls()) {
      if (c.is_window())
        continue;
      expect(find(c) != nullptr, "a window at the form's rectangle for " +
                                     qx::platform::gbk_to_utf8(c.name()));
    }
    RECT outer{};
    GetWindowRect(m_main, &outer);
    expect(outer.left == 50 && outer.top == 50 &&
               outer.right - outer.left == 542 &&
               outer.bottom - outer.top == 693,
           "the window's outer rectangle 50, 50, 542 x 693");
  }

  void check_pages() {
    for (std::int32_t page = 0; page < 5; ++page) {
      expect(m_runtime->select_page(ctl::选择夹1, page),
             "page " + std::to_string(page) + " chosen");
      for (const qx::rt::Control &c : model().controls()) {
        if (c.tab() == 0)
          continue;
        HWND child = find(c);
        const bool shown = child && IsWindowVisible(child);
        expect(shown == model().effective_visible(c),
               "on page " + std::to_string(page) + ", " +
                   qx::platform::gbk_to_utf8(c.name()) +
                   (shown ? " shown" : " hidden"));
      }
    }
  }

  // Characters typed one by one into an empty box, as the keyboard sends
  // them.
  void type(HWND edit, std::wstring_view typed) {
    SetFocus(edit);
    for (wchar_t c : typed)
      SendMessageW(edit, WM_CHAR, c, 0);
  }

  void check_typing() {
    const struct {
      std::int32_t page;
      std::uint32_t id;
      std::wstring_view typed;
      std::wstring_view shown; // and, as GBK, the model's text
    } cases[] = {
        {3, ctl::分子1, L"4x2", L"42"}, // a letter in a whole number
        {3, ctl::分子1, L"-7", L"-7"},
        {3, ctl::分子1, L"1-", L"1"},            // "-" only in front
        {3, ctl::分子1, L"\xFF13\xFF14", L"34"}, // full-width digits
        {4, ctl::编辑框13, L"0.2.5", L"0.25"},   // one point in a decimal
        {0, ctl::编辑框1, L"\xFF0D\xFF12", L"-2"},
        {0, ctl::编辑框1, L"a\x4E2D", L"a\x4E2D"}, // a free box takes all
    };
    for (const auto &c : cases) {
      m_runtime->select_page(ctl::选择夹1, c.page);
      model().set_text(control(c.id), "");
      HWND edit = find(c.id);
      if (!edit) {
        expect(false, "an edit box for a typing case");
        continue;
      }
      type(edit, c.typed);
      const std::string typed = narrow_utf8(c.typed);
      expect(text_of(edit) == c.shown, "typing '" + typed + "' shows it");
      expect(control(c.id).text() == utf8_to_gbk(narrow_utf8(c.shown)),
             "typing '" + typed + "' reaches the model");
    }
    // A result box takes no typing; a routine's text shows as written.
    HWND result = find(ctl::x1);
    model().set_text(control(ctl::x1), utf8_to_gbk("＋１２"));
    expect(text_of(result) == L"\xFF0B\xFF11\xFF12",
           "a routine's text shows unfolded");
    expect((GetWindowLongW(result, GWL_STYLE) & ES_READONLY) != 0,
           "a result box is read-only");
  }

  // The tooltip text of edit box `edit`.
  std::wstring tip(HWND edit) const {
    HWND tooltip = FindWindowW(TOOLTIPS_CLASSW, nullptr);
    wchar_t text[512] = {};
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_main;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = text;
    SendMessageW(tooltip, TTM_GETTEXTW, std::size(text),
                 reinterpret_cast<LPARAM>(&tool));
    return text;
  }

  // Posts a key press to the window with the focus and lets the message
  // loop take it, as the keyboard would.
  void press(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    SetTimer(nullptr, 0, 100, &endLoop);
    g_view->run_message_loop();
  }

  void check_keys() {
    m_runtime->select_page(ctl::选择夹1, 2);
    SetForegroundWindow(m_main);
    SetFocus(find(ctl::二次项系数));
    // Tab along the page, round the window's own controls and back.
    const std::uint32_t order[] = {ctl::一次项系数, ctl::常数项, ctl::x1,
                                   ctl::x2, ctl::求根};
    for (std::uint32_t id : order) {
      press(VK_TAB);
      expect(GetFocus() == find(id),
             "Tab reaches " + qx::platform::gbk_to_utf8(control(id).name()));
    }
    bool back = false;
    for (int step = 0; step < 4 && !back; ++step) {
      press(VK_TAB);
      back = GetFocus() == find(ctl::二次项系数);
    }
    expect(back, "Tab comes back to 二次项系数 past the window's controls");
    // Enter in an entry box presses the button after it; a result box
    // presses nothing.
    const int before = g_roots_runs;
    SetFocus(find(ctl::常数项));
    press(VK_RETURN);
    expect(g_roots_runs == before + 1, "Enter in 常数项 presses 求根");
    SetFocus(find(ctl::x1));
    press(VK_RETURN);
    expect(g_roots_runs == before + 1, "Enter in x1 presses nothing");
  }

  void check_tooltips() {
    m_runtime->select_page(ctl::选择夹1, 2);
    HWND result = find(ctl::x1); // 120 pixels wide
    const struct {
      const char *text;
      bool tip;
    } cases[] = {
        {"2", false},
        {"-1.23456789012345678901234567890123456789", true},
        {"", false},
        {"方程无实数根方程无实数根方程无实数根方程无实数根", true},
    };
    for (const auto &c : cases) {
      model().set_text(control(ctl::x1), utf8_to_gbk(c.text));
      expect(tip(result) == (c.tip ? wide(c.text) : std::wstring()),
             std::string("the tooltip of x1 showing '") + c.text + "'");
    }
    // Typed text too.
    HWND entry = find(ctl::二次项系数);
    model().set_text(control(ctl::二次项系数), "");
    type(entry, L"12345678901234567890");
    expect(tip(entry) == L"12345678901234567890",
           "the tooltip of a box typed full");
  }

  void check_working() {
    qx::rt::Control &view = control(ctl::超文本浏览框1);
    HWND rich = find(view);
    if (!rich) {
      expect(false, "a rich-text control for the hypertext view");
      return;
    }
    expect(text_of(rich).rfind(L"Quadrix \x4F7F\x7528\x6307\x5357", 0) == 0,
           "the guide page first");
    namespace d = qx::doc;
    d::Document working;
    working.add(d::ParagraphStyle::Heading, {d::text("求根")});
    working.add(d::ParagraphStyle::Formula,
                {d::text("x = "),
                 d::fraction({d::root({d::text("8")})}, {d::text("2")})});
    working.add(d::ParagraphStyle::ReturnLink, {d::text("返回")});
    model().set_document(view, working);
    const std::wstring shown = text_of(rich);
    expect(shown.find(L"x = \x221A"
                      L"8/2") != std::wstring::npos,
           "the working's formula in its plain form");
    // Where the control holds the link's text (its own positions count one
    // per paragraph break, unlike the text it gives out).
    FINDTEXTEXW find_link{};
    find_link.chrg = {0, -1};
    find_link.lpstrText = L"\x8FD4\x56DE";
    const auto at = static_cast<LONG>(SendMessageW(
        rich, EM_FINDTEXTEXW, FR_DOWN, reinterpret_cast<LPARAM>(&find_link)));
    expect(at > 0, "the return link's text");
    CHARRANGE range = find_link.chrgText;
    SendMessageW(rich, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2W format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    SendMessageW(rich, EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    expect((format.dwMask & CFM_LINK) && (format.dwEffects & CFE_LINK),
           "the return link is a link");
    // A click on it, as the control reports one.
    ENLINK link{};
    link.nmhdr.hwndFrom = rich;
    link.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(rich));
    link.nmhdr.code = EN_LINK;
    link.msg = WM_LBUTTONUP;
    link.chrg = range;
    SendMessageW(m_main, WM_NOTIFY, link.nmhdr.idFrom,
                 reinterpret_cast<LPARAM>(&link));
    expect(view.document().empty(), "the return link clears the working");
    expect(text_of(rich).rfind(L"Quadrix \x4F7F\x7528\x6307\x5357", 0) == 0,
           "the guide page again after the return link");
  }

private:
  static BOOL CALLBACK collect(HWND child, LPARAM self) {
    reinterpret_cast<ViewChecks *>(self)->m_children.push_back(child);
    return TRUE;
  }
  const qx::rt::WindowModel &model_const() const {
    return *m_runtime->window();
  }

  static std::wstring wide(const std::string &utf8) {
    const int units = MultiByteToWideChar(
        CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(std::max(units, 0)), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                        result.data(), units);
    return result;
  }

  static std::string narrow_utf8(std::wstring_view text) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                          static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        result.data(), bytes, nullptr, nullptr);
    return result;
  }

  std::unique_ptr<qx::rt::Runtime> m_runtime;
  HWND m_main = nullptr;
  std::vector<HWND> m_children;
};

} // namespace

int main() {
  ViewChecks checks;
  expect(checks.has_window(), "a window titled QuadrixV1.0");
  if (checks.has_window()) {
    checks.check_placement();
    checks.check_pages();
    checks.check_typing();
    checks.check_tooltips();
    checks.check_keys();
    checks.check_working();
  }
  std::printf("view checks: %d run, %d failed\n", g_run, g_failed);
  return g_failed == 0 ? 0 : 1;
}
